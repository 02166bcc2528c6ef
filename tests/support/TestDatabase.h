#pragma once
// The databases the runtime tests run against, one suite for all of them: SQLite files, and
// databases of the throwaway PostgreSQL cluster that CTest starts for the run (the
// "postgres" fixture, scripts/postgres.sh).
#include <string>
#include <vector>

enum class QxBackend { kSQLite, kPostgreSQL };

// "SQLite" or "PostgreSQL", for test names.
const char* QxBackendName(QxBackend backend);
// Every backend, for INSTANTIATE_TEST_SUITE_P.
std::vector<QxBackend> QxAllBackends();

// A fresh, empty database of its own, removed again when the object goes.
class QxTestDatabase {
public:
    explicit QxTestDatabase(QxBackend backend);
    ~QxTestDatabase();
    QxTestDatabase(const QxTestDatabase&) = delete;
    QxTestDatabase& operator=(const QxTestDatabase&) = delete;

    QxBackend Backend() const { return backend_; }
    // Empty when the database is ready; else why not (no cluster, no driver).
    const std::wstring& Failure() const { return failure_; }
    // The ODBC connection string, password included.
    const std::wstring& Connection() const { return connection_; }
    // The password in the connection string, which no message may repeat.
    const std::wstring& Password() const { return password_; }

    // Fills the database with the demo data (demo/demo.sql, or demo/demo-postgresql.sql);
    // empty on success, else why it failed.
    std::wstring MakeDemo() const;

private:
    QxBackend backend_;
    std::wstring failure_;
    std::wstring connection_;
    std::wstring password_;
    std::wstring dropName_;  // the PostgreSQL database to drop
    std::wstring file_;      // the SQLite file to delete
};

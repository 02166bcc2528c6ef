#include "support/TestDatabase.h"
#include "support/RuntimeTestSupport.h"
#include "platform/QxWin.h"
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::stringstream all;
    all << file.rdbuf();
    return all.str();
}

// The cluster's connection string without a database, as scripts/postgres.sh wrote it
// into the build tree; empty when no cluster runs.
std::wstring ClusterConnection() {
    Qx_WString text;
    text.Set(ReadAll(QxTestBinDir() + L"\\..\\postgres\\connection.txt").c_str(), -1, CP_UTF8);
    return text.str();
}

std::wstring Attribute(const std::wstring& connection, const std::wstring& key) {
    size_t at = connection.find(key + L"=");
    if (at == std::wstring::npos) return std::wstring();
    at += key.size() + 1;
    return connection.substr(at, connection.find(L';', at) - at);
}

std::wstring UniqueName() {
    static std::atomic<unsigned> counter{0};
    return L"qx_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64() % 1000000) + L"_" +
           std::to_wstring(++counter);
}

}  // namespace

const char* QxBackendName(QxBackend backend) { return backend == QxBackend::kSQLite ? "SQLite" : "PostgreSQL"; }

std::vector<QxBackend> QxAllBackends() { return {QxBackend::kSQLite, QxBackend::kPostgreSQL}; }

QxTestDatabase::QxTestDatabase(QxBackend backend) : backend_(backend) {
    if (backend == QxBackend::kSQLite) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        file_ = std::wstring(temp) + UniqueName() + L".db";
        connection_ = QxTestSqliteConnection(file_);
        return;
    }
    const std::wstring cluster = ClusterConnection();
    if (cluster.empty()) {
        failure_ = L"no PostgreSQL cluster: ctest starts one with the postgres fixture (scripts/postgres.sh)";
        return;
    }
    password_ = Attribute(cluster, L"Pwd");
    const std::wstring name = UniqueName();
    const std::wstring error = QxTestRunSqlScript(cluster + L"Database=postgres;",
                                                  "CREATE DATABASE " + std::string(name.begin(), name.end()) + ";\n");
    if (!error.empty()) {
        failure_ = L"cannot create a PostgreSQL database: " + error;
        return;
    }
    dropName_ = name;
    connection_ = cluster + L"Database=" + name + L";";
}

QxTestDatabase::~QxTestDatabase() {
    if (!dropName_.empty())
        QxTestRunSqlScript(
            ClusterConnection() + L"Database=postgres;",
            "DROP DATABASE IF EXISTS " + std::string(dropName_.begin(), dropName_.end()) + " WITH (FORCE);\n");
    if (!file_.empty()) DeleteFileW(file_.c_str());
}

std::wstring QxTestDatabase::MakeDemo() const {
    if (!failure_.empty()) return failure_;
    const wchar_t* script = backend_ == QxBackend::kSQLite ? L"\\demo\\demo.sql" : L"\\demo\\demo-postgresql.sql";
    const std::string sql = ReadAll(QxTestSourceDir() + script);
    if (sql.empty()) return std::wstring(L"demo script not found: ") + script;
    return QxTestRunSqlScript(connection_, sql);
}

#include "OdbcConnectionPool.h"
#include "platform/QxWin.h"
#include <mutex>
#include <vector>

namespace {

const size_t kMaxIdle = 32;

struct Idle {
    std::wstring key;
    OdbcConnection connection;
    ULONGLONG since = 0;
};

struct Pool {
    std::mutex mutex;
    std::vector<Idle> idle;
};

// Never destroyed, like the environment its connections live in.
Pool& ThePool() {
    static Pool* pool = new Pool;
    return *pool;
}

bool Alive(const OdbcConnection& c) {
    SQLUINTEGER dead = SQL_CD_TRUE;
    return SQL_SUCCEEDED(SQLGetConnectAttrW(c.Get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
           dead == SQL_CD_FALSE;
}

}  // namespace

SQLHENV OdbcEnvironment() {
    static const SQLHENV env = [] {
        // Held by an owner until it is set up; then given up on purpose, never to be freed.
        OdbcHandle<SQL_HANDLE_ENV> h;
        if (!h.Alloc(SQL_NULL_HANDLE)) return static_cast<SQLHENV>(SQL_NULL_HANDLE);
        if (!SQL_SUCCEEDED(
                SQLSetEnvAttr(h.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)))
            return static_cast<SQLHENV>(SQL_NULL_HANDLE);
        return static_cast<SQLHENV>(h.Release());
    }();
    return env;
}

OdbcConnection OdbcPoolTake(const std::wstring& key, long idleSeconds) {
    std::vector<Idle> stale;  // closed outside the lock
    OdbcConnection found;
    {
        Pool& pool = ThePool();
        std::lock_guard<std::mutex> lock(pool.mutex);
        const ULONGLONG now = GetTickCount64();
        for (auto it = pool.idle.begin(); it != pool.idle.end();) {
            if (now - it->since > static_cast<ULONGLONG>(idleSeconds) * 1000) {
                stale.push_back(std::move(*it));
                it = pool.idle.erase(it);
            } else if (!found && it->key == key) {
                found = std::move(it->connection);
                it = pool.idle.erase(it);
            } else {
                ++it;
            }
        }
    }
    // A server that went away in between leaves a dead connection: it is not handed out.
    if (found && !Alive(found)) found.Reset();
    return found;
}

void OdbcPoolGive(const std::wstring& key, OdbcConnection connection) {
    if (!connection) return;
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, connection.Get(), SQL_ROLLBACK)) ||
        !SQL_SUCCEEDED(SQLSetConnectAttrW(connection.Get(), SQL_ATTR_AUTOCOMMIT,
                                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0)))
        return;  // not clean: closed
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (pool.idle.size() >= kMaxIdle) return;
    pool.idle.push_back(Idle{key, std::move(connection), GetTickCount64()});
}

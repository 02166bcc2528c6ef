#pragma once
// Owners of ODBC handles, and the one environment every connection of the module lives in.
#include "platform/QxHandle.h"
#include <sql.h>
#include <sqlext.h>

// ODBC handles of one kind: freed once; a connection is disconnected first (which
// answers an error, harmlessly, when it never connected).
template <SQLSMALLINT Kind>
struct OdbcTraits {
    using Type = SQLHANDLE;
    static Type Invalid() noexcept { return SQL_NULL_HANDLE; }
    static void Close(Type h) noexcept {
        if (Kind == SQL_HANDLE_DBC) SQLDisconnect(h);
        SQLFreeHandle(Kind, h);
    }
};

template <SQLSMALLINT Kind>
class OdbcHandle : public QxHandle<OdbcTraits<Kind>> {
public:
    static const SQLSMALLINT kKind = Kind;
    using QxHandle<OdbcTraits<Kind>>::QxHandle;
    // Replaces the handle held by a new one under parent; false (nothing held) on failure.
    [[nodiscard]] bool Alloc(SQLHANDLE parent) {
        this->Reset();
        return SQL_SUCCEEDED(SQLAllocHandle(Kind, parent, this->Put()));
    }
};
using OdbcConnection = OdbcHandle<SQL_HANDLE_DBC>;
using OdbcStatement = OdbcHandle<SQL_HANDLE_STMT>;

// The module's ODBC 3 environment, made on first use and never freed: connections kept
// for later jobs live in it, and at the process's end they simply close with it (freeing
// ODBC handles while the module is being unloaded is not safe). Null when it cannot be made.
SQLHENV OdbcEnvironment();

// The ODBC database adaptor: one connection, statements prepared with '?' markers and
// every value bound as a parameter, result sets read into typed dataset columns.
#include "platform/QxHandle.h"
#include "runtime/QxAdaptor.h"
#include "runtime/QxRuntimeCodes.h"
#include <sql.h>
#include <sqlext.h>
#include <cwctype>
#include <string>
#include <vector>

namespace {

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
    // Replaces the handle held by a new one under parent; false (nothing held) on failure.
    bool Alloc(SQLHANDLE parent) {
        this->Reset();
        return SQL_SUCCEEDED(SQLAllocHandle(Kind, parent, this->Put()));
    }
};
using OdbcEnv = OdbcHandle<SQL_HANDLE_ENV>;
using OdbcConnection = OdbcHandle<SQL_HANDLE_DBC>;
using OdbcStatement = OdbcHandle<SQL_HANDLE_STMT>;

// Every diagnostic record of a handle as "[state] text", one per line.
template <class Handle>
Qx_WString Diagnostics(const Handle& h, const wchar_t* what) {
    Qx_WString text(what);
    for (SQLSMALLINT i = 1; i <= 8; ++i) {
        SQLWCHAR state[6] = {0};
        SQLWCHAR message[1024] = {0};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(Handle::kKind, h.Get(), i, state, &native, message, 1024, &length);
        if (!SQL_SUCCEEDED(rc)) break;
        text += i == 1 ? L": " : L"; ";
        text += L"[";
        text += reinterpret_cast<wchar_t*>(state);
        text += L"] ";
        text += reinterpret_cast<wchar_t*>(message);
    }
    return text;
}

bool ContainsKey(const Qx_WString& connection, const wchar_t* key) {
    std::wstring lower(connection.str());
    for (wchar_t& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
    return lower.find(key) != std::wstring::npos;
}

// A value for a connection string; braces keep ';' and '=' inside it.
void AppendAttribute(Qx_WString& connection, const wchar_t* key, const wchar_t* value) {
    if (connection.GetLength() > 0 && connection.GetAt(connection.GetLength() - 1) != L';') connection += L';';
    connection += key;
    connection += L"={";
    connection += value;
    connection += L"};";
}

int ColumnType(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER: return QX_VT_INT;
    case SQL_BIGINT: return QX_VT_INT64;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_NUMERIC:
    case SQL_DECIMAL: return QX_VT_DOUBLE;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return QX_VT_BINARY;
    default: return QX_VT_STRING;
    }
}

class OdbcAdaptor : public QxDbAdaptor {
public:
    void Release() override { delete this; }

    long Connect(const wchar_t* connectionString, const wchar_t* user, const wchar_t* password,
                 Qx_WString& error) override {
        dbc_.Reset();
        if (!env_.Get()) {
            if (!env_.Alloc(SQL_NULL_HANDLE) ||
                !SQL_SUCCEEDED(SQLSetEnvAttr(env_.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
                error = L"the ODBC environment cannot be created";
                return QX_RT_E_DATABASE;
            }
        }
        if (!dbc_.Alloc(env_.Get())) {
            error = Diagnostics(env_, L"no ODBC connection handle");
            return QX_RT_E_DATABASE;
        }
        Qx_WString connection(connectionString);
        if (connection.IsEmpty()) {
            error = L"the connection string is empty";
            return QX_RT_E_DATABASE;
        }
        if (user && *user && !ContainsKey(connection, L"uid=")) AppendAttribute(connection, L"UID", user);
        if (password && *password && !ContainsKey(connection, L"pwd=")) AppendAttribute(connection, L"PWD", password);
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        SQLRETURN rc = SQLDriverConnectW(dbc_.Get(), nullptr, reinterpret_cast<SQLWCHAR*>(connection.GetSafeBuffer()), SQL_NTS,
                                         out, 1024, &outLength, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            // The connection string may hold a password: it is not repeated in the message.
            error = Diagnostics(dbc_, L"cannot connect");
            dbc_.Reset();
            return QX_RT_E_DATABASE;
        }
        return 0;
    }

    long BeginTransaction(Qx_WString& error) override {
        if (!Connected(error)) return QX_RT_E_DATABASE;
        if (!SQL_SUCCEEDED(SQLSetConnectAttrW(dbc_.Get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
            error = Diagnostics(dbc_, L"cannot start a transaction");
            return QX_RT_E_DATABASE;
        }
        return 0;
    }

    long EndTransaction(bool commit, Qx_WString& error) override {
        if (!Connected(error)) return QX_RT_E_DATABASE;
        SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), commit ? SQL_COMMIT : SQL_ROLLBACK);
        long result = 0;
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnostics(dbc_, commit ? L"commit failed" : L"rollback failed");
            result = QX_RT_E_DATABASE;
        }
        SQLSetConnectAttrW(dbc_.Get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        return result;
    }

    long Execute(const wchar_t* sql, const std::vector<Qx_Variant>& params, Qx_Dataset* result, long& rowsAffected,
                 Qx_WString& error) override {
        rowsAffected = -1;
        if (!Connected(error)) return QX_RT_E_DATABASE;
        OdbcStatement st;
        if (!st.Alloc(dbc_.Get())) {
            error = Diagnostics(dbc_, L"no statement handle");
            return QX_RT_E_DATABASE;
        }
        Qx_WString text(sql);
        if (!SQL_SUCCEEDED(SQLPrepareW(st.Get(), reinterpret_cast<SQLWCHAR*>(text.GetSafeBuffer()), SQL_NTS))) {
            error = Diagnostics(st, L"the statement cannot be prepared");
            return QX_RT_E_DATABASE;
        }
        // Storage that must stay put until the statement has run.
        std::vector<SQLLEN> indicators(params.size());
        std::vector<int64_t> integers(params.size());
        std::vector<double> doubles(params.size());
        static char emptyBytes[1] = {0};
        for (size_t i = 0; i < params.size(); ++i)
            if (!Bind(st, static_cast<SQLUSMALLINT>(i + 1), params[i], indicators[i], integers[i], doubles[i], emptyBytes, error))
                return QX_RT_E_DATABASE;
        SQLRETURN rc = SQLExecute(st.Get());
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            error = Diagnostics(st, L"the statement failed");
            return QX_RT_E_DATABASE;
        }
        SQLLEN count = -1;
        if (SQL_SUCCEEDED(SQLRowCount(st.Get(), &count))) rowsAffected = static_cast<long>(count);
        SQLSMALLINT columns = 0;
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(SQLNumResultCols(st.Get(), &columns))) columns = 0;
        if (result) {
            Qx_WString id(result->GetId());
            *result = Qx_Dataset(id.c_str());
        }
        if (columns > 0 && result) return ReadRows(st, columns, *result, error);
        return 0;
    }

private:
    bool Connected(Qx_WString& error) const {
        if (dbc_.Get()) return true;
        error = L"not connected to a database";
        return false;
    }

    static bool Bind(OdbcStatement& st, SQLUSMALLINT index, const Qx_Variant& v, SQLLEN& ind, int64_t& integer,
                     double& number, char* emptyBytes, Qx_WString& error) {
        SQLRETURN rc;
        switch (v.GetType()) {
        case QX_VT_STRING: {
            // The value's own text: the driver reads it when the statement runs.
            const int length = v.GetTextLength();
            ind = static_cast<SQLLEN>(length) * 2;
            SQLULEN size = length > 0 ? static_cast<SQLULEN>(length) : 1;
            rc = SQLBindParameter(st.Get(), index, SQL_PARAM_INPUT, SQL_C_WCHAR, size > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR,
                                  size, 0, const_cast<wchar_t*>(v.GetText()), ind, &ind);
            break;
        }
        case QX_VT_INT:
        case QX_VT_INT64:
            integer = v.GetInteger();
            ind = 0;
            rc = SQLBindParameter(st.Get(), index, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &integer, 0, &ind);
            break;
        case QX_VT_DOUBLE:
            number = v.GetDouble();
            ind = 0;
            rc = SQLBindParameter(st.Get(), index, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &number, 0, &ind);
            break;
        case QX_VT_BINARY: {
            ind = v.GetByteCount();
            SQLULEN size = v.GetByteCount() > 0 ? static_cast<SQLULEN>(v.GetByteCount()) : 1;
            void* data = v.GetByteCount() > 0 ? const_cast<char*>(v.GetBytes()) : emptyBytes;
            rc = SQLBindParameter(st.Get(), index, SQL_PARAM_INPUT, SQL_C_BINARY, size > 8000 ? SQL_LONGVARBINARY : SQL_VARBINARY,
                                  size, 0, data, ind, &ind);
            break;
        }
        default:
            ind = SQL_NULL_DATA;
            rc = SQLBindParameter(st.Get(), index, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 1, 0, nullptr, 0, &ind);
            break;
        }
        if (SQL_SUCCEEDED(rc)) return true;
        error = Diagnostics(st, L"a parameter cannot be bound");
        return false;
    }

    // Reads one column of the current row as text or bytes, in pieces for long values.
    // False on a driver error; isNull set for SQL NULL.
    static bool ReadLong(OdbcStatement& st, SQLUSMALLINT column, bool binary, std::wstring& text, std::string& bytes,
                         bool& isNull) {
        isNull = false;
        char buffer[8192];
        const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_WCHAR;
        const size_t room = binary ? sizeof buffer : sizeof buffer - sizeof(wchar_t);  // a text piece ends in a terminator
        for (;;) {
            SQLLEN ind = 0;
            SQLRETURN rc = SQLGetData(st.Get(), column, cType, buffer, sizeof buffer, &ind);
            if (rc == SQL_NO_DATA) return true;
            if (!SQL_SUCCEEDED(rc)) return false;
            if (ind == SQL_NULL_DATA) {
                isNull = true;
                return true;
            }
            size_t got = (ind == SQL_NO_TOTAL || static_cast<size_t>(ind) > room) ? room : static_cast<size_t>(ind);
            if (binary) bytes.append(buffer, got);
            else text.append(reinterpret_cast<const wchar_t*>(buffer), got / sizeof(wchar_t));
            if (rc == SQL_SUCCESS) return true;
        }
    }

    static long ReadRows(OdbcStatement& st, SQLSMALLINT columns, Qx_Dataset& result, Qx_WString& error) {
        std::vector<int> types;
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
            SQLWCHAR name[256] = {0};
            SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            if (!SQL_SUCCEEDED(SQLDescribeColW(st.Get(), c, name, 256, &nameLength, &sqlType, &size, &digits, &nullable))) {
                error = Diagnostics(st, L"the result cannot be described");
                return QX_RT_E_DATABASE;
            }
            types.push_back(ColumnType(sqlType));
            result.AddColumn(reinterpret_cast<wchar_t*>(name), types.back(), size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size), 0);
        }
        for (;;) {
            SQLRETURN rc = SQLFetch(st.Get());
            if (rc == SQL_NO_DATA) return 0;
            if (!SQL_SUCCEEDED(rc)) {
                error = Diagnostics(st, L"reading the result failed");
                return QX_RT_E_DATABASE;
            }
            int row = result.AppendRow();
            for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
                Qx_Variant& cell = *result.GetColumn(row, nullptr, c - 1);
                if (!ReadCell(st, c, types[c - 1], cell)) {
                    error = Diagnostics(st, L"reading a value failed");
                    return QX_RT_E_DATABASE;
                }
            }
        }
    }

    static bool ReadCell(OdbcStatement& st, SQLUSMALLINT c, int type, Qx_Variant& cell) {
        SQLLEN ind = 0;
        if (type == QX_VT_INT || type == QX_VT_INT64) {
            int64_t value = 0;
            if (!SQL_SUCCEEDED(SQLGetData(st.Get(), c, SQL_C_SBIGINT, &value, sizeof value, &ind))) return false;
            if (ind == SQL_NULL_DATA) cell.SetNull();
            // A value too large for the column's declared 32 bits is kept whole.
            else if (type == QX_VT_INT && value >= INT32_MIN && value <= INT32_MAX) cell.SetInt(static_cast<int32_t>(value));
            else cell.SetInt64(value);
            return true;
        }
        if (type == QX_VT_DOUBLE) {
            double value = 0;
            if (!SQL_SUCCEEDED(SQLGetData(st.Get(), c, SQL_C_DOUBLE, &value, sizeof value, &ind))) return false;
            if (ind == SQL_NULL_DATA) cell.SetNull();
            else cell.SetDouble(value);
            return true;
        }
        std::wstring text;
        std::string bytes;
        bool isNull = false;
        if (!ReadLong(st, c, type == QX_VT_BINARY, text, bytes, isNull)) return false;
        if (isNull) cell.SetNull();
        else if (type == QX_VT_BINARY) cell.SetBinary(bytes.data(), static_cast<int>(bytes.size()));
        else cell.SetString(text.c_str(), static_cast<int>(text.size()));
        return true;
    }

    OdbcEnv env_;
    OdbcConnection dbc_;
};

}  // namespace

extern "C" __declspec(dllexport) long QxCreateAdaptor(const wchar_t*, const wchar_t*, int, const wchar_t*,
                                                      QxAdaptor** out) {
    if (!out) return QX_RT_E_FAIL;
    *out = new OdbcAdaptor();
    return 0;
}

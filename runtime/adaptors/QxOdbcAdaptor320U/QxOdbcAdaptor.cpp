// The ODBC database adaptor: one connection, statements prepared with '?' markers and
// every value bound as a parameter, result sets read into typed dataset columns.
#include "OdbcConnectionPool.h"
#include "OdbcHandles.h"
#include "runtime/QxAdaptor.h"
#include "runtime/QxRuntimeCodes.h"
#include "platform/QxStatus.h"
#include <cwctype>
#include <string>
#include <vector>

namespace {

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

// A call of the driver that failed with rc, with every diagnostic record of the handle.
template <class Handle>
QxStatus DriverFailure(const Handle& h, const wchar_t* what, SQLRETURN rc) {
    return QxStatus(QxCode::kResultCode, Diagnostics(h, what), rc);
}

// The adaptor's answer for an operation that ended with status: 0, or QX_RT_E_DATABASE
// with error saying why.
long Report(const QxStatus& status, Qx_WString& error) {
    if (status.ok()) return 0;
    error = Qx_WString(status.reason());
    return QX_RT_E_DATABASE;
}

bool ContainsKey(const Qx_WString& connection, const wchar_t* key) {
    std::wstring lower(connection.str());
    for (wchar_t& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
    return lower.find(key) != std::wstring::npos;
}

// A value for a connection string. Only a value that needs them gets braces (';', braces,
// '=' or blanks at its ends), with '}' doubled inside: some drivers (PostgreSQL's) take
// braces around a plain value as part of it.
void AppendAttribute(Qx_WString& connection, const wchar_t* key, const wchar_t* value) {
    if (connection.GetLength() > 0 && connection.GetAt(connection.GetLength() - 1) != L';') connection += L';';
    const std::wstring text(value);
    const bool quote = text.find_first_of(L";{}=") != std::wstring::npos ||
                       (!text.empty() && (text.front() == L' ' || text.back() == L' '));
    connection += key;
    connection += L"=";
    if (!quote) {
        connection += value;
    } else {
        connection += L"{";
        for (wchar_t ch : text) {
            connection += ch;
            if (ch == L'}') connection += L'}';
        }
        connection += L"}";
    }
    connection += L";";
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

// The limits with every unset one at its default.
QxDbLimits WithDefaults(const QxDbLimits& given) {
    const QxDbLimits defaults;
    QxDbLimits limits = given;
    if (limits.loginTimeoutSeconds <= 0) limits.loginTimeoutSeconds = defaults.loginTimeoutSeconds;
    if (limits.queryTimeoutSeconds <= 0) limits.queryTimeoutSeconds = defaults.queryTimeoutSeconds;
    if (limits.maxRows <= 0) limits.maxRows = defaults.maxRows;
    if (limits.maxBytes <= 0) limits.maxBytes = defaults.maxBytes;
    if (limits.poolIdleSeconds < 0) limits.poolIdleSeconds = 0;
    return limits;
}

class OdbcAdaptor : public QxDbAdaptor {
public:
    // A pooling job leaves its connection for the next one.
    void Release() override {
        if (limits_.poolIdleSeconds > 0 && dbc_) OdbcPoolGive(poolKey_, std::move(dbc_));
        delete this;
    }

    void SetLimits(const QxDbLimits& limits) override { limits_ = WithDefaults(limits); }

    long Connect(const wchar_t* connectionString, const wchar_t* user, const wchar_t* password,
                 Qx_WString& error) override {
        return QxAdaptorCall(QX_RT_E_DATABASE, error,
                             [&] { return Report(DoConnect(connectionString, user, password), error); });
    }

    long BeginTransaction(Qx_WString& error) override {
        return QxAdaptorCall(QX_RT_E_DATABASE, error, [&] { return Report(DoBeginTransaction(), error); });
    }

    long EndTransaction(bool commit, Qx_WString& error) override {
        return QxAdaptorCall(QX_RT_E_DATABASE, error, [&] { return Report(DoEndTransaction(commit), error); });
    }

    long Execute(const wchar_t* sql, const std::vector<Qx_Variant>& params, Qx_Dataset* result, long& rowsAffected,
                 Qx_WString& error) override {
        rowsAffected = -1;
        return QxAdaptorCall(QX_RT_E_DATABASE, error,
                             [&] { return Report(DoExecute(sql, params, result, rowsAffected), error); });
    }

private:
    QxStatus DoConnect(const wchar_t* connectionString, const wchar_t* user, const wchar_t* password) {
        dbc_.Reset();
        Qx_WString connection(connectionString);
        if (connection.IsEmpty()) return QxStatus(QxCode::kBadInput, L"the connection string is empty");
        if (user && *user && !ContainsKey(connection, L"uid=")) AppendAttribute(connection, L"UID", user);
        if (password && *password && !ContainsKey(connection, L"pwd=")) AppendAttribute(connection, L"PWD", password);
        poolKey_ = connection.str();
        if (limits_.poolIdleSeconds > 0) {
            dbc_ = OdbcPoolTake(poolKey_, limits_.poolIdleSeconds);
            if (dbc_) return QxStatus();
        }
        const SQLHENV env = OdbcEnvironment();
        if (!env) return QxStatus(QxCode::kResultCode, L"the ODBC environment cannot be created", SQL_ERROR);
        if (!dbc_.Alloc(env)) return QxStatus(QxCode::kResultCode, L"no ODBC connection handle", SQL_ERROR);
        // A server that does not answer must not hold the caller: drivers that do not know
        // the attribute ignore it.
        SQLSetConnectAttrW(dbc_.Get(), SQL_ATTR_LOGIN_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(limits_.loginTimeoutSeconds)), 0);
        SQLSetConnectAttrW(dbc_.Get(), SQL_ATTR_CONNECTION_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(limits_.queryTimeoutSeconds)), 0);
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        SQLRETURN rc = SQLDriverConnectW(dbc_.Get(), nullptr, reinterpret_cast<SQLWCHAR*>(connection.GetSafeBuffer()),
                                         SQL_NTS, out, 1024, &outLength, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            // The connection string may hold a password: it is not repeated in the message.
            QxStatus failed = DriverFailure(dbc_, L"cannot connect", rc);
            dbc_.Reset();
            return failed;
        }
        return QxStatus();
    }

    QxStatus DoBeginTransaction() {
        if (QxStatus connected = Connected(); !connected.ok()) return connected;
        SQLRETURN rc =
            SQLSetConnectAttrW(dbc_.Get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
        return SQL_SUCCEEDED(rc) ? QxStatus() : DriverFailure(dbc_, L"cannot start a transaction", rc);
    }

    QxStatus DoEndTransaction(bool commit) {
        if (QxStatus connected = Connected(); !connected.ok()) return connected;
        SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), commit ? SQL_COMMIT : SQL_ROLLBACK);
        QxStatus ended =
            SQL_SUCCEEDED(rc) ? QxStatus() : DriverFailure(dbc_, commit ? L"commit failed" : L"rollback failed", rc);
        SQLSetConnectAttrW(dbc_.Get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        return ended;
    }

    QxStatus DoExecute(const wchar_t* sql, const std::vector<Qx_Variant>& params, Qx_Dataset* result,
                       long& rowsAffected) {
        if (QxStatus connected = Connected(); !connected.ok()) return connected;
        OdbcStatement st;
        if (!st.Alloc(dbc_.Get())) return DriverFailure(dbc_, L"no statement handle", SQL_ERROR);
        SQLSetStmtAttrW(st.Get(), SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(limits_.queryTimeoutSeconds)), 0);
        Qx_WString text(sql);
        SQLRETURN rc = SQLPrepareW(st.Get(), reinterpret_cast<SQLWCHAR*>(text.GetSafeBuffer()), SQL_NTS);
        if (!SQL_SUCCEEDED(rc)) return DriverFailure(st, L"the statement cannot be prepared", rc);
        // Storage that must stay put until the statement has run.
        std::vector<SQLLEN> indicators(params.size());
        std::vector<int64_t> integers(params.size());
        std::vector<double> doubles(params.size());
        static char emptyBytes[1] = {0};
        for (size_t i = 0; i < params.size(); ++i) {
            QxStatus bound = Bind(st, static_cast<SQLUSMALLINT>(i + 1), params[i], indicators[i], integers[i],
                                  doubles[i], emptyBytes);
            if (!bound.ok()) return bound;
        }
        rc = SQLExecute(st.Get());
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) return DriverFailure(st, L"the statement failed", rc);
        SQLLEN count = -1;
        if (SQL_SUCCEEDED(SQLRowCount(st.Get(), &count))) rowsAffected = static_cast<long>(count);
        SQLSMALLINT columns = 0;
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(SQLNumResultCols(st.Get(), &columns))) columns = 0;
        if (result) {
            Qx_WString id(result->GetId());
            *result = Qx_Dataset(id.c_str());
        }
        if (columns > 0 && result) return ReadRows(st, columns, *result);
        return QxStatus();
    }

    QxStatus Connected() const {
        return dbc_.Get() ? QxStatus() : QxStatus(QxCode::kNotReady, L"not connected to a database");
    }

    static QxStatus Bind(OdbcStatement& st, SQLUSMALLINT index, const Qx_Variant& v, SQLLEN& ind, int64_t& integer,
                         double& number, char* emptyBytes) {
        SQLRETURN rc = SQL_ERROR;  // every case sets it
        switch (v.GetType()) {
        case QX_VT_STRING: {
            // The value's own text: the driver reads it when the statement runs. Drivers take
            // text up to its first U+0000: the value would be cut, not sent.
            const int length = v.GetTextLength();
            if (std::char_traits<wchar_t>::find(v.GetText(), static_cast<size_t>(length), L'\0')) {
                Qx_WString error;
                error.Format(
                    L"parameter %u holds the character U+0000, which the database cannot take; it is refused "
                    L"rather than cut",
                    static_cast<unsigned>(index));
                return QxStatus(QxCode::kBadInput, error);
            }
            ind = static_cast<SQLLEN>(length) * 2;
            SQLULEN size = length > 0 ? static_cast<SQLULEN>(length) : 1;
            rc = SQLBindParameter(st.Get(), index, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                  size > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, size, 0,
                                  const_cast<wchar_t*>(v.GetText()), ind, &ind);
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
            rc = SQLBindParameter(st.Get(), index, SQL_PARAM_INPUT, SQL_C_BINARY,
                                  size > 8000 ? SQL_LONGVARBINARY : SQL_VARBINARY, size, 0, data, ind, &ind);
            break;
        }
        default:
            ind = SQL_NULL_DATA;
            rc = SQLBindParameter(st.Get(), index, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 1, 0, nullptr, 0, &ind);
            break;
        }
        return SQL_SUCCEEDED(rc) ? QxStatus() : DriverFailure(st, L"a parameter cannot be bound", rc);
    }

    // Reads one column of the current row as text or bytes, in pieces for long values, and
    // stops with kTooLarge once it holds more than maxBytes bytes. isNull set for SQL NULL.
    static QxStatus ReadLong(OdbcStatement& st, SQLUSMALLINT column, bool binary, std::wstring& text,
                             std::string& bytes, bool& isNull, long long maxBytes) {
        isNull = false;
        char buffer[8192];
        const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_WCHAR;
        const size_t room =
            binary ? sizeof buffer : sizeof buffer - sizeof(wchar_t);  // a text piece ends in a terminator
        for (;;) {
            SQLLEN ind = 0;
            SQLRETURN rc = SQLGetData(st.Get(), column, cType, buffer, sizeof buffer, &ind);
            if (rc == SQL_NO_DATA) return QxStatus();
            if (!SQL_SUCCEEDED(rc)) return DriverFailure(st, L"reading a value failed", rc);
            if (ind == SQL_NULL_DATA) {
                isNull = true;
                return QxStatus();
            }
            size_t got = (ind == SQL_NO_TOTAL || static_cast<size_t>(ind) > room) ? room : static_cast<size_t>(ind);
            if (binary)
                bytes.append(buffer, got);
            else
                text.append(reinterpret_cast<const wchar_t*>(buffer), got / sizeof(wchar_t));
            if (static_cast<long long>(bytes.size() + text.size() * sizeof(wchar_t)) > maxBytes)
                return QxStatus(QxCode::kTooLarge, L"the value takes more bytes than are left");
            if (rc == SQL_SUCCESS) return QxStatus();
        }
    }

    QxStatus ReadRows(OdbcStatement& st, SQLSMALLINT columns, Qx_Dataset& result) const {
        long long rows = 0, bytes = 0;  // read so far, against the limits
        std::vector<int> types;
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
            SQLWCHAR name[256] = {0};
            SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLRETURN rc = SQLDescribeColW(st.Get(), c, name, 256, &nameLength, &sqlType, &size, &digits, &nullable);
            if (!SQL_SUCCEEDED(rc)) return DriverFailure(st, L"the result cannot be described", rc);
            types.push_back(ColumnType(sqlType));
            result.AddColumn(reinterpret_cast<wchar_t*>(name), types.back(),
                             size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size), 0);
        }
        Qx_WString limit;
        for (;;) {
            SQLRETURN rc = SQLFetch(st.Get());
            if (rc == SQL_NO_DATA) return QxStatus();
            if (!SQL_SUCCEEDED(rc)) return DriverFailure(st, L"reading the result failed", rc);
            if (++rows > limits_.maxRows) {
                limit.Format(L"the result has more than %lld rows, the limit", limits_.maxRows);
                return QxStatus(QxCode::kTooLarge, limit);
            }
            int row = result.AppendRow();
            for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
                Qx_Variant& cell = *result.GetColumn(row, nullptr, c - 1);
                QxStatus read = ReadCell(st, c, types[c - 1], cell, limits_.maxBytes - bytes);
                if (read.code() == QxCode::kTooLarge) {
                    limit.Format(L"the result holds more than %lld bytes of text and binary values, the limit",
                                 limits_.maxBytes);
                    return QxStatus(QxCode::kTooLarge, limit);
                }
                if (!read.ok()) return read;
                bytes += cell.GetType() == QX_VT_STRING ? 2ll * cell.GetTextLength() : cell.GetByteCount();
            }
        }
    }

    static QxStatus ReadCell(OdbcStatement& st, SQLUSMALLINT c, int type, Qx_Variant& cell, long long room) {
        SQLLEN ind = 0;
        if (type == QX_VT_INT || type == QX_VT_INT64) {
            int64_t value = 0;
            SQLRETURN rc = SQLGetData(st.Get(), c, SQL_C_SBIGINT, &value, sizeof value, &ind);
            if (!SQL_SUCCEEDED(rc)) return DriverFailure(st, L"reading a value failed", rc);
            if (ind == SQL_NULL_DATA) cell.SetNull();
            // A value too large for the column's declared 32 bits is kept whole.
            else if (type == QX_VT_INT && value >= INT32_MIN && value <= INT32_MAX)
                cell.SetInt(static_cast<int32_t>(value));
            else
                cell.SetInt64(value);
            return QxStatus();
        }
        if (type == QX_VT_DOUBLE) {
            double value = 0;
            SQLRETURN rc = SQLGetData(st.Get(), c, SQL_C_DOUBLE, &value, sizeof value, &ind);
            if (!SQL_SUCCEEDED(rc)) return DriverFailure(st, L"reading a value failed", rc);
            if (ind == SQL_NULL_DATA)
                cell.SetNull();
            else
                cell.SetDouble(value);
            return QxStatus();
        }
        std::wstring text;
        std::string bytes;
        bool isNull = false;
        QxStatus read = ReadLong(st, c, type == QX_VT_BINARY, text, bytes, isNull, room);
        if (!read.ok()) return read;
        if (isNull)
            cell.SetNull();
        else if (type == QX_VT_BINARY)
            cell.SetBinary(bytes.data(), static_cast<int>(bytes.size()));
        else
            cell.SetString(text.c_str(), static_cast<int>(text.size()));
        return QxStatus();
    }

    OdbcConnection dbc_;
    std::wstring poolKey_;  // the connection string as opened, login included
    QxDbLimits limits_ = WithDefaults(QxDbLimits());
};

}  // namespace

extern "C" __declspec(dllexport) long QxCreateAdaptor(const wchar_t*, const wchar_t*, int, const wchar_t*,
                                                      QxAdaptor** out) {
    if (!out) return QX_RT_E_FAIL;
    *out = new (std::nothrow) OdbcAdaptor();
    return *out ? 0L : static_cast<long>(QX_RT_E_ADAPTOR);
}

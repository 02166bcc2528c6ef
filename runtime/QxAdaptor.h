#pragma once
// What an adaptor module gives the runtime.
//
// An adaptor module is a DLL that links against QxQVInfo320U.dll and exports one C entry
// point:
//
//   extern "C" __declspec(dllexport)
//   long QxCreateAdaptor(const wchar_t* id, const wchar_t* type, int version,
//                        const wchar_t* name, QxAdaptor** out);
//
// It answers 0 with *out set to a new adaptor, or a non-zero code (then *out is ignored).
// The id, type, version and name are those of the adaptor catalogue; a module may use
// them or not. The runtime calls Release on the adaptor before it unloads the module, so
// that the object is destroyed by the code that made it.
//
// Two kinds exist: communication adaptors carry wire-protocol frames to a server
// (QxComAdaptor), database adaptors run SQL statements (QxDbAdaptor).
#include "foundation/Qx_Dataset.h"
#include "foundation/Qx_Variant.h"
#include "foundation/Qx_WString.h"
#include "platform/QxBarrier.h"
#include <string>
#include <vector>

#define QX_ADAPTOR_ENTRY_POINT "QxCreateAdaptor"

enum QxAdaptorKind { QX_ADAPTOR_COM = 1, QX_ADAPTOR_DB = 2 };

// Adaptors are destroyed by Release, inside the module that made them, never by a delete
// of another module: the destructor is protected. It is virtual, so that Release of a base
// destroys all of it.
class QxAdaptor {  // NOLINT(cppcoreguidelines-virtual-class-destructor): both on purpose, as said
public:
    virtual int GetKind() const = 0;
    // Destroys the adaptor (inside its module).
    virtual void Release() = 0;

protected:
    virtual ~QxAdaptor() = default;
};

// Carries one request frame to a server and brings the reply frame back.
class QxComAdaptor : public QxAdaptor {
public:
    int GetKind() const override { return QX_ADAPTOR_COM; }
    // Connects to address:port, sends request and receives one whole reply frame (its
    // header checked, its body not decoded), all within timeoutSeconds. 0 on success, else
    // one of the QX_RT_E_... codes with error saying why.
    [[nodiscard]] virtual long Exchange(const std::string& request, std::string& reply, const wchar_t* address,
                                        int port, long timeoutSeconds, Qx_WString& error) = 0;
};

// What a database adaptor may spend: how long a login and one statement may take, and how
// much of one result it reads (rows, and bytes of its text and binary values). A result
// past a limit is an error, never a silent cut. 0 or less: the default. poolIdleSeconds
// above 0 lets a released adaptor leave its connection open for a later one with the same
// connection string, for at most that long (for processes that keep the module loaded).
struct QxDbLimits {
    long loginTimeoutSeconds = 15;
    long queryTimeoutSeconds = 60;
    long long maxRows = 1000000;
    long long maxBytes = 64ll * 1024 * 1024;
    long poolIdleSeconds = 0;
};

// Runs statements against one database connection.
class QxDbAdaptor : public QxAdaptor {
public:
    int GetKind() const override { return QX_ADAPTOR_DB; }
    // Takes the limits for the next Connect and every later statement.
    virtual void SetLimits(const QxDbLimits& limits) = 0;
    // Opens the connection; user and password are added to the connection string when given
    // and the string names none. 0, or a non-zero code with error saying why.
    [[nodiscard]] virtual long Connect(const wchar_t* connectionString, const wchar_t* user, const wchar_t* password,
                                       Qx_WString& error) = 0;
    // Turns auto-commit off until EndTransaction, which commits or rolls back.
    [[nodiscard]] virtual long BeginTransaction(Qx_WString& error) = 0;
    [[nodiscard]] virtual long EndTransaction(bool commit, Qx_WString& error) = 0;
    // Runs one statement with '?' markers, binding params in order as parameters (never as
    // text; a text holding U+0000, which drivers would cut, is refused). When the statement gives a result set and result is not null, result is
    // emptied (id kept) and receives typed columns and every row. rowsAffected receives the
    // driver's row count (-1 when unknown). 0, or a non-zero code with error saying why.
    [[nodiscard]] virtual long Execute(const wchar_t* sql, const std::vector<Qx_Variant>& params, Qx_Dataset* result,
                                       long& rowsAffected, Qx_WString& error) = 0;
};

typedef long (*QxCreateAdaptorFn)(const wchar_t* id, const wchar_t* type, int version, const wchar_t* name,
                                  QxAdaptor** out);

// Runs one operation of an adaptor (or its entry point) behind a barrier: an exception
// that would leave the module becomes code, with error saying what it was.
template <class Body>
[[nodiscard]] long QxAdaptorCall(long code, Qx_WString& error, Body&& body) noexcept {
    return QxBarrier(code, body, [&](const char* what) {
        Qx_WString text;
        text.Set(what);
        error = L"the adaptor failed: ";
        error += text;
    });
}

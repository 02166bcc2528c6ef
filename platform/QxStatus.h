#pragma once
// The one failure type inside the library: what kind of failure it is, the number that the
// system or a component gave for it, and a reason for people. Statuses are made from
// GetLastError, WSAGetLastError and HRESULTs here and nowhere else; only the exported
// functions turn a status into the results their callers know (a runtime code, -1, false,
// a message). Header-only, like QxSystemError.h, so that the modules that link the
// runtime's internals have it too. A failure is a result, never an exception (only memory
// running out while a reason is made throws, and the barriers catch that).
#include "platform/QxSystemError.h"
#include <cwchar>
#include <string>
#include <utility>

// What went wrong. kOk alone is success; number() is described with each maker below.
enum class QxCode {
    kOk = 0,
    // Connections and waits.
    kTimeout,  // a deadline passed
    kClosed,   // the peer closed the connection between frames
    kStopped,  // the caller asked to stop
    kBusy,     // a budget shared with others has no room now
    // Content and arguments.
    kBadFrame,     // bytes that are no valid frame of the wire protocol
    kTooLarge,     // content that would take more than it may (memory, rows, bytes)
    kOutOfMemory,  // memory ran out
    kMalformed,    // a text that breaks its own rules (a statement, a definition)
    kBadInput,     // an input or argument that is missing or no valid value
    kNotReady,     // called before what it needs was done (a job not opened)
    // Files and documents.
    kNotFound,          // nothing of that name
    kReadFailed,        // a file or document that could not be read
    kWriteFailed,       // a file that could not be written
    kNotWellFormed,     // a document that is not well-formed XML
    kMissingAttribute,  // an element lacks an attribute it must have
    // Failures that others report by number.
    kResultCode,  // a component (an adaptor, a driver) answered a failure code
    kSystem,      // a system call failed
};

// The code's name as written above, for logs and test output.
inline const char* QxCodeName(QxCode code) {
    static const char* const kNames[] = {
        "kOk",         "kTimeout",     "kClosed",        "kStopped",          "kBusy",       "kBadFrame",
        "kTooLarge",   "kOutOfMemory", "kMalformed",     "kBadInput",         "kNotReady",   "kNotFound",
        "kReadFailed", "kWriteFailed", "kNotWellFormed", "kMissingAttribute", "kResultCode", "kSystem"};
    const size_t at = static_cast<size_t>(code);
    return at < sizeof kNames / sizeof kNames[0] ? kNames[at] : "?";
}

class [[nodiscard]] QxStatus {
public:
    // Success.
    QxStatus() = default;
    // A failure of the given kind; number is the result code a component answered (for
    // kResultCode), else 0 or the system's number.
    QxStatus(QxCode code, std::wstring reason, long number = 0)
        : code_(code), number_(number), reason_(std::move(reason)) {}
    // The same from a terminated text (the library's string classes turn into one).
    QxStatus(QxCode code, const wchar_t* reason, long number = 0)
        : QxStatus(code, std::wstring(reason ? reason : L""), number) {}

    // A failed system call: number() is error, and the reason is "what: <the system's
    // message>" (the message alone when what is null or empty; "error N" when the system
    // has none). The code says what failed, where kSystem says too little.
    static QxStatus FromSystemError(DWORD error, const wchar_t* what, QxCode code = QxCode::kSystem) {
        return QxStatus(code, Reason(what, QxSystemErrorLine(error)), static_cast<long>(error));
    }
    // The same with GetLastError. It is read first thing, but what is made before the call:
    // pass a text that is ready, not one whose making calls the system.
    static QxStatus FromLastError(const wchar_t* what, QxCode code = QxCode::kSystem) {
        return FromSystemError(GetLastError(), what, code);
    }
#if defined(_WINSOCK2API_)
    // The same with WSAGetLastError.
    static QxStatus FromWsaError(const wchar_t* what, QxCode code = QxCode::kSystem) {
        return FromSystemError(static_cast<DWORD>(WSAGetLastError()), what, code);
    }
#endif
    // A failed COM call: number() is hr. A Win32 code wrapped in an HRESULT is worded as
    // that code; one the system has no message for reads "error 0x8XXXXXXX".
    static QxStatus FromHResult(HRESULT hr, const wchar_t* what, QxCode code = QxCode::kSystem) {
        const DWORD wrapped = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
        wchar_t hex[24];
        swprintf(hex, 24, L"error 0x%08lX", static_cast<unsigned long>(hr));
        return QxStatus(code, Reason(what, QxSystemErrorLineOr(wrapped, hex)), static_cast<long>(hr));
    }

    bool ok() const noexcept { return code_ == QxCode::kOk; }
    QxCode code() const noexcept { return code_; }
    // The system's error number or the component's result code; 0 when none was given.
    long number() const noexcept { return number_; }
    const std::wstring& reason() const noexcept { return reason_; }

private:
    static std::wstring Reason(const wchar_t* what, const std::wstring& message) {
        return what && *what ? std::wstring(what) + L": " + message : message;
    }

    QxCode code_ = QxCode::kOk;
    long number_ = 0;
    std::wstring reason_;
};

#pragma once
#include "platform/QxHandle.h"
#include <string>

// The one place where a system error code becomes text: the system's message for the code
// (Win32 and Winsock codes alike) in the user's default language, with inserts ignored.
// Exactly as the system words it, a line break at its end included; empty when the system
// has no text for the code. Header-only, so that the modules that link the runtime's
// internals have it too.
[[nodiscard]] inline std::wstring QxSystemErrorText(DWORD code) {
    QxLocalMem<wchar_t> text;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    DWORD length = FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPWSTR>(text.Put()), 0, nullptr);
    return length && text ? std::wstring(text.Get(), length) : std::wstring();
}

// The same text as one line for messages: without the line break and trailing blanks, and
// fallback when the system has no text for the code.
[[nodiscard]] inline std::wstring QxSystemErrorLineOr(DWORD code, const std::wstring& fallback) {
    std::wstring text = QxSystemErrorText(code);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text.empty() ? fallback : text;
}

// One line, and "error N" when the system has no text for the code.
[[nodiscard]] inline std::wstring QxSystemErrorLine(DWORD code) {
    return QxSystemErrorLineOr(code, L"error " + std::to_wstring(code));
}

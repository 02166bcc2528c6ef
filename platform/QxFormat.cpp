#include "platform/QxFormat.h"
#include <cstdio>
#include <cwchar>

// The Microsoft C runtime's wide formatting is used on purpose: in it "%s" takes a wide
// string, as callers of a wide Format expect.
std::wstring QxVFormat(const wchar_t* format, va_list args) {
    if (!format) return std::wstring();
    va_list counting;  // NOLINT(cppcoreguidelines-init-variables): va_copy sets it
    va_copy(counting, args);
    int length = _vscwprintf(format, counting);
    va_end(counting);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    va_list writing;  // NOLINT(cppcoreguidelines-init-variables): va_copy sets it
    va_copy(writing, args);
    int written = _vsnwprintf(&text[0], text.size(), format, writing);
    va_end(writing);
    if (written < 0) return std::wstring();
    text.resize(static_cast<size_t>(written));
    return text;
}

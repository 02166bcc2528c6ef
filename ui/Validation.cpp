#include "ui/Validation.h"
#include "platform/QxBarrier.h"
#include <cwctype>

namespace {
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsPermitted(wchar_t c, bool extended) {
    if (c > 0x00FF) return false;
    if (IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'_') return true;
    // The extended set adds the space, the comma and "&'()*" (U+0026 to U+002A).
    return extended && (c == L' ' || c == L',' || (c >= L'&' && c <= L'*'));
}
}  // namespace

// The contract passes the text by value.
// cppcheck-suppress passedByValue
// NOLINTNEXTLINE(performance-unnecessary-value-param)
int qx_ValidationSpecialChar(Qx_WString text, const wchar_t*, int, int, int extended) {
    if (IsAsciiDigit(text.GetAt(0))) return 0;
    for (int i = 0; i < text.GetLength(); ++i)
        if (!IsPermitted(text.GetAt(i), extended != 0)) return 0;
    return 1;
}

namespace {
int IsAllAlpha(const wchar_t* text) {
    const Qx_WString copy(text);
    for (int i = 0; i < copy.GetLength(); ++i)
        if (!iswalpha(copy.GetAt(i))) return 0;
    return 1;
}
}  // namespace

int qx_IsAlpha(const wchar_t* text) {
    return QxBarrier(0, [&] { return IsAllAlpha(text); });
}

#include "foundation/QxStringFunctions.h"
#include "platform/QxWin.h"
#include <cwchar>

namespace {

using UpcaseFn = WCHAR(WINAPI*)(WCHAR);

// The system's upper case of every UTF-16 code unit: the table that case-blind ordinal
// comparison (CompareStringOrdinal) is defined on. Built once; null when the system's
// routine cannot be found, the comparison then asking the system each time.
const wchar_t* UpperTable() {
    static const wchar_t* const table = []() -> const wchar_t* {
        auto upcase = reinterpret_cast<UpcaseFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
        if (!upcase) return nullptr;
        static wchar_t upper[0x10000];
        for (unsigned c = 0; c < 0x10000; ++c) upper[c] = upcase(static_cast<WCHAR>(c));
        return upper;
    }();
    return table;
}

int SystemCompare(const wchar_t* a, const wchar_t* b) {
    int r = CompareStringOrdinal(a, -1, b, -1, TRUE);
    if (r == CSTR_LESS_THAN) return -1;
    if (r == CSTR_GREATER_THAN) return 1;
    return 0;
}

}  // namespace

int qx_strlenW(const wchar_t* text) { return text ? static_cast<int>(wcslen(text)) : 0; }

int qx_strcmpW(const wchar_t* a, const wchar_t* b) {
    int r = wcscmp(a ? a : L"", b ? b : L"");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// Code unit by code unit on the upper cases; a text that ends first is the smaller. Equal
// units are never looked up.
int qx_stricmpW(const wchar_t* a, const wchar_t* b) {
    a = a ? a : L"";
    b = b ? b : L"";
    const wchar_t* upper = UpperTable();
    if (!upper) return SystemCompare(a, b);
    for (;; ++a, ++b) {
        const wchar_t ca = *a, cb = *b;
        if (ca == cb) {
            if (ca == 0) return 0;
            continue;
        }
        const wchar_t ua = upper[static_cast<unsigned short>(ca)], ub = upper[static_cast<unsigned short>(cb)];
        if (ua != ub) return ua < ub ? -1 : 1;
        // Only a unit whose upper case were 0 could match a terminator here.
        if (ca == 0) return -1;
        if (cb == 0) return 1;
    }
}

#include "foundation/QxStringFunctions.h"
#include "platform/QxWin.h"
#include <cwchar>

int qx_strlenW(const wchar_t* text) { return text ? static_cast<int>(wcslen(text)) : 0; }

int qx_strcmpW(const wchar_t* a, const wchar_t* b) {
    int r = wcscmp(a ? a : L"", b ? b : L"");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int qx_stricmpW(const wchar_t* a, const wchar_t* b) {
    a = a ? a : L"";
    b = b ? b : L"";
    int r = CompareStringOrdinal(a, -1, b, -1, TRUE);
    if (r == CSTR_LESS_THAN) return -1;
    if (r == CSTR_GREATER_THAN) return 1;
    return 0;
}

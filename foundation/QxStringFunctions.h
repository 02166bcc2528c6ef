#pragma once
#include "platform/QxExport.h"

// Null pointers count as the empty text in all of these.
QX_API int qx_strlenW(const wchar_t* text);
// Three-way comparisons: negative, 0 or positive. qx_stricmpW ignores case (Unicode
// simple case folding, ordinal), so its order is the same on every machine.
QX_API int qx_strcmpW(const wchar_t* a, const wchar_t* b);
QX_API int qx_stricmpW(const wchar_t* a, const wchar_t* b);

#pragma once
#include "afx/CString.h"
#include "platform/QxExport.h"
#include "platform/QxWin.h"

// A new fixed-pitch font of 9 points on the screen's resolution for a character set named
// like "euc-kr" or "windows-1252": the face is the fixed-width font that the system's MIME
// database gives for the code page, "Tahoma" when it names none. The caller owns the font
// (DeleteObject). Null for a null or empty name, or when the font cannot be created.
QX_API HFONT qx_GetFontByCharset(const wchar_t* charsetName);

// The user-interface language code from the tool's settings ("Lang"); "KOR" when the key
// or the value is missing or empty.
QX_API void qx_GetLangStr(CString& language);

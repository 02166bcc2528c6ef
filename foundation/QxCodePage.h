#pragma once
#include "platform/QxExport.h"

// The Windows code page of a charset name such as "utf-8", "euc-kr", "windows-1252",
// "shift_jis", "ms_Kanji" or "iso-8859-1" (case ignored), as the system's MIME character-set
// database gives it, aliases followed; names the database lacks come from a table of common
// names and the numbered forms ("cp1252"). 0 (the ANSI code page) when the name is unknown,
// empty or null.
QX_API unsigned qx_findcodepageW(const wchar_t* charsetName);
// The code page that stands behind a code page: the pseudo code pages 0 (ANSI), 1 (OEM),
// 2 (Mac) and 3 (thread ANSI) become the real ones, any other is answered unchanged.
QX_API unsigned qx_activecodepage(unsigned codePage);
// The GDI character set of a code page (after qx_activecodepage); DEFAULT_CHARSET (1)
// when Windows knows none.
QX_API int qx_getcharset(unsigned codePage);
// The ANSI code page of the user's locale.
QX_API unsigned QxGetLocaleCP();

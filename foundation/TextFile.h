#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_WString.h"

// Reads a whole file in text mode into buffer: the bytes read, then one zero byte (not
// counted). False, buffer untouched, when the file cannot be opened; false when the read
// itself fails. A shorter read caused by text-mode translation is not a failure.
QX_API bool qx_GetTextFileSource(const wchar_t* path, Qx_Buffer& buffer);

// Writes text to path in the system's ANSI code page, text mode, no byte-order mark and
// no terminator. The text goes to a temporary file in the same folder, which then replaces
// path in one step, so a failed write never leaves a half-written or emptied file.
// 0 when written; -1 when the file cannot be created or the write fails (path untouched).
QX_API long qx_PutTextFileSource(const wchar_t* path, Qx_WString text);

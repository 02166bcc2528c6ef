#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_WString.h"

// Reads a whole file in text mode into buffer: the bytes read, then one zero byte (not
// counted). A file that starts with a UTF-16 byte-order mark is read as it is on disk,
// since text mode would cut it at a byte 0x1A and join CR LF inside its characters.
// False, buffer untouched, when the file cannot be opened, the read fails or memory runs
// out. A shorter read caused by text-mode translation is not a failure.
QX_API bool qx_GetTextFileSource(const wchar_t* path, Qx_Buffer& buffer);

// Writes text to path in the system's ANSI code page, text mode (LF as CR LF), no
// byte-order mark and no terminator. An existing file is rewritten in place and stays the
// same file (owner, ACL, attributes, links and streams kept); a new one is written under a
// temporary name and then named. 0 when written; -1, with the old file as it was, when
// writing fails, the folder is missing, the file is read-only, hidden or system (as opening
// it with "wt" refuses), cannot be opened for writing, or memory runs out.
QX_API long qx_PutTextFileSource(const wchar_t* path, Qx_WString text);

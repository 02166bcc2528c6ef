#pragma once
#include "platform/QxExport.h"

// Deletes the files that path names (wildcards allowed) through the shell, without
// confirmation or progress; with a non-zero recycle flag they go to the recycle bin. A
// relative path is made absolute first, since the shell deletes for good what it cannot
// locate in the recycle bin. The shell shows its own message when a file cannot be
// deleted. 1 when the shell reports success; 0 otherwise and for a null or empty path.
QX_API int qx_DeleteFile(const wchar_t* path, int recycle);

#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_PtrList.h"

// Readers of "\qrx_serverenv.xml" in the working directory. Each appends one new
// SERVER_INFO per entry of its group, in document order, to list (never emptied first).
// False when the file cannot be read or parsed, has no "environments" root, or an entry
// breaks off the reading (such as one without "name"): records appended before stay.
// True otherwise, also when the group is missing or empty.
QX_API bool qx_ReadLocalList(Qx_PtrList& list);
QX_API bool qx_ReadAspJspList(Qx_PtrList& list);
QX_API bool qx_ReadServerList(Qx_PtrList& list);

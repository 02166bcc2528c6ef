#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_PtrList.h"

// Reads "\qrx_environment.xml" of the working directory: one new ENVIRONMENT_INFO per
// child of the "adaptors" root, in document order, appended to list (never emptied first;
// the caller deletes the records). module is the attribute "module" with "320" appended.
// False when the file cannot be read or parsed, or when a module lacking "name" or
// "module" ends the reading (records appended before stay). True otherwise, also when the
// root is missing or empty.
QX_API bool qx_ReadEnvironmentList(Qx_PtrList& list);

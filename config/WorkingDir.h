#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_WString.h"

// Sets the folder of the configuration files (expected without a trailing backslash;
// one given is kept and doubles the separator, which the file system accepts).
// Null empties it.
QX_API void qx_SetWorkingDir(const wchar_t* directory);

// The working directory as last set; empty until then. Internal to the library.
const Qx_WString& QxWorkingDir();
// The path of a configuration file: the working directory followed by fileName, which
// begins with a backslash. Internal to the library.
Qx_WString QxConfigFilePath(const wchar_t* fileName);

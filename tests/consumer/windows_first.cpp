// A host that includes <windows.h> before the library, with its own settings (the
// package gives it UNICODE) and the old winsock.h that <windows.h> brings along.
#include <windows.h>

#include "QxQVInfo320U.h"

int WindowsFirstSeen() { return WINVER; }

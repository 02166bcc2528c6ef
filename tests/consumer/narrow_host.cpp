// A host that includes <windows.h> without UNICODE: the library's headers name wide
// functions and members such as LoadBitmap that the narrow macros would rename.
#undef UNICODE
#undef _UNICODE
#include <windows.h>

#include "QxQVInfo320U.h"

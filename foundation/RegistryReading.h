#pragma once
#include "foundation/CRegistry.h"

// Opens root\path into registry for reading only (KEY_READ), as CRegistry::OpenKey does
// otherwise: the key held before is closed, and on failure the object is closed. The
// library's own reads take this way, so that a key the user may only read (the machine's
// MIME database for a standard user) still opens. Internal to the library, not exported:
// hosts keep the full-access contract of CRegistry. Copies of an object opened this way
// ask for full access and may come out closed; the library makes none.
int QxOpenKeyForReading(CRegistry& registry, CRegistry::Keys root, const wchar_t* path);

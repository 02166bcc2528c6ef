#pragma once
#include "platform/QxWin.h"
#include <objidl.h>
#include <xmllite.h>

// XmlLite has no import library in MinGW: xmllite.dll is loaded once per process and
// kept loaded. Answers S_OK and a reader with DTDs prohibited, or a failure code
// (the DLL or its entry point missing). Internal.
HRESULT QxCreateXmlReader(IXmlReader** reader);

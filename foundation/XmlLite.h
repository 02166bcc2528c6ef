#pragma once
#include "platform/QxStatus.h"
#include "platform/QxWin.h"
#include <objidl.h>
#include <xmllite.h>

// XmlLite has no import library in MinGW: xmllite.dll is loaded once per process and
// kept loaded. A reader with DTDs prohibited into reader, or the failure (kNotFound when
// the DLL or its entry point is missing, kSystem with the HRESULT otherwise), reader null.
// Internal.
QxStatus QxCreateXmlReader(IXmlReader** reader);

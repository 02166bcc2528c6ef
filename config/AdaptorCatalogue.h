#pragma once
#include "config/QxRecords.h"
#include "platform/QxExport.h"
#include "foundation/Qx_PtrList.h"

// Reads "\qrx_adaptor.xml" of the working directory: one new ADAPTER_INFO per adaptor of
// the "adaptors" root, in document order, appended to list (never emptied first); dir is
// the working directory. 0 when read; -1 when the file cannot be read (message "XML load
// failed"), does not parse (message "Invalid XML") or has no "adaptors" root (no message).
// An adaptor that lacks one of its six attributes ends the reading with "Invalid XML" and
// -1; the records appended before stay.
QX_API long qx_ReadAdapterInformation(Qx_PtrList& list);

// The first catalogued adaptor whose key equals key exactly (case counts), copied into out
// with dir set to the tool's component folder (the settings value "ComponentPath", or "."
// when that is missing or empty). 0 when found; -1 otherwise, out untouched. The
// catalogue is read afresh at every call, with the messages of qx_ReadAdapterInformation.
QX_API long qx_GetAdapterInfo(const wchar_t* key, ADAPTER_INFO& out);

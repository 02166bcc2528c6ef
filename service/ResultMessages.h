#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Result.h"
#include "foundation/Qx_WString.h"

// Shows a result's messages in a message box with an OK button; a result that renders to
// the empty text shows nothing.
QX_API void qx_DisplayResultMsg(Qx_Result& result);

// The system's text for the calling thread's last error code, as the system words it
// (a line break at its end stays); empty when the system has no text for the code.
QX_API void qx_GetSystemErrorStr(Qx_WString& out);

// Entry id of the library's string table formatted with the system's insert rules, insert
// as %1; empty when the entry is missing. Internal.
Qx_WString QxFormatModuleMessage(unsigned id, const wchar_t* insert);

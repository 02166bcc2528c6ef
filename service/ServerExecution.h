#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_DatasetList.h"
#include "foundation/Qx_Result.h"
#include "foundation/Qx_VariableList.h"
#include "foundation/Qx_WString.h"

struct SERVER_INFO;
class Qx_AdapterComWrapper;
class Qx_Provider;

// Runs service on the server the record names (grpname, ip, port, adaptor) with the
// variables and datasets as inputs; on success the reply has been added to the same two
// lists. 0 when the server answered with success, -1 otherwise; the user has been shown
// why where there is something to show. The last two arguments are accepted and unused.
QX_API long qx_LoadServerService(SERVER_INFO* server, Qx_WString service, Qx_VariableList& variables,
                                 Qx_DatasetList& datasets, const wchar_t* format, long flags);

// Loads the server's adaptor module as a frame service of provider. Code 0 with wrapper
// set; otherwise the wrapper is untouched and the result carries the code and, where there
// is one, the message (already shown to the user).
QX_API Qx_Result qx_LoadAdapter(SERVER_INFO* server, Qx_AdapterComWrapper*& wrapper, Qx_Provider* provider);

// The request time-out in seconds for every later request (10 until set).
QX_API void qx_SetTimeout(long seconds);

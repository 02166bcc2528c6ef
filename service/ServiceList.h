#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_PtrList.h"

struct SERVER_INFO;

// Appends one new SVC_INFO per service to list (never emptied first): from the server
// (fromServer true, service "dbm_svc_get_svclist") or from the record's local folder of
// <service>.xml files. -1 when the server request failed, else 0 (a reply without
// services, or a folder that is empty, missing or not set, lists nothing).
QX_API long qx_GetSvcList(SERVER_INFO* server, Qx_PtrList& list, bool fromServer);

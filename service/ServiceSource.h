#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_Dataset.h"
#include "foundation/Qx_WString.h"

struct SERVER_INFO;
struct SVC_INFO;
class Qx_DOMElement;

// The service's XML definition: cut out of its source fetched from the server
// ("dbm_svc_load_svc") when the record is remote, else the whole <svc_forder>\<name>.xml.
// 0 with out set; -1 with out untouched when the request, the reply or the file fails, or
// when a local record has no folder set.
QX_API long qx_GetSvcSource(SERVER_INFO* server, const wchar_t* service, Qx_WString& out);

// Cuts the service XML block out of a source text: the begin line without its marker,
// the block's lines except ORG_SOURCE marker lines, the end line without its marker,
// appended piece after piece (line ends kept).
QX_API void qx_GetXMLSource(Qx_WString& source, Qx_WString& out);

// The text of the element's first CDATA child, else the element's own text.
QX_API void qx_GetCDataStr(const Qx_DOMElement* element, Qx_WString& out);

// Makes dataset the empty table of a dataset description: columns name, type, size,
// comment, no rows.
QX_API void qx_MakeDatasetColumns(Qx_Dataset& dataset);

// 1 when the buffer parses as an XML document, else 0.
QX_API int qx_ValidXML(Qx_Buffer& buffer);

// Kept for hosts that call them; they do nothing.
QX_API void qx_OldParseSvcSource(Qx_WString& source, SVC_INFO* info);
QX_API void qx_NewParseSvcSource(Qx_WString& source, SVC_INFO* info, Qx_WString& out, int flags);

#include "config/ConfigDocument.h"
#include "config/WorkingDir.h"
#include "foundation/TextFile.h"

QxConfigLoad QxLoadConfigDocument(const wchar_t* fileName, Qx_XmlDOM& document) {
    Qx_WString path = QxConfigFilePath(fileName);
    Qx_Buffer buffer;
    if (!qx_GetTextFileSource(path.c_str(), buffer)) return QxConfigLoad::ReadFailed;
    return document.LoadXML(buffer) == 1 ? QxConfigLoad::Ok : QxConfigLoad::ParseFailed;
}

const wchar_t* QxAttrOr(const Qx_DOMElement* element, const wchar_t* name, const wchar_t* fallback) {
    const Qx_NamedStr* attr = element ? element->GetAttrItem(name) : nullptr;
    return attr ? attr->value.c_str() : fallback;
}

const wchar_t* QxRequiredAttr(const Qx_DOMElement* element, const wchar_t* name) {
    const Qx_NamedStr* attr = element ? element->GetAttrItem(name) : nullptr;
    if (!attr) throw QxMissingAttribute();
    return attr->value.c_str();
}

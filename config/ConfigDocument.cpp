#include "config/ConfigDocument.h"
#include "config/WorkingDir.h"
#include "foundation/TextFile.h"

QxStatus QxLoadConfigDocument(const wchar_t* fileName, Qx_XmlDOM& document) {
    Qx_WString path = QxConfigFilePath(fileName);
    Qx_Buffer buffer;
    if (!qx_GetTextFileSource(path.c_str(), buffer))
        return QxStatus(QxCode::kReadFailed, std::wstring(L"cannot read ") + path.c_str());
    if (document.LoadXML(buffer) != 1)
        return QxStatus(QxCode::kNotWellFormed, std::wstring(path.c_str()) + L" is no well-formed document");
    return QxStatus();
}

const wchar_t* QxAttrOr(const Qx_DOMElement* element, const wchar_t* name, const wchar_t* fallback) {
    const Qx_NamedStr* attr = element ? element->GetAttrItem(name) : nullptr;
    return attr ? attr->value.c_str() : fallback;
}

QxStatus QxRequiredAttr(const Qx_DOMElement* element, const wchar_t* name, Qx_WString& value) {
    const Qx_NamedStr* attr = element ? element->GetAttrItem(name) : nullptr;
    if (!attr) return QxStatus(QxCode::kMissingAttribute, std::wstring(L"an entry lacks \"") + name + L"\"");
    value = attr->value;
    return QxStatus();
}

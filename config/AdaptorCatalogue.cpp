#include "config/AdaptorCatalogue.h"
#include "afx/AfxMessageBox.h"
#include "config/ConfigDocument.h"
#include "config/ToolSettings.h"
#include "config/WorkingDir.h"
#include "foundation/QxHandOver.h"
#include "foundation/QxStringFunctions.h"
#include "platform/QxBarrier.h"
#include <exception>
#include <memory>
#include <utility>

namespace {

// The record of one adaptor; kMissingAttribute for an adaptor without one of its six
// attributes.
QxStatus MakeRecord(const Qx_DOMElement* entry, std::unique_ptr<ADAPTER_INFO>& record) {
    record.reset(new ADAPTER_INFO);
    record->dir = QxWorkingDir();
    const std::pair<const wchar_t*, Qx_WString ADAPTER_INFO::*> kRequired[] = {
        {L"adaptor", &ADAPTER_INFO::adaptor}, {L"moudle", &ADAPTER_INFO::module},  // spelled so in the catalogue
        {L"name", &ADAPTER_INFO::name},       {L"id", &ADAPTER_INFO::id},
        {L"type", &ADAPTER_INFO::type},       {L"ver", &ADAPTER_INFO::ver},
    };
    for (const auto& [attribute, field] : kRequired) {
        QxStatus status = QxRequiredAttr(entry, attribute, record.get()->*field);
        if (!status.ok()) return status;
    }
    return QxStatus();
}

long InvalidCatalogue() {
    AfxMessageBox(L"Invalid XML");
    return -1;
}

// Frees the lookup's own records whichever way the lookup ends; a copy would free them twice.
struct OwnedAdaptorList {
    OwnedAdaptorList() = default;
    OwnedAdaptorList(const OwnedAdaptorList&) = delete;
    OwnedAdaptorList& operator=(const OwnedAdaptorList&) = delete;
    ~OwnedAdaptorList() { qx_ClearAdapterInfoList(list); }

    Qx_PtrList list;
};

long ReadCatalogue(Qx_PtrList& list) {
    Qx_XmlDOM document(0);
    const QxStatus loaded = QxLoadConfigDocument(L"\\qrx_adaptor.xml", document);
    if (!loaded.ok()) {
        AfxMessageBox(loaded.code() == QxCode::kReadFailed ? L"XML load failed" : L"Invalid XML");
        return -1;
    }
    const Qx_DOMElement* adaptors = document.GetItem(document.FindTag(L"adaptors", 0));
    if (!adaptors) return -1;
    // An adaptor without one of its attributes ends the reading with "Invalid XML", and so
    // does memory running out while the adaptors are read: what was appended stays.
    const int count = adaptors->GetChildCount();
    try {
        for (int i = 0; i < count; ++i) {
            const Qx_DOMElement* entry = adaptors->GetChildList()->GetItem(i);
            if (!entry || entry->GetNodeType() != QX_NODE_ELEMENT) continue;  // a CDATA section is no adaptor
            std::unique_ptr<ADAPTER_INFO> record;
            if (!MakeRecord(entry, record).ok()) return InvalidCatalogue();
            QxHandOver(list, std::move(record));
        }
    } catch (const std::exception&) {
        return InvalidCatalogue();
    }
    return 0;
}

long LookUp(const wchar_t* key, ADAPTER_INFO& out) {
    CString folder = QxReadToolSetting(kQxSettingComponentPath);
    if (folder.IsEmpty()) folder = L".";

    OwnedAdaptorList catalogue;
    qx_ReadAdapterInformation(catalogue.list);  // a partial catalogue is still searched
    for (int i = 0; i < catalogue.list.Count(); ++i) {
        const ADAPTER_INFO* found = static_cast<const ADAPTER_INFO*>(catalogue.list.Items(i));
        if (!found || qx_strcmpW(found->adaptor, key) != 0) continue;
        // Filled aside and then moved in, so that out is either filled or as it was.
        ADAPTER_INFO filled;
        filled.adaptor = found->adaptor;
        filled.id = found->id;
        filled.module = found->module;
        filled.name = found->name;
        filled.type = found->type;
        filled.ver = found->ver;
        filled.dir = folder.GetString();
        out = std::move(filled);
        return 0;
    }
    return -1;
}

}  // namespace

long qx_ReadAdapterInformation(Qx_PtrList& list) {
    return QxBarrier(-1L, [&] { return ReadCatalogue(list); });
}

long qx_GetAdapterInfo(const wchar_t* key, ADAPTER_INFO& out) {
    return QxBarrier(-1L, [&] { return LookUp(key, out); });
}

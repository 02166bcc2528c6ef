#include "config/AdaptorCatalogue.h"
#include "afx/AfxMessageBox.h"
#include "config/ConfigDocument.h"
#include "config/ToolSettings.h"
#include "config/WorkingDir.h"
#include "foundation/QxHandOver.h"
#include "foundation/QxStringFunctions.h"
#include "platform/QxBarrier.h"
#include <memory>

namespace {

std::unique_ptr<ADAPTER_INFO> MakeRecord(const Qx_DOMElement* entry) {
    std::unique_ptr<ADAPTER_INFO> record(new ADAPTER_INFO);
    record->adaptor = QxRequiredAttr(entry, L"adaptor");
    record->dir = QxWorkingDir();
    record->module = QxRequiredAttr(entry, L"moudle");  // spelled so in the catalogue
    record->name = QxRequiredAttr(entry, L"name");
    record->id = QxRequiredAttr(entry, L"id");
    record->type = QxRequiredAttr(entry, L"type");
    record->ver = QxRequiredAttr(entry, L"ver");
    return record;
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
    switch (QxLoadConfigDocument(L"\\qrx_adaptor.xml", document)) {
    case QxConfigLoad::ReadFailed: AfxMessageBox(L"XML load failed"); return -1;
    case QxConfigLoad::ParseFailed: AfxMessageBox(L"Invalid XML"); return -1;
    case QxConfigLoad::Ok: break;
    }
    const Qx_DOMElement* adaptors = document.GetItem(document.FindTag(L"adaptors", 0));
    if (!adaptors) return -1;
    const int count = adaptors->GetChildCount();
    try {
        for (int i = 0; i < count; ++i) {
            const Qx_DOMElement* entry = adaptors->GetChildList()->GetItem(i);
            if (!entry || entry->GetNodeType() != QX_NODE_ELEMENT) continue;  // a CDATA section is no adaptor
            QxHandOver(list, MakeRecord(entry));
        }
    } catch (...) {
        // An adaptor without one of its attributes, or memory running out.
        AfxMessageBox(L"Invalid XML");
        return -1;
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

long qx_ReadAdapterInformation(Qx_PtrList& list) { return QxBarrier(-1L, [&] { return ReadCatalogue(list); }); }

long qx_GetAdapterInfo(const wchar_t* key, ADAPTER_INFO& out) { return QxBarrier(-1L, [&] { return LookUp(key, out); }); }

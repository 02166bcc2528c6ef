#include "config/EnvironmentModules.h"
#include "config/ConfigDocument.h"
#include "config/QxRecords.h"
#include "foundation/QxHandOver.h"
#include "platform/QxBarrier.h"
#include <memory>

namespace {
std::unique_ptr<ENVIRONMENT_INFO> MakeRecord(const Qx_DOMElement* entry) {
    std::unique_ptr<ENVIRONMENT_INFO> record(new ENVIRONMENT_INFO);
    record->name = QxRequiredAttr(entry, L"name");
    record->module = QxRequiredAttr(entry, L"module");
    record->module += L"320";  // the tool's modules carry the product generation
    return record;
}

bool ReadModules(Qx_PtrList& list) {
    Qx_XmlDOM document(0);
    if (QxLoadConfigDocument(L"\\qrx_environment.xml", document) != QxConfigLoad::Ok) return false;
    const Qx_DOMElement* modules = document.GetItem(document.FindTag(L"adaptors", 0));
    if (!modules) return true;
    const int count = modules->GetChildCount();
    try {
        for (int i = 0; i < count; ++i) {
            const Qx_DOMElement* entry = modules->GetChildList()->GetItem(i);
            if (!entry || entry->GetNodeType() != QX_NODE_ELEMENT) continue;
            QxHandOver(list, MakeRecord(entry));
        }
    } catch (...) {
        // A module without "name" or "module", or memory running out: keep what was appended.
        return false;
    }
    return true;
}
}  // namespace

bool qx_ReadEnvironmentList(Qx_PtrList& list) { return QxBarrier(false, [&] { return ReadModules(list); }); }

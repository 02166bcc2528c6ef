#include "config/EnvironmentModules.h"
#include "config/ConfigDocument.h"
#include "config/QxRecords.h"
#include "foundation/QxHandOver.h"
#include "platform/QxBarrier.h"
#include <memory>
#include <utility>

namespace {
// The record of one module; kMissingAttribute for a module without "name" or "module".
QxStatus MakeRecord(const Qx_DOMElement* entry, std::unique_ptr<ENVIRONMENT_INFO>& record) {
    record.reset(new ENVIRONMENT_INFO);
    QxStatus status = QxRequiredAttr(entry, L"name", record->name);
    if (status.ok()) status = QxRequiredAttr(entry, L"module", record->module);
    if (status.ok()) record->module += L"320";  // the tool's modules carry the product generation
    return status;
}

bool ReadModules(Qx_PtrList& list) {
    Qx_XmlDOM document(0);
    if (!QxLoadConfigDocument(L"\\qrx_environment.xml", document).ok()) return false;
    const Qx_DOMElement* modules = document.GetItem(document.FindTag(L"adaptors", 0));
    if (!modules) return true;
    // A module without "name" or "module" ends the reading with false, as memory running out
    // does (the exported function's barrier answers false then): what was appended stays.
    const int count = modules->GetChildCount();
    for (int i = 0; i < count; ++i) {
        const Qx_DOMElement* entry = modules->GetChildList()->GetItem(i);
        if (!entry || entry->GetNodeType() != QX_NODE_ELEMENT) continue;
        std::unique_ptr<ENVIRONMENT_INFO> record;
        if (!MakeRecord(entry, record).ok()) return false;
        QxHandOver(list, std::move(record));
    }
    return true;
}
}  // namespace

bool qx_ReadEnvironmentList(Qx_PtrList& list) {
    return QxBarrier(false, [&] { return ReadModules(list); });
}

#include "config/ServerEnvironment.h"
#include "config/ConfigDocument.h"
#include "config/QxRecords.h"
#include "foundation/QxHandOver.h"
#include "platform/QxBarrier.h"
#include <cstddef>
#include <iterator>
#include <memory>
#include <utility>

namespace {

// One attribute a group reads: where it goes and what an absent attribute gives.
struct FieldRule {
    const wchar_t* attribute;
    Qx_WString SERVER_INFO::*field;
    const wchar_t* fallback;
};

// A group's rules are constant data, made before the module runs: nothing is allocated,
// and so nothing can fail, while the module loads.
struct GroupRule {
    const wchar_t* tag;
    int remote;
    const FieldRule* fields;
    size_t fieldCount;
};

constexpr FieldRule kLocalFields[] = {
    {L"DBUser", &SERVER_INFO::DBUser, L""},
    {L"DBPass", &SERVER_INFO::DBPass, L""},
    {L"connection_str", &SERVER_INFO::connection_str, L""},
    {L"svc_forder", &SERVER_INFO::svc_forder, L""},
    {L"adaptor", &SERVER_INFO::adaptor, L"ADO"},
    {L"bindmethod", &SERVER_INFO::bindmethod, L"Replace"},
};
constexpr GroupRule kLocal = {L"local", 0, kLocalFields, std::size(kLocalFields)};

constexpr FieldRule kAspJspFields[] = {
    {L"connection_str", &SERVER_INFO::connection_str, L""},
    {L"PrgmType", &SERVER_INFO::PrgmType, L"ASP"},
    {L"baseurl", &SERVER_INFO::baseurl, L""},
    {L"DbType", &SERVER_INFO::DbType, L""},
};
constexpr GroupRule kAspJsp = {L"AspJsp", 1, kAspJspFields, std::size(kAspJspFields)};

constexpr FieldRule kServerFields[] = {
    {L"grpname", &SERVER_INFO::grpname, L""},
    {L"ip", &SERVER_INFO::ip, L""},
    {L"port", &SERVER_INFO::port, L""},
    {L"DBUser", &SERVER_INFO::DBUser, L""},
    {L"DBPass", &SERVER_INFO::DBPass, L""},
    {L"adaptor", &SERVER_INFO::adaptor, L""},
    {L"bindmethod", &SERVER_INFO::bindmethod, L"Replace"},
    {L"PrgmType", &SERVER_INFO::PrgmType, L"C++"},
    {L"TimeOut", &SERVER_INFO::TimeOut, L""},
};
constexpr GroupRule kServer = {L"server", 1, kServerFields, std::size(kServerFields)};

// The record of one entry; kMissingAttribute for an entry without "name".
QxStatus MakeRecord(const Qx_DOMElement* entry, const GroupRule& group, std::unique_ptr<SERVER_INFO>& record) {
    record.reset(new SERVER_INFO);
    QxStatus named = QxRequiredAttr(entry, L"name", record->name);
    if (!named.ok()) return named;
    for (size_t i = 0; i < group.fieldCount; ++i) {
        const FieldRule& rule = group.fields[i];
        (record.get()->*rule.field) = QxAttrOr(entry, rule.attribute, rule.fallback);
    }
    record->state = 0;
    record->remote = group.remote;
    return named;
}

bool ReadGroup(Qx_PtrList& list, const GroupRule& group) {
    Qx_XmlDOM document(0);
    if (!QxLoadConfigDocument(L"\\qrx_serverenv.xml", document).ok()) return false;
    const Qx_DOMElement* environments = document.GetItem(document.FindTag(L"environments", 0));
    if (!environments) return false;
    const Qx_DOMElemList* groups = environments->GetChildList();
    if (!groups) return true;
    const Qx_DOMElement* entries = groups->GetItem(group.tag, 0);
    if (!entries) return true;
    // An entry without "name" ends the reading with false, as memory running out does (the
    // exported function's barrier answers false then): what was appended stays.
    const int count = entries->GetChildCount();
    for (int i = 0; i < count; ++i) {
        const Qx_DOMElement* entry = entries->GetChildList()->GetItem(i);
        if (!entry || entry->GetNodeType() != QX_NODE_ELEMENT) continue;
        std::unique_ptr<SERVER_INFO> record;
        if (!MakeRecord(entry, group, record).ok()) return false;
        QxHandOver(list, std::move(record));
    }
    return true;
}

}  // namespace

// Memory running out before the entries are read (the path, the file, its decoding)
// leaves the list as it was and answers false, as a failure while reading them does.
bool qx_ReadLocalList(Qx_PtrList& list) {
    return QxBarrier(false, [&] { return ReadGroup(list, kLocal); });
}
bool qx_ReadAspJspList(Qx_PtrList& list) {
    return QxBarrier(false, [&] { return ReadGroup(list, kAspJsp); });
}
bool qx_ReadServerList(Qx_PtrList& list) {
    return QxBarrier(false, [&] { return ReadGroup(list, kServer); });
}

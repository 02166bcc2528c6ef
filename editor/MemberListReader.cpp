// CObjectList::ReadMemberList: fills the catalogue from a member list file.
//
//   <objectlist>
//     <object name="Customer" type="CCustomer" comment="...">   (any tag: every child is an object)
//       <var name="id" type="long" comment="..."/>
//       <method name="Load" prototype="bool Load(long id)" comment="..."/>
//     </object>
//   </objectlist>
#include "editor/ObjectCatalogue.h"
#include "foundation/QxStringFunctions.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_XmlDOM.h"
#include "foundation/TextFile.h"
#include "platform/QxBarrier.h"
#include <memory>

namespace {

// The attribute's value when it is there and not empty, else null.
const Qx_WString* Required(const Qx_DOMElement& element, const wchar_t* attribute) {
    const Qx_NamedStr* found = element.GetAttrItem(attribute);
    return found && !found->value.IsEmpty() ? &found->value : nullptr;
}

// The comment, or the empty text when it is missing.
void TakeComment(const Qx_DOMElement& element, Qx_WString& comment) {
    const Qx_NamedStr* found = element.GetAttrItem(L"comment");
    if (found) comment = found->value;
}

bool IsElement(const Qx_DOMElement* node) { return node && node->GetNodeType() == QX_NODE_ELEMENT; }

// Case-blind equality never matches texts of different lengths, so the length is looked at
// first: most tags are then never compared.
bool IsTag(const Qx_DOMElement& element, const wchar_t* tag, int length) {
    return element.GetTag().GetLength() == length && qx_stricmpW(element.GetTag(), tag) == 0;
}

// A member record from an element with "name" and a second required attribute, or null
// when either is missing or empty.
template <class Member>
std::unique_ptr<Member> ReadMember(const Qx_DOMElement& element, const wchar_t* secondName,
                                   Qx_WString Member::*second) {
    const Qx_WString* name = Required(element, L"name");
    if (!name) return nullptr;
    const Qx_WString* value = Required(element, secondName);
    if (!value) return nullptr;
    std::unique_ptr<Member> member(new Member);
    member->name = *name;
    (*member).*second = *value;
    TakeComment(element, member->comment);
    return member;
}

// Appends the variables and methods of an object element, in document order; other
// children are passed over.
void ReadMembers(const Qx_DOMElement& element, CObjectItem& object) {
    const Qx_DOMElemList* children = element.GetChildList();
    if (!children) return;
    for (int i = 0; i < children->Count(); ++i) {
        const Qx_DOMElement* child = children->GetItem(i);
        if (!IsElement(child)) continue;
        if (IsTag(*child, L"var", 3)) {
            if (std::unique_ptr<CVariable> variable = ReadMember(*child, L"type", &CVariable::type)) {
                object.variables.Add(variable.get());
                variable.release();
            }
        } else if (IsTag(*child, L"method", 6)) {
            if (std::unique_ptr<CMethod> method = ReadMember(*child, L"prototype", &CMethod::prototype)) {
                object.methods.Add(method.get());
                method.release();
            }
        }
    }
}

// The object of an element with "name" and "type", still without members; null when
// either is missing or empty.
std::unique_ptr<CObjectItem> ReadObject(const Qx_DOMElement& element) {
    const Qx_WString* name = Required(element, L"name");
    if (!name) return nullptr;
    const Qx_WString* type = Required(element, L"type");
    if (!type) return nullptr;
    std::unique_ptr<CObjectItem> object(new CObjectItem);
    object->name = *name;
    object->type = *type;
    TakeComment(element, object->comment);
    return object;
}

// The reading itself; the member puts it behind the barrier.
int ReadInto(CObjectList& catalogue, const wchar_t* path) {
    // A file that cannot be read leaves the buffer empty, which the parser rejects.
    Qx_Buffer source;
    qx_GetTextFileSource(path, source);
    Qx_XmlDOM document(0);
    if (!document.LoadXML(source)) return 0;
    const Qx_DOMElement* list = document.GetItem(document.FindTag(L"objectlist", 0));
    if (!list) return 0;
    const Qx_DOMElemList* children = list->GetChildList();
    try {
        for (int i = 0; children && i < children->Count(); ++i) {
            const Qx_DOMElement* child = children->GetItem(i);
            if (!IsElement(child)) continue;
            std::unique_ptr<CObjectItem> object = ReadObject(*child);
            if (!object) continue;
            // The object joins the list before its members are read: a failure while
            // reading them leaves it there with the members read so far.
            catalogue.Add(object.get());
            CObjectItem& added = *object.release();
            ReadMembers(*child, added);
        }
    } catch (...) {
        return 0;
    }
    return 1;
}

}  // namespace

int CObjectList::ReadMemberList(const wchar_t* path) {
    return QxBarrier(0, [&] { return ReadInto(*this, path); });
}

#include "editor/ObjectCatalogue.h"
#include "foundation/QxStringFunctions.h"
#include <algorithm>
#include <new>
#include <vector>

namespace {

template <class T>
T* At(const Qx_PtrList& list, int index) {
    return static_cast<T*>(list.Items(index));
}

// Null items (a host may add them) have no name: the scans pass over them.

// The first item in list order with that name, or null.
template <class T>
T* FindFirst(const Qx_PtrList& list, const wchar_t* name) {
    for (int i = 0, count = list.Count(); i < count; ++i) {
        T* item = At<T>(list, i);
        if (item && qx_stricmpW(item->name, name) == 0) return item;
    }
    return nullptr;
}

// The index of the first item whose name is greater, or the count. Where the list is out
// of order this is still the first greater name, not a place in order.
template <class T>
int FirstGreater(const Qx_PtrList& list, const wchar_t* name) {
    const int count = list.Count();
    for (int i = 0; i < count; ++i) {
        const T* item = At<T>(list, i);
        if (item && qx_stricmpW(item->name, name) > 0) return i;
    }
    return count;
}

// Whether the item at index already stood at an earlier index. Used only when no memory is
// left for the quicker check.
bool StandsEarlier(const Qx_PtrList& list, int index) {
    for (int i = 0; i < index; ++i)
        if (list.Items(i) == list.Items(index)) return true;
    return false;
}

// Destroys every distinct non-null item once, in index order, then empties the list. An
// item that stands twice in one list (an object collected into its own list, say) would
// otherwise be deleted twice.
template <class T, class Destroy>
void DestroyItems(Qx_PtrList& list, Destroy destroy) {
    const int count = list.Count();
    try {
        std::vector<void*> distinct;
        distinct.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) distinct.push_back(list.Items(i));
        std::sort(distinct.begin(), distinct.end());
        std::vector<bool> done(distinct.size());
        for (int i = 0; i < count; ++i) {
            void* item = list.Items(i);
            if (!item) continue;
            size_t k = static_cast<size_t>(std::lower_bound(distinct.begin(), distinct.end(), item) - distinct.begin());
            if (done[k]) continue;
            done[k] = true;
            destroy(static_cast<T*>(item));
        }
    } catch (const std::bad_alloc&) {
        // Nothing was destroyed yet: the vectors are made before the first item goes.
        for (int i = 0; i < count; ++i)
            if (list.Items(i) && !StandsEarlier(list, i)) destroy(At<T>(list, i));
    }
    list.Clear();
}

}  // namespace

// ---- CVariable, CMethod ----

CVariable::CVariable() = default;
CVariable::CVariable(const CVariable& other) = default;
CVariable::CVariable(CVariable&& other) noexcept = default;
CVariable& CVariable::operator=(const CVariable& other) = default;
CVariable& CVariable::operator=(CVariable&& other) noexcept = default;
CVariable::~CVariable() = default;

CMethod::CMethod() = default;
CMethod::CMethod(const CMethod& other) = default;
CMethod::CMethod(CMethod&& other) noexcept = default;
CMethod& CMethod::operator=(const CMethod& other) = default;
CMethod& CMethod::operator=(CMethod&& other) noexcept = default;
CMethod::~CMethod() = default;

// ---- CVariableList ----

CVariableList::CVariableList() : sorted(0) {}
CVariableList::CVariableList(const CVariableList& other) = default;
CVariableList::CVariableList(CVariableList&& other) noexcept = default;
CVariableList& CVariableList::operator=(const CVariableList& other) = default;
CVariableList& CVariableList::operator=(CVariableList&& other) noexcept = default;
CVariableList::~CVariableList() = default;

CVariable* CVariableList::FindVar(const wchar_t* name) const { return FindFirst<CVariable>(*this, name); }

int CVariableList::GetVarIndex(const wchar_t* name) const { return FirstGreater<CVariable>(*this, name); }

int CVariableList::Add(CVariable* item) {
    if (sorted && item) return Insert(GetVarIndex(item->name), item);
    return Qx_PtrList::Add(item);
}

void CVariableList::ClearVariable() {
    DestroyItems<CVariable>(*this, [](CVariable* v) { delete v; });
}

// ---- CMethodList ----

CMethodList::CMethodList() : sorted(0) {}
CMethodList::CMethodList(const CMethodList& other) = default;
CMethodList::CMethodList(CMethodList&& other) noexcept = default;
CMethodList& CMethodList::operator=(const CMethodList& other) = default;
CMethodList& CMethodList::operator=(CMethodList&& other) noexcept = default;
CMethodList::~CMethodList() = default;

CMethod* CMethodList::FindMethod(const wchar_t* name) const { return FindFirst<CMethod>(*this, name); }

int CMethodList::GetMethodIndex(const wchar_t* name) const { return FirstGreater<CMethod>(*this, name); }

int CMethodList::Add(CMethod* item) {
    if (sorted && item) return Insert(GetMethodIndex(item->name), item);
    return Qx_PtrList::Add(item);
}

void CMethodList::ClearMethod() {
    DestroyItems<CMethod>(*this, [](CMethod* m) { delete m; });
}

// ---- CObjectItem ----

CObjectItem::CObjectItem() = default;
CObjectItem::CObjectItem(const CObjectItem& other) = default;
CObjectItem::CObjectItem(CObjectItem&& other) noexcept = default;
CObjectItem& CObjectItem::operator=(const CObjectItem& other) = default;
CObjectItem& CObjectItem::operator=(CObjectItem&& other) noexcept = default;
CObjectItem::~CObjectItem() = default;

void CObjectItem::ClearItem() {
    type.Empty();
    name.Empty();
    comment.Empty();
    variables.ClearVariable();
    methods.ClearMethod();
}

// ---- CObjectList ----

CObjectList::CObjectList() : sorted(0) {}
CObjectList::CObjectList(const CObjectList& other) = default;
CObjectList::CObjectList(CObjectList&& other) noexcept = default;
CObjectList& CObjectList::operator=(const CObjectList& other) = default;
CObjectList& CObjectList::operator=(CObjectList&& other) noexcept = default;
CObjectList::~CObjectList() = default;

CObjectItem* CObjectList::FindObject(const wchar_t* name) const {
    if (qx_strlenW(name) == 0) return nullptr;
    return FindFirst<CObjectItem>(*this, name);
}

int CObjectList::GetObjIndex(const wchar_t* name) const {
    if (qx_strlenW(name) == 0) return -1;
    return FirstGreater<CObjectItem>(*this, name);
}

// The base list appends at the index -1 that an empty name gives, so such an object goes
// to the end and the list is never corrupted.
int CObjectList::Add(CObjectItem* item) {
    if (sorted && item) return Insert(GetObjIndex(item->name), item);
    return Qx_PtrList::Add(item);
}

void CObjectList::ClearObject() {
    DestroyItems<CObjectItem>(*this, [](CObjectItem* object) {
        object->methods.ClearMethod();
        object->variables.ClearVariable();
        delete object;
    });
}

int CObjectList::GetMemberList(CObjectList& out, const wchar_t* name) const {
    if (qx_strlenW(name) == 0) return 0;
    // The matches are gathered before any is added, so that out may be this list itself.
    std::vector<CObjectItem*> matches;
    for (int i = 0, count = Count(); i < count; ++i) {
        CObjectItem* object = Items(i);
        if (object && qx_stricmpW(object->name, name) == 0) matches.push_back(object);
    }
    for (CObjectItem* object : matches) out.Add(object);
    return out.Count();
}

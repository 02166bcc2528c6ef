#include "editor/ObjectCatalogue.h"
#include "foundation/QxStringFunctions.h"
#include <algorithm>
#include <new>
#include <vector>

namespace {

// Lists this short are scanned: halving saves nothing there, and their order need not be
// checked.
const int kScanUpTo = 8;

template <class T>
T* At(const Qx_PtrList& list, int index) {
    return static_cast<T*>(list.Items(index));
}

// Null items (a host may add them) have no name: scans pass over them and a list holding
// one is never taken to be in order.
template <class T>
bool CheckOrder(const Qx_PtrList& list) {
    const T* previous = nullptr;
    for (int i = 0; i < list.Count(); ++i) {
        const T* item = At<T>(list, i);
        if (!item) return false;
        if (previous && qx_stricmpW(previous->name, item->name) > 0) return false;
        previous = item;
    }
    return true;
}

// True when a search by halving gives what a scan would: the list is long and in order.
// Its order is checked at most once per revision of the list.
template <class T>
bool Searchable(const Qx_PtrList& list, QxNameOrder& order) {
    if (list.Count() <= kScanUpTo) return false;
    if (!order.Known(list.Revision())) order.Set(list.Revision(), CheckOrder<T>(list));
    return order.InOrder();
}

// For a list in order: the first index whose name is not smaller than name, or with
// greaterOnly the first whose name is greater.
template <class T>
int Bound(const Qx_PtrList& list, const wchar_t* name, bool greaterOnly) {
    int low = 0, high = list.Count();
    while (low < high) {
        int middle = low + (high - low) / 2;
        int c = qx_stricmpW(At<T>(list, middle)->name, name);
        if (c < 0 || (greaterOnly && c == 0))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// The name index of a long list out of order, built at the second search of one revision
// (a list that changes between searches is scanned: building would cost more). Null when
// there is none; also when no memory is left for it, the scan then answering.
template <class T>
const QxNameOrder* NameIndex(const Qx_PtrList& list, QxNameOrder& order) {
    const unsigned long long revision = list.Revision();
    if (order.indexBuilt && order.indexRevision == revision) return &order;
    if (order.scanRevision != revision) {
        order.scanRevision = revision;
        order.scans = 0;
    }
    if (++order.scans < 2) return nullptr;
    order.DropIndex();
    try {
        std::vector<int>& byName = order.byName;
        for (int i = 0; i < list.Count(); ++i)
            if (At<T>(list, i)) byName.push_back(i);
        // Stable: equal names keep their list order, so the first of them is the first found.
        std::stable_sort(byName.begin(), byName.end(),
                         [&](int a, int b) { return qx_stricmpW(At<T>(list, a)->name, At<T>(list, b)->name) < 0; });
        order.smallestFrom.resize(byName.size());
        int smallest = list.Count();
        for (size_t k = byName.size(); k-- > 0;) order.smallestFrom[k] = smallest = std::min(smallest, byName[k]);
    } catch (const std::bad_alloc&) {
        order.DropIndex();
        return nullptr;
    }
    order.indexBuilt = true;
    order.indexRevision = revision;
    return &order;
}

// In a name index: the first position whose name is not smaller than name, or with
// greaterOnly the first whose name is greater.
template <class T>
size_t IndexBound(const Qx_PtrList& list, const QxNameOrder& index, const wchar_t* name, bool greaterOnly) {
    size_t low = 0, high = index.byName.size();
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        int c = qx_stricmpW(At<T>(list, index.byName[middle])->name, name);
        if (c < 0 || (greaterOnly && c == 0))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// The first item in list order with that name, or null.
template <class T>
T* FindFirst(const Qx_PtrList& list, QxNameOrder& order, const wchar_t* name) {
    if (Searchable<T>(list, order)) {
        T* item = At<T>(list, Bound<T>(list, name, false));
        return item && qx_stricmpW(item->name, name) == 0 ? item : nullptr;
    }
    if (list.Count() > kScanUpTo)
        if (const QxNameOrder* index = NameIndex<T>(list, order)) {
            size_t k = IndexBound<T>(list, *index, name, false);
            if (k == index->byName.size()) return nullptr;
            T* item = At<T>(list, index->byName[k]);
            return qx_stricmpW(item->name, name) == 0 ? item : nullptr;
        }
    for (int i = 0; i < list.Count(); ++i) {
        T* item = At<T>(list, i);
        if (item && qx_stricmpW(item->name, name) == 0) return item;
    }
    return nullptr;
}

// The index of the first item whose name is greater, or the count.
template <class T>
int FirstGreater(const Qx_PtrList& list, QxNameOrder& order, const wchar_t* name) {
    if (Searchable<T>(list, order)) return Bound<T>(list, name, true);
    if (list.Count() > kScanUpTo)
        if (const QxNameOrder* index = NameIndex<T>(list, order)) {
            // Of all the items with a greater name, the one that stands first.
            size_t k = IndexBound<T>(list, *index, name, true);
            return k < index->smallestFrom.size() ? index->smallestFrom[k] : list.Count();
        }
    for (int i = 0; i < list.Count(); ++i) {
        const T* item = At<T>(list, i);
        if (item && qx_stricmpW(item->name, name) > 0) return i;
    }
    return list.Count();
}

// Every item with that name, in list order.
template <class T>
std::vector<T*> AllEqual(const Qx_PtrList& list, QxNameOrder& order, const wchar_t* name) {
    std::vector<T*> matches;
    if (Searchable<T>(list, order)) {
        for (int i = Bound<T>(list, name, false); i < list.Count(); ++i) {
            T* item = At<T>(list, i);
            if (qx_stricmpW(item->name, name) != 0) break;
            matches.push_back(item);
        }
        return matches;
    }
    if (list.Count() > kScanUpTo)
        if (const QxNameOrder* index = NameIndex<T>(list, order)) {
            for (size_t k = IndexBound<T>(list, *index, name, false); k < index->byName.size(); ++k) {
                T* item = At<T>(list, index->byName[k]);
                if (qx_stricmpW(item->name, name) != 0) break;
                matches.push_back(item);
            }
            return matches;
        }
    for (int i = 0; i < list.Count(); ++i) {
        T* item = At<T>(list, i);
        if (item && qx_stricmpW(item->name, name) == 0) matches.push_back(item);
    }
    return matches;
}

// Inserts at index, the first greater name (or -1: appended). Inserting there keeps a list
// in order; an appended item leaves the order to be checked when it matters.
template <class T>
int InsertAt(Qx_PtrList& list, QxNameOrder& order, int index, T* item) {
    const bool wasInOrder = order.KnownInOrder(list.Revision());
    int at = list.Insert(index, item);
    if (wasInOrder && at == index) order.Set(list.Revision(), true);
    return at;
}

// Appends. A long list known to be in order stays known as such when the new name is not
// smaller than the last; short lists are not worth the comparison.
template <class T>
int Append(Qx_PtrList& list, QxNameOrder& order, T* item) {
    const T* last = At<T>(list, list.Count() - 1);
    const bool staysInOrder = list.Count() >= kScanUpTo && order.KnownInOrder(list.Revision()) && item &&
                              last && qx_stricmpW(last->name, item->name) <= 0;
    int at = list.Add(item);
    if (staysInOrder) order.Set(list.Revision(), true);
    return at;
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

// The order a copy takes over: what its source knew, for the copy's own revision.
void CopyOrder(QxNameOrder& to, const Qx_PtrList& toList, const QxNameOrder& from, const Qx_PtrList& fromList) {
    to.DropIndex();
    if (from.Known(fromList.Revision()))
        to.Set(toList.Revision(), from.InOrder());
    else
        to.Forget();
}

}  // namespace

// ---- CVariable, CMethod ----

CVariable::CVariable() = default;
CVariable::CVariable(const CVariable& other) = default;
CVariable& CVariable::operator=(const CVariable& other) = default;
CVariable::~CVariable() = default;

CMethod::CMethod() = default;
CMethod::CMethod(const CMethod& other) = default;
CMethod& CMethod::operator=(const CMethod& other) = default;
CMethod::~CMethod() = default;

// ---- CVariableList ----

CVariableList::CVariableList() : sorted(0) {}

CVariableList::CVariableList(const CVariableList& other) : Qx_PtrList(other), sorted(other.sorted) {
    CopyOrder(order_, *this, other.order_, other);
}

CVariableList& CVariableList::operator=(const CVariableList& other) {
    if (this == &other) return *this;
    Qx_PtrList::operator=(other);
    sorted = other.sorted;
    CopyOrder(order_, *this, other.order_, other);
    return *this;
}

CVariableList::~CVariableList() = default;

CVariable* CVariableList::FindVar(const wchar_t* name) const { return FindFirst<CVariable>(*this, order_, name); }

int CVariableList::GetVarIndex(const wchar_t* name) const { return FirstGreater<CVariable>(*this, order_, name); }

int CVariableList::Add(CVariable* item) {
    if (sorted && item) return InsertAt(*this, order_, GetVarIndex(item->name), item);
    return Append(*this, order_, item);
}

void CVariableList::ClearVariable() {
    DestroyItems<CVariable>(*this, [](CVariable* v) { delete v; });
}

// ---- CMethodList ----

CMethodList::CMethodList() : sorted(0) {}

CMethodList::CMethodList(const CMethodList& other) : Qx_PtrList(other), sorted(other.sorted) {
    CopyOrder(order_, *this, other.order_, other);
}

CMethodList& CMethodList::operator=(const CMethodList& other) {
    if (this == &other) return *this;
    Qx_PtrList::operator=(other);
    sorted = other.sorted;
    CopyOrder(order_, *this, other.order_, other);
    return *this;
}

CMethodList::~CMethodList() = default;

CMethod* CMethodList::FindMethod(const wchar_t* name) const { return FindFirst<CMethod>(*this, order_, name); }

int CMethodList::GetMethodIndex(const wchar_t* name) const { return FirstGreater<CMethod>(*this, order_, name); }

int CMethodList::Add(CMethod* item) {
    if (sorted && item) return InsertAt(*this, order_, GetMethodIndex(item->name), item);
    return Append(*this, order_, item);
}

void CMethodList::ClearMethod() {
    DestroyItems<CMethod>(*this, [](CMethod* m) { delete m; });
}

// ---- CObjectItem ----

CObjectItem::CObjectItem() = default;
CObjectItem::CObjectItem(const CObjectItem& other) = default;
CObjectItem& CObjectItem::operator=(const CObjectItem& other) = default;
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

CObjectList::CObjectList(const CObjectList& other) : Qx_PtrList(other), sorted(other.sorted) {
    CopyOrder(order_, *this, other.order_, other);
}

CObjectList& CObjectList::operator=(const CObjectList& other) {
    if (this == &other) return *this;
    Qx_PtrList::operator=(other);
    sorted = other.sorted;
    CopyOrder(order_, *this, other.order_, other);
    return *this;
}

CObjectList::~CObjectList() = default;

CObjectItem* CObjectList::FindObject(const wchar_t* name) const {
    if (qx_strlenW(name) == 0) return nullptr;
    return FindFirst<CObjectItem>(*this, order_, name);
}

int CObjectList::GetObjIndex(const wchar_t* name) const {
    if (qx_strlenW(name) == 0) return -1;
    return FirstGreater<CObjectItem>(*this, order_, name);
}

// The base list appends at the index -1 that an empty name gives, so such an object goes
// to the end and the list is never corrupted; lookups then stop trusting the order.
int CObjectList::Add(CObjectItem* item) {
    if (sorted && item) return InsertAt(*this, order_, GetObjIndex(item->name), item);
    return Append(*this, order_, item);
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
    for (CObjectItem* object : AllEqual<CObjectItem>(*this, order_, name)) out.Add(object);
    return out.Count();
}

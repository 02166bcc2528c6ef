// CObjectList::ReadMemberList: fills the catalogue from a member list file.
//
//   <objectlist>
//     <object name="Customer" type="CCustomer" comment="...">   (any tag: every child is an object)
//       <var name="id" type="long" comment="..."/>
//       <method name="Load" prototype="bool Load(long id)" comment="..."/>
//     </object>
//   </objectlist>
//
// The file is read in one pass (QxMemberListWalk); the objects read are then placed in the
// list all at once, where adding each in turn with Add would have put them.
#include "editor/MemberListWalk.h"
#include "editor/ObjectCatalogue.h"
#include "foundation/QxStringFunctions.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/TextFile.h"
#include <algorithm>
#include <vector>

namespace {

// The objects read and not yet placed; deleted with their members when the read ends
// without placing them.
class ReadObjects {
public:
    ReadObjects() = default;
    ReadObjects(const ReadObjects&) = delete;
    ReadObjects& operator=(const ReadObjects&) = delete;
    ~ReadObjects() {
        for (CObjectItem* object : items) {
            object->ClearItem();
            delete object;
        }
    }
    std::vector<CObjectItem*> items;
};

// The objects in a sorted list, in one merge pass. Add puts a new object before the first
// item of a greater name. That item is greater than every item before it, and a new object
// placed before it is not; so new objects only ever go before such items of the old list,
// each before the first one greater than itself, and among themselves they end in name
// order, equal names in reading order. A stable sort of the new objects and one pass that
// takes them in before each item greater than them give the same places, whether or not
// the list was in order. Changes nothing when it throws.
void MergeByName(CObjectList& list, const std::vector<CObjectItem*>& objects) {
    std::vector<CObjectItem*> incoming(objects);
    std::stable_sort(incoming.begin(), incoming.end(),
                     [](const CObjectItem* a, const CObjectItem* b) { return qx_stricmpW(a->name, b->name) < 0; });
    Qx_PtrList merged;
    size_t next = 0;
    for (int i = 0, count = list.Count(); i < count; ++i) {
        const CObjectItem* item = list.Items(i);
        if (item)  // a null item is never greater: the scan of Add passes over it
            while (next < incoming.size() && qx_stricmpW(item->name, incoming[next]->name) > 0)
                merged.Add(incoming[next++]);
        merged.Add(list.Items(i));
    }
    while (next < incoming.size()) merged.Add(incoming[next++]);
    // The list's storage is replaced only once the copy is made.
    list.Qx_PtrList::operator=(merged);
}

// Add gives a nameless object the index -1, appending it; the merge would not.
bool AllNamed(const std::vector<CObjectItem*>& objects) {
    for (const CObjectItem* object : objects)
        if (qx_strlenW(object->name) == 0) return false;
    return true;
}

// Merges, or answers false having changed nothing.
bool Merged(CObjectList& list, const std::vector<CObjectItem*>& objects) {
    try {
        MergeByName(list, objects);
        return true;
    } catch (...) {
        return false;
    }
}

// Places the objects as adding each in turn with Add would. False when an exception
// stopped that: the objects before the one being added are placed, it and the rest stay
// in `read`. Merging is all or nothing; when it cannot be done, each is added in turn.
bool Place(CObjectList& list, ReadObjects& read) {
    std::vector<CObjectItem*>& objects = read.items;
    if (list.sorted && AllNamed(objects) && Merged(list, objects)) {
        objects.clear();
        return true;
    }
    size_t placed = 0;
    bool complete = true;
    try {
        for (; placed < objects.size(); ++placed) {
            list.Add(objects[placed]);
        }
    } catch (...) {
        complete = false;
    }
    objects.erase(objects.begin(), objects.begin() + static_cast<std::ptrdiff_t>(placed));
    return complete;
}

}  // namespace

int CObjectList::ReadMemberList(const wchar_t* path) {
    try {
        // A file that cannot be read leaves the buffer empty, which is no document.
        Qx_Buffer source;
        qx_GetTextFileSource(path, source);
        ReadObjects read;
        QxMemberListWalk walk(read.items);
        if (!walk.Read(source)) return 0;
        const bool placed = Place(*this, read);
        return placed && walk.Complete() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

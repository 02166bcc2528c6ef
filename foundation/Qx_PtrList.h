#pragma once
#include "platform/QxExport.h"
#include <vector>

// An ordered list of untyped pointers that it does not own: neither Clear nor the
// destructor frees an item.
class QX_API Qx_PtrList {
public:
    Qx_PtrList();
    Qx_PtrList(const Qx_PtrList& other);
    // A move takes the other's pointers over and leaves it empty, which changes it too.
    Qx_PtrList(Qx_PtrList&& other) noexcept;
    Qx_PtrList& operator=(const Qx_PtrList& other);
    Qx_PtrList& operator=(Qx_PtrList&& other) noexcept;
    virtual ~Qx_PtrList();

    int Count() const { return static_cast<int>(items_.size()); }
    // Null when index is out of range.
    void* Items(int index) const;
    // Appends; answers the new item's index.
    int Add(void* item);
    // Inserts before index and answers where the item went. An index outside 0..Count()
    // (such as -1) appends, so a bad index can never corrupt the list.
    int Insert(int index, void* item);
    // Takes the item out of the list (not freed); null when index is out of range.
    void* RemoveAt(int index);
    void Clear();

    // Changes with every change of the list (add, insert, remove, clear, assignment), so
    // that a derived list can tell whether what it learnt about its items still holds.
    unsigned long long Revision() const { return revision_; }

private:
    std::vector<void*> items_;
    unsigned long long revision_ = 0;
};

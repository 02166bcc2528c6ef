#include "foundation/Qx_PtrList.h"
#include <cstddef>
#include <utility>

Qx_PtrList::Qx_PtrList() = default;
// A copy starts a history of its own; assignment counts as a change of this list.
Qx_PtrList::Qx_PtrList(const Qx_PtrList& other) : items_(other.items_) {}

Qx_PtrList::Qx_PtrList(Qx_PtrList&& other) noexcept : items_(std::move(other.items_)) {
    other.items_.clear();
    ++other.revision_;
}

// Assignments move the revision on rather than take the other's: it counts this list's changes.
// cppcheck-suppress operatorEqVarError ; the revision is counted on, not copied
Qx_PtrList& Qx_PtrList::operator=(const Qx_PtrList& other) {
    if (this == &other) return *this;
    items_ = other.items_;
    ++revision_;
    return *this;
}

// cppcheck-suppress operatorEqVarError ; the revision is counted on, not taken over
Qx_PtrList& Qx_PtrList::operator=(Qx_PtrList&& other) noexcept {
    if (this == &other) return *this;
    items_ = std::move(other.items_);
    other.items_.clear();
    ++revision_;
    ++other.revision_;
    return *this;
}

Qx_PtrList::~Qx_PtrList() = default;

void* Qx_PtrList::Items(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
}

int Qx_PtrList::Add(void* item) {
    items_.push_back(item);
    ++revision_;
    return Count() - 1;
}

int Qx_PtrList::Insert(int index, void* item) {
    if (index < 0 || index > Count()) return Add(item);
    items_.insert(items_.begin() + index, item);
    ++revision_;
    return index;
}

void* Qx_PtrList::RemoveAt(int index) {
    void* item = Items(index);
    if (index >= 0 && index < Count()) {
        items_.erase(items_.begin() + index);
        ++revision_;
    }
    return item;
}

void Qx_PtrList::Clear() {
    items_.clear();
    ++revision_;
}

#include "foundation/Qx_DatasetList.h"
#include "foundation/QxStringFunctions.h"
#include <utility>

Qx_DatasetList::Qx_DatasetList() = default;

Qx_DatasetList::Qx_DatasetList(const Qx_DatasetList& other) = default;

// NOLINTNEXTLINE(performance-noexcept-move-constructor): the deque allocates even to move
Qx_DatasetList::Qx_DatasetList(Qx_DatasetList&& other) = default;

Qx_DatasetList& Qx_DatasetList::operator=(const Qx_DatasetList& other) = default;

Qx_DatasetList& Qx_DatasetList::operator=(Qx_DatasetList&& other) noexcept = default;

Qx_DatasetList::~Qx_DatasetList() = default;

int Qx_DatasetList::AddDataset(const wchar_t* id, const Qx_Dataset& dataset) {
    items_.push_back(dataset);
    items_.back().SetId(id);
    return Count() - 1;
}

int Qx_DatasetList::AddDataset(const wchar_t* id, Qx_Dataset&& dataset) {
    // The id may be the dataset's own: set from a copy.
    Qx_WString key(id);
    items_.push_back(std::move(dataset));
    items_.back().SetId(key.c_str());
    return Count() - 1;
}

int Qx_DatasetList::Add(const Qx_Dataset& dataset) { return AddDataset(dataset.GetId().c_str(), dataset); }

int Qx_DatasetList::Add(Qx_Dataset&& dataset) {
    items_.push_back(std::move(dataset));
    return Count() - 1;
}

Qx_Dataset* Qx_DatasetList::GetItem(const wchar_t* id) const {
    for (const Qx_Dataset& item : items_)
        if (qx_stricmpW(item.GetId().c_str(), id) == 0) return const_cast<Qx_Dataset*>(&item);
    return nullptr;
}

Qx_Dataset* Qx_DatasetList::GetItemNN(int index) const {
    return index >= 0 && index < Count() ? const_cast<Qx_Dataset*>(&items_[static_cast<size_t>(index)]) : nullptr;
}

void Qx_DatasetList::ReleaseList() { items_.clear(); }

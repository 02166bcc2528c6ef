#include "foundation/Qx_DatasetList.h"
#include "foundation/QxStringFunctions.h"

Qx_DatasetList::Qx_DatasetList() = default;

Qx_DatasetList::Qx_DatasetList(const Qx_DatasetList& other) { *this = other; }

Qx_DatasetList& Qx_DatasetList::operator=(const Qx_DatasetList& other) {
    if (this == &other) return *this;
    ReleaseList();
    for (const auto& item : other.items_) Add(*item);
    return *this;
}

Qx_DatasetList::~Qx_DatasetList() = default;

int Qx_DatasetList::AddDataset(const wchar_t* id, const Qx_Dataset& dataset) {
    items_.emplace_back(new Qx_Dataset(dataset));
    items_.back()->SetId(id);
    return Count() - 1;
}

int Qx_DatasetList::Add(const Qx_Dataset& dataset) { return AddDataset(dataset.GetId().c_str(), dataset); }

Qx_Dataset* Qx_DatasetList::GetItem(const wchar_t* id) const {
    for (const auto& item : items_)
        if (qx_stricmpW(item->GetId().c_str(), id) == 0) return item.get();
    return nullptr;
}

Qx_Dataset* Qx_DatasetList::GetItemNN(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

void Qx_DatasetList::ReleaseList() { items_.clear(); }

#include "foundation/Qx_VariableList.h"
#include "foundation/QxStringFunctions.h"

Qx_VariableList::Qx_VariableList(int) {}

Qx_VariableList::Qx_VariableList(const Qx_VariableList& other) { *this = other; }

Qx_VariableList& Qx_VariableList::operator=(const Qx_VariableList& other) {
    if (this == &other) return *this;
    ReleaseList();
    for (const auto& item : other.items_) Add(*item);
    return *this;
}

Qx_VariableList::~Qx_VariableList() = default;

int Qx_VariableList::AddStr(const wchar_t* name, const wchar_t* value) {
    return Add(name, Qx_Variant(value));
}

int Qx_VariableList::Add(const Qx_Variable& variable) {
    items_.emplace_back(new Qx_Variable(variable));
    return Count() - 1;
}

int Qx_VariableList::Add(const wchar_t* name, const Qx_Variant& value) {
    items_.emplace_back(new Qx_Variable(name, value));
    return Count() - 1;
}

Qx_Variable* Qx_VariableList::GetItem(const wchar_t* name) const {
    for (const auto& item : items_)
        if (qx_stricmpW(item->GetName().c_str(), name) == 0) return item.get();
    return nullptr;
}

Qx_Variable* Qx_VariableList::GetItemNN(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

void Qx_VariableList::ReleaseList() { items_.clear(); }

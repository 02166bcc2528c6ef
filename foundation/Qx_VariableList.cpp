#include "foundation/Qx_VariableList.h"
#include "foundation/QxStringFunctions.h"
#include <utility>

Qx_VariableList::Qx_VariableList(int) {}

Qx_VariableList::Qx_VariableList(const Qx_VariableList& other) = default;

// NOLINTNEXTLINE(performance-noexcept-move-constructor): the deque allocates even to move
Qx_VariableList::Qx_VariableList(Qx_VariableList&& other) = default;

Qx_VariableList& Qx_VariableList::operator=(const Qx_VariableList& other) = default;

Qx_VariableList& Qx_VariableList::operator=(Qx_VariableList&& other) noexcept = default;

Qx_VariableList::~Qx_VariableList() = default;

int Qx_VariableList::AddStr(const wchar_t* name, const wchar_t* value) { return Add(name, Qx_Variant(value)); }

int Qx_VariableList::Add(const Qx_Variable& variable) {
    items_.push_back(variable);
    return Count() - 1;
}

int Qx_VariableList::Add(Qx_Variable&& variable) {
    items_.push_back(std::move(variable));
    return Count() - 1;
}

int Qx_VariableList::Add(const wchar_t* name, const Qx_Variant& value) {
    items_.emplace_back(name, value);
    return Count() - 1;
}

Qx_Variable* Qx_VariableList::GetItem(const wchar_t* name) const {
    for (const Qx_Variable& item : items_)
        if (qx_stricmpW(item.GetName().c_str(), name) == 0) return const_cast<Qx_Variable*>(&item);
    return nullptr;
}

Qx_Variable* Qx_VariableList::GetItemNN(int index) const {
    return index >= 0 && index < Count() ? const_cast<Qx_Variable*>(&items_[static_cast<size_t>(index)]) : nullptr;
}

void Qx_VariableList::ReleaseList() { items_.clear(); }

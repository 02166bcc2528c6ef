#include "foundation/Qx_Dataset.h"
#include "foundation/QxStringFunctions.h"

Qx_Dataset::Qx_Dataset() = default;
Qx_Dataset::Qx_Dataset(const wchar_t* id) : id_(id) {}

void Qx_Dataset::ClearAll() {
    columns_.clear();
    rows_.clear();
}

int Qx_Dataset::AddColumn(const wchar_t* name, int type, int size, int flag) {
    Qx_DatasetColumn column;
    column.name = name;
    column.type = type;
    column.size = size;
    column.flag = flag;
    columns_.push_back(column);
    for (auto& row : rows_) row.emplace_back();
    return GetColumnCount() - 1;
}

int Qx_Dataset::FindColumn(const wchar_t* name) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (qx_stricmpW(columns_[i].name.c_str(), name) == 0) return static_cast<int>(i);
    return -1;
}

const Qx_DatasetColumn* Qx_Dataset::GetColumnInfo(int index) const {
    return index >= 0 && index < GetColumnCount() ? &columns_[static_cast<size_t>(index)] : nullptr;
}

int Qx_Dataset::AppendRow() {
    rows_.emplace_back(columns_.size());
    return GetRowCount() - 1;
}

int Qx_Dataset::ResolveColumn(const wchar_t* column, int columnIndex) const {
    if (columnIndex >= 0) return columnIndex < GetColumnCount() ? columnIndex : -1;
    return FindColumn(column);
}

int Qx_Dataset::SetColumn(int row, const wchar_t* column, const wchar_t* text, int length, int columnIndex) {
    Qx_Variant value;
    value.SetString(text, length);
    return SetColumn(row, column, value, columnIndex);
}

int Qx_Dataset::SetColumn(int row, const wchar_t* column, const Qx_Variant& value, int columnIndex) {
    Qx_Variant* cell = GetColumn(row, column, columnIndex);
    if (!cell) return -1;
    *cell = value;
    return 0;
}

Qx_Variant* Qx_Dataset::GetColumn(int row, const wchar_t* column, int columnIndex) {
    if (row < 0 || row >= GetRowCount()) return nullptr;
    int c = ResolveColumn(column, columnIndex);
    return c < 0 ? nullptr : &rows_[static_cast<size_t>(row)][static_cast<size_t>(c)];
}

const Qx_Variant* Qx_Dataset::GetColumn(int row, const wchar_t* column, int columnIndex) const {
    return const_cast<Qx_Dataset*>(this)->GetColumn(row, column, columnIndex);
}

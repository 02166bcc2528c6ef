#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Variant.h"
#include <vector>

// One column's description.
struct QX_API Qx_DatasetColumn {
    Qx_WString name;
    int type = QX_VT_STRING;  // a Qx_VariantType
    int size = 0;             // the largest size the column's producer announces
    int flag = 0;             // the producer's own flag, kept as given
};

// A table: an id (its key in a Qx_DatasetList), typed columns and rows of values.
// Column names are matched without regard to case.
class QX_API Qx_Dataset {
public:
    Qx_Dataset();
    explicit Qx_Dataset(const wchar_t* id);

    void SetId(const wchar_t* id) { id_ = id; }
    const Qx_WString& GetId() const { return id_; }

    // Drops every column and row (the id stays).
    void ClearAll();
    void ClearRows() { rows_.clear(); }

    // Answers the new column's index; existing rows get a null value in it.
    int AddColumn(const wchar_t* name, int type, int size, int flag);
    int GetColumnCount() const { return static_cast<int>(columns_.size()); }
    // -1 when absent.
    int FindColumn(const wchar_t* name) const;
    // Null when index is out of range.
    const Qx_DatasetColumn* GetColumnInfo(int index) const;

    // Appends a row of null values; answers its index.
    int AppendRow();
    int GetRowCount() const { return static_cast<int>(rows_.size()); }

    // The column is found by columnIndex when it is 0 or more, else by name.
    // Set answers 0, or -1 when the row or the column does not exist.
    int SetColumn(int row, const wchar_t* column, const wchar_t* text, int length = -1, int columnIndex = -1);
    int SetColumn(int row, const wchar_t* column, const Qx_Variant& value, int columnIndex = -1);
    // Null when the row or the column does not exist.
    Qx_Variant* GetColumn(int row, const wchar_t* column, int columnIndex = -1);
    const Qx_Variant* GetColumn(int row, const wchar_t* column, int columnIndex = -1) const;

private:
    int ResolveColumn(const wchar_t* column, int columnIndex) const;

    Qx_WString id_;
    std::vector<Qx_DatasetColumn> columns_;
    std::vector<std::vector<Qx_Variant>> rows_;
};

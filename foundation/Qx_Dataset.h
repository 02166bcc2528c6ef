#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Variant.h"
#include <cstddef>
#include <cstdint>
#include <memory>
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
//
// Storage: the cells of a row lie side by side, rows in blocks that double in size (the
// first one as large as ReserveRows asked, else kFirstRows rows), so that a cell never
// moves when rows are appended: a cell pointer stays valid until the dataset is cleared,
// given a new column, assigned or destroyed. Texts and bytes too long for a cell that the
// dataset itself writes (a copy of another dataset, PreparePayload) go to its text store,
// blocks of kStoreBlock bytes at most, freed with the rows.
class QX_API Qx_Dataset {
public:
    static const int kFirstRows = 8;
    static const size_t kStoreBlock = size_t{64} * 1024;

    Qx_Dataset();
    explicit Qx_Dataset(const wchar_t* id);
    Qx_Dataset(const Qx_Dataset& other);
    Qx_Dataset(Qx_Dataset&& other) noexcept;
    Qx_Dataset& operator=(const Qx_Dataset& other);
    Qx_Dataset& operator=(Qx_Dataset&& other) noexcept;
    ~Qx_Dataset();

    void SetId(const wchar_t* id) { id_ = id; }
    const Qx_WString& GetId() const { return id_; }

    // Drops every column and row (the id stays).
    void ClearAll();
    void ClearRows();

    // Answers the new column's index; existing rows get a null value in it (they move).
    int AddColumn(const wchar_t* name, int type, int size, int flag);
    int GetColumnCount() const { return static_cast<int>(columns_.size()); }
    // -1 when absent.
    int FindColumn(const wchar_t* name) const;
    // Null when index is out of range.
    const Qx_DatasetColumn* GetColumnInfo(int index) const;

    // Room for rows rows in one block, asked before the first row is appended (later it
    // does nothing).
    void ReserveRows(int rows);
    // Appends a row of null values; answers its index.
    int AppendRow();
    int GetRowCount() const { return rows_; }

    // The column is found by columnIndex when it is 0 or more, else by name.
    // Set answers 0, or -1 when the row or the column does not exist.
    int SetColumn(int row, const wchar_t* column, const wchar_t* text, int length = -1, int columnIndex = -1);
    int SetColumn(int row, const wchar_t* column, const Qx_Variant& value, int columnIndex = -1);
    // Null when the row or the column does not exist.
    Qx_Variant* GetColumn(int row, const wchar_t* column, int columnIndex = -1);
    const Qx_Variant* GetColumn(int row, const wchar_t* column, int columnIndex = -1) const;
    // The row's cells, one per column in order; null when the row does not exist.
    Qx_Variant* GetRowCells(int row);
    const Qx_Variant* GetRowCells(int row) const;

    // Makes cell (one of this dataset's) a text or binary value of count units and
    // answers where its payload goes, for the caller to fill: inline when it fits, else
    // in the text store (a text's terminator is set).
    char* PreparePayload(Qx_Variant& cell, int type, uint32_t count);

private:
    Qx_Variant* Cells(int row) const;
    size_t BlockRows(size_t block) const { return static_cast<size_t>(firstRows_) << block; }
    void AddBlock();
    void Relayout(size_t columns);
    char* TakeStore(size_t bytes);
    void CopyRows(const Qx_Dataset& other);
    void Swap(Qx_Dataset& other) noexcept;
    int ResolveColumn(const wchar_t* column, int columnIndex) const;

    Qx_WString id_;
    std::vector<Qx_DatasetColumn> columns_;
    // Raw storage: only the cells of the rows appended are constructed.
    std::vector<Qx_Variant*> blocks_;
    int rows_ = 0;
    int firstRows_ = 0;  // set when the first block is made
    std::vector<std::unique_ptr<char[]>> store_;
    char* storeAt_ = nullptr;
    size_t storeLeft_ = 0;
    size_t storeLast_ = 0;  // size of the newest store block
};

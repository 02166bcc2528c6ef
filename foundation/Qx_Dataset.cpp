#include "foundation/Qx_Dataset.h"
#include "foundation/QxStringFunctions.h"
#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

namespace {

const size_t kFirstStoreBlock = 256;

Qx_Variant* NewCells(size_t count) {
    if (count > SIZE_MAX / sizeof(Qx_Variant)) throw std::bad_alloc();
    return static_cast<Qx_Variant*>(::operator new(count * sizeof(Qx_Variant)));
}

// Index of the block that holds row, and the row's place in it, when block k holds
// first << k rows: rows before block k number first * (2^k - 1).
void Locate(size_t row, size_t first, size_t& block, size_t& offset) {
    unsigned long long q = row / first + 1;
    block = static_cast<size_t>(63 - __builtin_clzll(q));
    offset = row - first * ((static_cast<size_t>(1) << block) - 1);
}

}  // namespace

Qx_Dataset::Qx_Dataset() = default;
Qx_Dataset::Qx_Dataset(const wchar_t* id) : id_(id) {}

Qx_Dataset::Qx_Dataset(const Qx_Dataset& other) : id_(other.id_), columns_(other.columns_) { CopyRows(other); }

Qx_Dataset::Qx_Dataset(Qx_Dataset&& other) noexcept { Swap(other); }

Qx_Dataset& Qx_Dataset::operator=(const Qx_Dataset& other) {
    if (this != &other) {
        Qx_Dataset copy(other);
        Swap(copy);
    }
    return *this;
}

Qx_Dataset& Qx_Dataset::operator=(Qx_Dataset&& other) noexcept {
    if (this != &other) {
        Qx_Dataset taken(std::move(other));
        Swap(taken);
    }
    return *this;
}

void Qx_Dataset::Swap(Qx_Dataset& other) noexcept {
    std::swap(id_, other.id_);
    columns_.swap(other.columns_);
    blocks_.swap(other.blocks_);
    std::swap(rows_, other.rows_);
    std::swap(firstRows_, other.firstRows_);
    store_.swap(other.store_);
    std::swap(storeAt_, other.storeAt_);
    std::swap(storeLeft_, other.storeLeft_);
    std::swap(storeLast_, other.storeLast_);
}

Qx_Dataset::~Qx_Dataset() { ClearRows(); }

void Qx_Dataset::ClearAll() {
    ClearRows();
    columns_.clear();
}

void Qx_Dataset::ClearRows() {
    for (int r = 0; !columns_.empty() && r < rows_; ++r) {
        Qx_Variant* cells = Cells(r);
        for (size_t c = 0; c < columns_.size(); ++c) cells[c].~Qx_Variant();
    }
    for (Qx_Variant* block : blocks_) ::operator delete(block);
    blocks_.clear();
    rows_ = firstRows_ = 0;
    store_.clear();
    storeAt_ = nullptr;
    storeLeft_ = storeLast_ = 0;
}

int Qx_Dataset::AddColumn(const wchar_t* name, int type, int size, int flag) {
    Qx_DatasetColumn column;
    column.name = name;
    column.type = type;
    column.size = size;
    column.flag = flag;
    columns_.reserve(columns_.size() + 1);  // nothing below throws once the rows moved
    if (rows_ > 0) Relayout(columns_.size() + 1);
    columns_.push_back(std::move(column));
    for (int r = 0; r < rows_; ++r) new (&Cells(r)[columns_.size() - 1]) Qx_Variant();
    return GetColumnCount() - 1;
}

// Moves every row into one block of rows_ rows of the given width; new cells are left
// unconstructed. Cells are relocated bytewise: a cell never points into itself, and
// placed payloads stay in this dataset's store.
void Qx_Dataset::Relayout(size_t columns) {
    size_t old = columns_.size();
    Qx_Variant* block = NewCells(static_cast<size_t>(rows_) * columns);
    for (int r = 0; old > 0 && r < rows_; ++r)
        memcpy(static_cast<void*>(block + static_cast<size_t>(r) * columns), static_cast<void*>(Cells(r)),
               old * sizeof(Qx_Variant));
    for (Qx_Variant* b : blocks_) ::operator delete(b);
    blocks_.assign(1, block);
    firstRows_ = rows_;
}

int Qx_Dataset::FindColumn(const wchar_t* name) const {
    // Names are nearly always asked as they were given: an exact match is tried first
    // for each column, the slower comparison without case only when it fails.
    size_t length = name ? wcslen(name) : 0;
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Qx_WString& have = columns_[i].name;
        if (static_cast<size_t>(have.GetLength()) != length) continue;
        if (length == 0 || wmemcmp(have.c_str(), name, length) == 0 || qx_stricmpW(have.c_str(), name) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

const Qx_DatasetColumn* Qx_Dataset::GetColumnInfo(int index) const {
    return index >= 0 && index < GetColumnCount() ? &columns_[static_cast<size_t>(index)] : nullptr;
}

void Qx_Dataset::ReserveRows(int rows) {
    if (blocks_.empty() && rows_ == 0 && rows > 0) firstRows_ = rows;
}

void Qx_Dataset::AddBlock() {
    if (firstRows_ == 0) firstRows_ = kFirstRows;
    size_t k = blocks_.size();
    size_t rows = BlockRows(k);
    if (k >= 8 * sizeof(size_t) - 1 || rows >> k != static_cast<size_t>(firstRows_) ||
        rows > SIZE_MAX / (columns_.empty() ? 1 : columns_.size()))
        throw std::bad_alloc();
    blocks_.reserve(k + 1);
    blocks_.push_back(NewCells(rows * columns_.size()));
}

int Qx_Dataset::AppendRow() {
    if (!columns_.empty()) {
        size_t block = 0, offset = 0;
        Locate(static_cast<size_t>(rows_), firstRows_ ? static_cast<size_t>(firstRows_) : kFirstRows, block, offset);
        if (block >= blocks_.size()) AddBlock();
        Qx_Variant* cells = blocks_[block] + offset * columns_.size();
        for (size_t c = 0; c < columns_.size(); ++c) new (&cells[c]) Qx_Variant();
    }
    return rows_++;
}

Qx_Variant* Qx_Dataset::Cells(int row) const {
    size_t block = 0, offset = 0;
    Locate(static_cast<size_t>(row), static_cast<size_t>(firstRows_), block, offset);
    return blocks_[block] + offset * columns_.size();
}

Qx_Variant* Qx_Dataset::GetRowCells(int row) {
    return row >= 0 && row < rows_ && !columns_.empty() ? Cells(row) : nullptr;
}

const Qx_Variant* Qx_Dataset::GetRowCells(int row) const { return const_cast<Qx_Dataset*>(this)->GetRowCells(row); }

int Qx_Dataset::ResolveColumn(const wchar_t* column, int columnIndex) const {
    if (columnIndex >= 0) return columnIndex < GetColumnCount() ? columnIndex : -1;
    return FindColumn(column);
}

int Qx_Dataset::SetColumn(int row, const wchar_t* column, const wchar_t* text, int length, int columnIndex) {
    Qx_Variant* cell = GetColumn(row, column, columnIndex);
    if (!cell) return -1;
    cell->SetString(text, length);
    return 0;
}

int Qx_Dataset::SetColumn(int row, const wchar_t* column, const Qx_Variant& value, int columnIndex) {
    Qx_Variant* cell = GetColumn(row, column, columnIndex);
    if (!cell) return -1;
    *cell = value;
    return 0;
}

Qx_Variant* Qx_Dataset::GetColumn(int row, const wchar_t* column, int columnIndex) {
    if (row < 0 || row >= rows_) return nullptr;
    int c = ResolveColumn(column, columnIndex);
    return c < 0 ? nullptr : &Cells(row)[c];
}

const Qx_Variant* Qx_Dataset::GetColumn(int row, const wchar_t* column, int columnIndex) const {
    return const_cast<Qx_Dataset*>(this)->GetColumn(row, column, columnIndex);
}

char* Qx_Dataset::TakeStore(size_t bytes) {
    bytes = (bytes + 1) & ~static_cast<size_t>(1);  // texts stay aligned
    if (bytes > storeLeft_) {
        size_t size = storeLast_ ? storeLast_ * 2 : kFirstStoreBlock;
        if (size > kStoreBlock) size = kStoreBlock;
        if (size < bytes) size = bytes;
        store_.emplace_back(new char[size]);
        storeAt_ = store_.back().get();
        storeLeft_ = size;
        storeLast_ = size;
    }
    char* at = storeAt_;
    storeAt_ += bytes;
    storeLeft_ -= bytes;
    return at;
}

char* Qx_Dataset::PreparePayload(Qx_Variant& cell, int type, uint32_t count) {
    if (type != QX_VT_STRING) type = QX_VT_BINARY;
    if (Qx_Variant::FitsInline(type, count)) return cell.PreparePayload(type, count);
    return cell.Place(type, count, TakeStore(Qx_Variant::PayloadBytes(type, count)));
}

void Qx_Dataset::CopyRows(const Qx_Dataset& other) {
    ReserveRows(other.rows_);
    const size_t columns = columns_.size();
    for (int r = 0; r < other.rows_; ++r) {
        AppendRow();
        if (columns == 0) continue;
        Qx_Variant* to = Cells(r);
        const Qx_Variant* from = other.Cells(r);
        for (size_t c = 0; c < columns; ++c) {
            if (!from[c].IsBlock()) {
                to[c] = from[c];
                continue;
            }
            int type = from[c].GetType();
            uint32_t count = static_cast<uint32_t>(from[c].Count());
            memcpy(PreparePayload(to[c], type, count), from[c].Payload(), Qx_Variant::PayloadBytes(type, count));
        }
    }
}

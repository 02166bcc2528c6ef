#pragma once
#include <string>
#include <vector>

// A text table printed with columns padded to their widest cell.
class QxTable {
public:
    explicit QxTable(std::vector<std::wstring> headers);
    void AddRow(std::vector<std::wstring> cells);
    size_t RowCount() const { return rows_.size(); }
    void Print() const;

private:
    std::vector<std::wstring> headers_;
    std::vector<std::vector<std::wstring>> rows_;
};

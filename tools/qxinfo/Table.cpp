#include "Table.h"
#include "Commands.h"
#include <algorithm>

QxTable::QxTable(std::vector<std::wstring> headers) : headers_(std::move(headers)) {}

void QxTable::AddRow(std::vector<std::wstring> cells) {
    cells.resize(headers_.size());
    rows_.push_back(std::move(cells));
}

void QxTable::Print() const {
    std::vector<size_t> widths;
    for (const auto& h : headers_) widths.push_back(h.size());
    for (const auto& row : rows_)
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    auto printRow = [&](const std::vector<std::wstring>& cells) {
        std::wstring line;
        for (size_t c = 0; c < cells.size(); ++c) {
            line += cells[c];
            if (c + 1 < cells.size()) line += std::wstring(widths[c] - cells[c].size() + 2, L' ');
        }
        while (!line.empty() && line.back() == L' ') line.pop_back();
        QxPrintLine(line);
    };
    printRow(headers_);
    std::vector<std::wstring> rule;
    for (size_t w : widths) rule.push_back(std::wstring(w, L'-'));
    printRow(rule);
    for (const auto& row : rows_) printRow(row);
}

#include "Csv.h"
#include <vector>

namespace {
// Splits text into records of fields; false when a quoted field is never closed.
bool ParseCsv(const std::wstring& text, std::vector<std::vector<std::wstring>>& records) {
    std::vector<std::wstring> record;
    std::wstring field;
    bool quoted = false, any = false;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (quoted) {
            if (c == L'"' && i + 1 < text.size() && text[i + 1] == L'"')
                field += text[++i];
            else if (c == L'"')
                quoted = false;
            else
                field += c;
        } else if (c == L'"') {
            quoted = any = true;
        } else if (c == L',') {
            record.push_back(field);
            field.clear();
            any = true;
        } else if (c == L'\n' || c == L'\r') {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            if (any || !field.empty()) record.push_back(field);
            if (!record.empty()) records.push_back(record);
            record.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (quoted) return false;
    if (any || !field.empty()) record.push_back(field);
    if (!record.empty()) records.push_back(record);
    return true;
}
}  // namespace

bool QxReadCsvDataset(const std::wstring& path, Qx_Dataset& dataset, std::wstring& why) {
    Qx_Buffer bytes;
    if (Qx_File::ReadFile(path.c_str(), bytes) < 0) {
        why = L"cannot read " + path;
        return false;
    }
    Qx_WString text;
    text.Set(bytes.GetData(), bytes.GetLength(), 65001);
    if (text.IsEmpty() && bytes.GetLength() > 0) text.Set(bytes.GetData(), bytes.GetLength(), 0);
    std::vector<std::vector<std::wstring>> records;
    if (!ParseCsv(text.str(), records)) {
        why = L"a quoted field is not closed in " + path;
        return false;
    }
    dataset.ClearAll();
    if (records.empty()) return true;
    for (const std::wstring& name : records[0]) dataset.AddColumn(name.c_str(), QX_VT_STRING, 0, 0);
    for (size_t r = 1; r < records.size(); ++r) {
        int row = dataset.AppendRow();
        for (size_t c = 0; c < records[r].size() && c < records[0].size(); ++c)
            dataset.SetColumn(row, nullptr, records[r][c].c_str(), -1, static_cast<int>(c));
    }
    return true;
}

#include "support/Printers.h"

#include <gtest/gtest.h>

void PrintTo(const Qx_WString& text, std::ostream* out) {
    ::testing::internal::UniversalPrint(std::wstring(text.c_str(), static_cast<size_t>(text.GetLength())), out);
}

void PrintTo(const CString& text, std::ostream* out) {
    ::testing::internal::UniversalPrint(std::wstring(text.GetString(), static_cast<size_t>(text.GetLength())), out);
}

void PrintTo(const Qx_Variant& value, std::ostream* out) {
    switch (value.GetType()) {
    case QX_VT_NULL: *out << "null"; return;
    case QX_VT_STRING:
        ::testing::internal::UniversalPrint(std::wstring(value.GetText(), static_cast<size_t>(value.GetTextLength())),
                                            out);
        return;
    case QX_VT_INT: *out << value.GetInteger(); return;
    case QX_VT_INT64: *out << value.GetInteger() << "LL"; return;
    case QX_VT_DOUBLE: *out << value.GetDouble(); return;
    case QX_VT_BINARY: {
        *out << "bytes";
        static const char kHex[] = "0123456789abcdef";
        const char* bytes = value.GetBytes();
        for (int i = 0; i < value.GetByteCount(); ++i) {
            const unsigned char byte = static_cast<unsigned char>(bytes[i]);
            *out << ' ' << kHex[byte >> 4] << kHex[byte & 15];
        }
        return;
    }
    default: *out << "type " << value.GetType();
    }
}

void PrintTo(const Qx_Dataset& dataset, std::ostream* out) {
    const int kRowsShown = 8;
    PrintTo(dataset.GetId(), out);
    *out << " (";
    for (int c = 0; c < dataset.GetColumnCount(); ++c) {
        const Qx_DatasetColumn* column = dataset.GetColumnInfo(c);
        if (c) *out << ", ";
        PrintTo(column->name, out);
        *out << ':' << column->type;
    }
    *out << ") " << dataset.GetRowCount() << " rows";
    for (int r = 0; r < dataset.GetRowCount() && r < kRowsShown; ++r) {
        *out << "\n  [" << r << "]";
        for (int c = 0; c < dataset.GetColumnCount(); ++c) {
            *out << ' ';
            PrintTo(*dataset.GetColumn(r, nullptr, c), out);
        }
    }
    if (dataset.GetRowCount() > kRowsShown) *out << "\n  ...";
}

void PrintTo(QxCode code, std::ostream* out) { *out << QxCodeName(code); }

void PrintTo(const QxStatus& status, std::ostream* out) {
    *out << QxCodeName(status.code());
    if (status.number() != 0) *out << " (" << status.number() << ")";
    if (!status.reason().empty()) {
        *out << " ";
        ::testing::internal::UniversalPrint(status.reason(), out);
    }
}

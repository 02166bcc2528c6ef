#include "support/Printers.h"

#include <gtest/gtest.h>

void PrintTo(const Qx_WString& text, std::ostream* out) {
    ::testing::internal::UniversalPrint(std::wstring(text.c_str(), static_cast<size_t>(text.GetLength())), out);
}

void PrintTo(const CString& text, std::ostream* out) {
    ::testing::internal::UniversalPrint(std::wstring(text.GetString(), static_cast<size_t>(text.GetLength())), out);
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

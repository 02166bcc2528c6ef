#include "support/Printers.h"

#include <gtest/gtest.h>

void PrintTo(const Qx_WString& text, std::ostream* out) {
    ::testing::internal::UniversalPrint(std::wstring(text.c_str(), static_cast<size_t>(text.GetLength())), out);
}

void PrintTo(const CString& text, std::ostream* out) {
    ::testing::internal::UniversalPrint(std::wstring(text.GetString(), static_cast<size_t>(text.GetLength())), out);
}

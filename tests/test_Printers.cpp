#include <gtest/gtest.h>

#include "QxQVInfo320U.h"

// A failing comparison shows the strings' text.
TEST(Printers, ShowTheLibrarysStringsAsText) {
    EXPECT_EQ(::testing::PrintToString(Qx_WString(L"tip text")), "L\"tip text\"");
    EXPECT_EQ(::testing::PrintToString(CString(L"Lyon")), "L\"Lyon\"");
    EXPECT_EQ(::testing::PrintToString(Qx_WString()), "L\"\"");
}

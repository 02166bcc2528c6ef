#include <gtest/gtest.h>

#include "QxQVInfo320U.h"

// A failing comparison shows the strings' text.
TEST(Printers, ShowTheLibrarysStringsAsText) {
    EXPECT_EQ(::testing::PrintToString(Qx_WString(L"tip text")), "L\"tip text\"");
    EXPECT_EQ(::testing::PrintToString(CString(L"Lyon")), "L\"Lyon\"");
    EXPECT_EQ(::testing::PrintToString(Qx_WString()), "L\"\"");
}

// A value shows its type and content, not its 24 bytes.
TEST(Printers, ShowValuesByTypeAndContent) {
    Qx_Variant value;
    EXPECT_EQ(::testing::PrintToString(value), "null");
    value.SetString(L"Lyon");
    EXPECT_EQ(::testing::PrintToString(value), "L\"Lyon\"");
    value.SetInt(-7);
    EXPECT_EQ(::testing::PrintToString(value), "-7");
    value.SetInt64(1LL << 40);
    EXPECT_EQ(::testing::PrintToString(value), "1099511627776LL");
    value.SetDouble(2.5);
    EXPECT_EQ(::testing::PrintToString(value), "2.5");
    value.SetBinary("\x01\xab", 2);
    EXPECT_EQ(::testing::PrintToString(value), "bytes 01 ab");
}

// A dataset shows its id, columns and first rows.
TEST(Printers, ShowDatasetsWithTheirColumnsAndRows) {
    Qx_Dataset dataset(L"output");
    dataset.AddColumn(L"name", QX_VT_STRING, 80, 1);
    dataset.AddColumn(L"count", QX_VT_INT, 4, 1);
    for (int r = 0; r < 10; ++r) {
        const int row = dataset.AppendRow();
        dataset.SetColumn(row, L"name", L"x");
        Qx_Variant count;
        count.SetInt(r);
        dataset.SetColumn(row, L"count", count);
    }
    const std::string printed = ::testing::PrintToString(dataset);
    EXPECT_EQ(printed.substr(0, printed.find('\n')), "L\"output\" (L\"name\":1, L\"count\":2) 10 rows");
    EXPECT_NE(printed.find("[7] L\"x\" 7"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("[8]"), std::string::npos) << "only the first rows";
    EXPECT_NE(printed.find("..."), std::string::npos);
}

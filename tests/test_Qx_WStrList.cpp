#include <gtest/gtest.h>
#include "QxQVInfo320U.h"

TEST(QxWStrList, PiecesPutBackTogetherGiveTheText) {
    const wchar_t* text = L"line one\r\nline two\n\nlast";
    Qx_WStrList list;
    EXPECT_EQ(list.Parse(text, L"\n", 0, 0), 4);
    EXPECT_STREQ(list.GetItemNN(0), L"line one\r\n");
    EXPECT_STREQ(list.GetItemNN(2), L"\n");
    EXPECT_STREQ(list.GetItemNN(3), L"last");
    std::wstring joined;
    for (int i = 0; i < list.Count(); ++i) joined += list.GetItemNN(i);
    EXPECT_EQ(joined, text);
    EXPECT_EQ(list.GetItem(4), nullptr);
    EXPECT_STREQ(list.GetItemNN(4), L"");
}

TEST(QxWStrList, DroppingSeparatorsAndLimits) {
    Qx_WStrList list;
    EXPECT_EQ(list.Parse(L"a,b,,c,", L",", 1, 0), 4);  // no empty piece after the last separator
    EXPECT_STREQ(list.GetItemNN(2), L"");
    EXPECT_STREQ(list.GetItemNN(3), L"c");
    Qx_WStrList limited;
    EXPECT_EQ(limited.Parse(L"a,b,c", L",", 1, 2), 2);
    EXPECT_STREQ(limited.GetItemNN(1), L"b,c");
    Qx_WStrList none;
    EXPECT_EQ(none.Parse(L"", L",", 0, 0), 0);
    EXPECT_EQ(none.Parse(nullptr, L",", 0, 0), 0);
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"

TEST(CodePages, NamesAndCharsets) {
    EXPECT_EQ(qx_findcodepageW(L"UTF-8"), 65001u);
    EXPECT_EQ(qx_findcodepageW(L"euc-kr"), 949u);
    EXPECT_EQ(qx_findcodepageW(L"windows-1252"), 1252u);
    EXPECT_EQ(qx_findcodepageW(L"shift_jis"), 932u);
    EXPECT_EQ(qx_findcodepageW(L"no-such-charset"), 0u);
    EXPECT_EQ(qx_findcodepageW(nullptr), 0u);
    EXPECT_EQ(qx_activecodepage(0), GetACP());
    EXPECT_EQ(qx_activecodepage(949), 949u);
    EXPECT_EQ(qx_getcharset(949), HANGUL_CHARSET);
    EXPECT_EQ(qx_getcharset(1252), ANSI_CHARSET);
    EXPECT_NE(QxGetLocaleCP(), 0u);
}

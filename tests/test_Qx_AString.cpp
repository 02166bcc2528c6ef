#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"

TEST(QxAString, EncodesInTheGivenCodePage) {
    EXPECT_EQ(Qx_AString(L"caf\u00E9", -1, CP_UTF8).str(), "caf\xC3\xA9");
    EXPECT_EQ(Qx_AString(Qx_WString(L"abc"), 0).GetLength(), 3);
    EXPECT_EQ(Qx_AString(nullptr).GetLength(), 0);
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
TEST(Smoke, FormatUsesWideS) {
    Qx_WString s;
    s.Format(L"%s-%d", L"ab", 5);
    EXPECT_EQ(s, L"ab-5");
}

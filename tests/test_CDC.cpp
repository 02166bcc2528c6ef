#include <gtest/gtest.h>

#include "QxQVInfo320U.h"

namespace {

TEST(CGdiSelector, RestoresThePreviousObject) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    HGDIOBJ before = GetCurrentObject(dc, OBJ_FONT);
    CFont font;
    ASSERT_TRUE(font.CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    {
        CGdiSelector select(dc, font);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), static_cast<HGDIOBJ>(font.GetSafeHandle()));
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), before);
    {
        CGdiSelector none(dc, nullptr);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), before);
    }
}

TEST(CGdiSelector, RefusesASelectionTheContextRefuses) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    HGDIOBJ before = GetCurrentObject(dc, OBJ_FONT);
    CFont font;
    ASSERT_TRUE(font.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    const HFONT gone = font;
    font.DeleteObject();
    {
        CGdiSelector select(dc, gone);
        EXPECT_FALSE(select.Selected()) << "a deleted font cannot be selected";
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), before);
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), before) << "nothing was restored over the font in place";
    CGdiSelector noContext(nullptr, GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_FALSE(noContext.Selected());
}

}  // namespace

#include <gtest/gtest.h>

#include "QxQVInfo320U.h"

namespace {

TEST(CGdiObject, OwnerDeletesAndBorrowerLeavesAlone) {
    HFONT raw = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    ASSERT_NE(raw, nullptr);
    { CFontHandle borrowed(raw); }
    LOGFONTW lf = {};
    EXPECT_GT(GetObjectW(raw, sizeof(lf), &lf), 0) << "the borrower deleted the font";
    { CFont owner(raw); }
    EXPECT_EQ(GetObjectW(raw, sizeof(lf), &lf), 0) << "the owner left the font behind";

    CFont font;
    EXPECT_FALSE(font.CreateFontIndirect(nullptr));
    EXPECT_EQ(font.GetSafeHandle(), nullptr);
    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(65100));
    BITMAP bm = {};
    EXPECT_EQ(missing.GetBitmap(&bm), 0);
}

}  // namespace

#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include <utility>

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

HFONT MakeFont() { return CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"); }

bool Exists(HFONT font) {
    LOGFONTW lf = {};
    return GetObjectW(font, sizeof(lf), &lf) > 0;
}

// A moved owner hands its font over whole: the source holds nothing, the font is deleted
// once, by its last holder; the font a target held before is deleted by the assignment.
TEST(CGdiObject, MovedOwnerHandsTheFontOver) {
    HFONT first = MakeFont(), second = MakeFont();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    {
        CFont source(first);
        CFont target(std::move(source));
        EXPECT_EQ(source.GetSafeHandle(), nullptr);  // what the move left
        EXPECT_EQ(target.GetSafeHandle(), first);
        CFont other(second);
        other = std::move(target);
        EXPECT_FALSE(Exists(second)) << "the assignment kept the font the target held before";
        EXPECT_EQ(other.GetSafeHandle(), first);
        other = std::move(other);
        EXPECT_EQ(other.GetSafeHandle(), first) << "a move onto itself let go of the font";
        EXPECT_TRUE(Exists(first));
    }
    EXPECT_FALSE(Exists(first)) << "the last holder left the font behind";

    CFont owner(MakeFont());
    const HFONT borrowed = owner.GetSafeHandle();
    {
        CFontHandle a(borrowed);
        CFontHandle b(std::move(a));
        EXPECT_EQ(b.GetSafeHandle(), borrowed);
    }
    EXPECT_TRUE(Exists(borrowed)) << "a moved borrower deleted the font";
}

}  // namespace

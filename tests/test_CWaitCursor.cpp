#include <gtest/gtest.h>
#include "QxQVInfo320U.h"

namespace {

TEST(CWaitCursor, ShowsTheWaitCursorAndPutsThePreviousBack) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    ASSERT_NE(arrow, wait);
    SetCursor(arrow);
    {
        CWaitCursor busy;
        EXPECT_EQ(wait, GetCursor());
        {
            CWaitCursor nested;
            EXPECT_EQ(wait, GetCursor());
        }
        EXPECT_EQ(wait, GetCursor());
    }
    EXPECT_EQ(arrow, GetCursor());
}

TEST(CWaitCursor, RestoresEvenNoCursor) {
    SetCursor(nullptr);
    { CWaitCursor busy; }
    EXPECT_EQ(nullptr, GetCursor());
}

}  // namespace

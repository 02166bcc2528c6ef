#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include "support/WindowTestSupport.h"

namespace {

TEST(CWinApp, PreTranslateReachesTheWindowAndItsOwners) {
    struct Filter : CWnd {
        UINT swallow = 0;
        int seen = 0;
        BOOL PreTranslateMessage(MSG* msg) override {
            ++seen;
            return msg->message == swallow;
        }
    } owner, popup;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ASSERT_TRUE(popup.CreateEx(0, nullptr, L"popup", WS_POPUP, 0, 0, 10, 10, owner, nullptr));
    owner.swallow = WM_APP + 7;
    MSG msg = {popup.m_hWnd, WM_APP + 7, 0, 0, 0, {0, 0}};
    EXPECT_TRUE(AfxPreTranslateMessage(&msg));
    EXPECT_EQ(popup.seen, 1);
    EXPECT_EQ(owner.seen, 1);
    msg.message = WM_APP + 8;
    EXPECT_FALSE(AfxPreTranslateMessage(&msg));
}

}  // namespace

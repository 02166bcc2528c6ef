#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include "support/WindowTestSupport.h"

#include <vector>

namespace {

std::vector<const char*> g_calls;

class BaseWnd : public CWnd {
protected:
    void OnPaint() {
        g_calls.push_back("base paint");
        CPaintDC dc(this);
    }
    void OnClose() { g_calls.push_back("base close"); }
    LRESULT OnApp(WPARAM wParam, LPARAM) {
        g_calls.push_back("base app");
        return static_cast<LRESULT>(wParam) + 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
ON_WM_PAINT()
ON_WM_CLOSE()
ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

// Overrides one handler of its base and inherits the others.
class DerivedWnd : public BaseWnd {
public:
    int creates = 0;

protected:
    void OnClose() { g_calls.push_back("derived close"); }
    LRESULT OnCreateSeen(WPARAM, LPARAM) {
        ++creates;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
ON_WM_CLOSE()
ON_MESSAGE(WM_CREATE, OnCreateSeen)
END_MESSAGE_MAP()

TEST(CWnd, MessageMapsDispatchMostDerivedFirstThenTheBase) {
    g_calls.clear();
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"maps", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(wnd.creates, 1) << "the window's first messages already reach the map";
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd), &wnd);
    EXPECT_EQ(SendMessageW(wnd, WM_APP, 41, 0), 42);
    SendMessageW(wnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(wnd)) << "a handled WM_CLOSE does not reach the default";
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_STREQ(g_calls[0], "base app");
    EXPECT_STREQ(g_calls[1], "derived close");
    HWND hwnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST(CWnd, DestructorDestroysItsWindowButNotAnAttachedOne) {
    HWND made = nullptr;
    {
        CWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"owned", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        made = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(made));

    HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(foreign, nullptr);
    {
        CWnd named;
        ASSERT_TRUE(named.Attach(foreign));
        EXPECT_FALSE(named.Attach(foreign)) << "one window per object";
    }
    EXPECT_TRUE(IsWindow(foreign));
    EXPECT_EQ(CWnd::FromHandlePermanent(foreign), nullptr);
    DestroyWindow(foreign);
}

TEST(CWnd, CreateExFailsWhenTheClassIsUnknown) {
    CWnd wnd;
    EXPECT_FALSE(wnd.CreateEx(0, L"NoSuchClassAnywhere", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(wnd.ShowWindow(SW_SHOW));
    EXPECT_EQ(wnd.GetStyle(), 0u);
}

}  // namespace

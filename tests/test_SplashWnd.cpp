#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include "resources/QxQVInfo320U_ids.h"
#include "support/WindowTestSupport.h"

#include <string>

using qxtest::PumpFor;

namespace {

// Counts the paints of the splash window.
class CountingSplash : public QxSplashWnd {
public:
    int paints = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAINT) ++paints;
        return QxSplashWnd::WindowProc(message, wParam, lParam);
    }
};

// An application object whose idle work wants `rounds` more calls.
class IdleApp : public CWinApp {
public:
    int rounds = 0;
    std::vector<LONG> counts;
    BOOL OnIdle(LONG count) override {
        counts.push_back(count);
        return count < rounds;
    }
};

// Pixels of the status band drawn in a grey (the status text); the band's rows and the
// columns [from, to) of the window.
int GreyPixels(CWnd& wnd, int from, int to) {
    RECT client = {};
    wnd.GetClientRect(&client);
    CClientDC dc(&wnd);
    int grey = 0;
    for (int y = client.bottom - 24; y < client.bottom; ++y) {
        for (int x = from; x < to; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (r == g && g == b && r >= 0x60 && r <= 0xB0) ++grey;
        }
    }
    return grey;
}

// One splash serves the tests that leave it standing: Wine takes about two seconds to let
// go of an activated window.
class SplashWndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shared_ = new CountingSplash;
        if (shared_->Create(nullptr, IDB_QX_SPLASH)) {
            // Above the windows of other programs on the shared display, so that what is
            // read back is the splash.
            SetWindowPos(*shared_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        PumpFor(50);
    }
    static void TearDownTestSuite() {
        delete shared_;
        shared_ = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(AfxGetApp(), nullptr) << "no application object is expected here";
        ASSERT_NE(splash_.m_hWnd, nullptr) << "the splash could not be created";
    }
    static CountingSplash* shared_;
    CountingSplash& splash_ = *shared_;
};
CountingSplash* SplashWndTest::shared_ = nullptr;

TEST_F(SplashWndTest, IsTheBitmapsSizeCentredInTheWorkArea) {
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    RECT rc = {};
    GetWindowRect(splash_, &rc);
    EXPECT_EQ(rc.right - rc.left, 400);
    EXPECT_EQ(rc.bottom - rc.top, 300);
    EXPECT_EQ(rc.left, work.left + (work.right - work.left - 400) / 2);
    EXPECT_EQ(rc.top, work.top + (work.bottom - work.top - 300) / 2);
    RECT client = {};
    GetClientRect(splash_, &client);
    EXPECT_EQ(client.right, 400) << "no frame: the client area is the whole window";
    EXPECT_EQ(client.bottom, 300);
}

TEST_F(SplashWndTest, HasTheSplashClassStyleAndTitle) {
    wchar_t name[64] = {};
    GetClassNameW(splash_, name, 64);
    EXPECT_STREQ(name, L"QxToolsSplashWnd");
    EXPECT_EQ(qxtest::WindowText(splash_), L"initizlizing ...");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(splash_, GWL_STYLE)) & (WS_POPUP | WS_VISIBLE | WS_CAPTION),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
    WNDCLASSW wc = {};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"QxToolsSplashWnd", &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_NOCLOSE | CS_SAVEBITS));
    EXPECT_EQ(wc.hCursor, LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_WAIT)));
    EXPECT_EQ(wc.hbrBackground, nullptr);
}

TEST_F(SplashWndTest, ShowsTheStatusTextOverTheBitmap) {
    // The first status line is painted at creation.
    EXPECT_GT(GreyPixels(splash_, 16, 384), 20) << "the initial status line is missing";
    splash_.SetStatusText(nullptr);
    EXPECT_EQ(GreyPixels(splash_, 0, 400), 0) << "an empty status line leaves the bitmap alone";
    splash_.SetStatusText(L"Reading the server list");
    EXPECT_GT(GreyPixels(splash_, 16, 384), 20);
}

TEST_F(SplashWndTest, RepaintsOnANewTextAndNotOnTheSame) {
    splash_.SetStatusText(L"Loading adaptors");
    const int before = splash_.paints;
    DWORD start = GetTickCount();
    splash_.SetStatusText(L"Loading adaptors");
    EXPECT_LT(GetTickCount() - start, 60u) << "the same text must not pause";
    EXPECT_EQ(splash_.paints, before);

    start = GetTickCount();
    splash_.SetStatusText(L"Loading services");
    EXPECT_GE(GetTickCount() - start, 90u) << "a new text is left on screen for a moment";
    EXPECT_EQ(splash_.paints, before + 1) << "painted before SetStatusText returns";
}

TEST_F(SplashWndTest, ALongStatusTextStaysInsideItsBand) {
    std::wstring text;
    for (int i = 0; i < 20; ++i) text += L"a very long status text ";
    splash_.SetStatusText(text.c_str());
    EXPECT_GT(GreyPixels(splash_, 16, 384), 100);
    EXPECT_EQ(GreyPixels(splash_, 0, 15), 0) << "text left of the band";
    EXPECT_EQ(GreyPixels(splash_, 385, 400), 0) << "text right of the band";
}

TEST(SplashWnd, SurvivesACloseRequestAndGoesWithDestroyWindow) {
    QxSplashWnd splash;
    ASSERT_TRUE(splash.Create(nullptr, IDB_QX_SPLASH));
    SendMessageW(splash, WM_CLOSE, 0, 0);
    PostMessageW(splash, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpFor(50);
    ASSERT_TRUE(IsWindow(splash));
    EXPECT_TRUE(IsWindowVisible(splash));
    HWND hwnd = splash.m_hWnd;
    EXPECT_TRUE(splash.DestroyWindow());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(splash.m_hWnd, nullptr);
}

TEST_F(SplashWndTest, ASecondCreateLeavesTheStandingWindowAlone) {
    HWND before = splash_.m_hWnd;
    EXPECT_FALSE(splash_.Create(nullptr, IDB_QX_SPLASH));
    EXPECT_EQ(splash_.m_hWnd, before);
    splash_.SetStatusText(L"still painted from its bitmap");
    EXPECT_GT(GreyPixels(splash_, 16, 384), 20);
    const COLORREF top = GetPixel(CClientDC(&splash_), 200, 5);
    EXPECT_NE(top, RGB(0, 0, 0)) << "the bitmap is gone";
}

TEST_F(SplashWndTest, EveryPointIsClientAreaSoItCannotBeDragged) {
    RECT rc = {};
    GetWindowRect(splash_, &rc);
    const POINT points[] = {{rc.left, rc.top}, {rc.left + 200, rc.top + 1}, {rc.right - 1, rc.bottom - 1}};
    for (POINT pt : points) {
        EXPECT_EQ(SendMessageW(splash_, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), HTCLIENT) << pt.x << "," << pt.y;
    }
}

TEST(SplashWnd, MissingBitmapMakesNoWindow) {
    QxSplashWnd splash;
    EXPECT_FALSE(splash.Create(nullptr, 65000));
    EXPECT_EQ(splash.m_hWnd, nullptr);
    EXPECT_FALSE(splash.DestroyWindow());
    QxSplashWnd direct(nullptr, 65001);
    EXPECT_EQ(direct.GetSafeHwnd(), nullptr);
}

TEST(SplashWnd, ConstructorWithBitmapCreatesAndDestructorRemovesTheWindow) {
    HWND hwnd = nullptr;
    {
        QxSplashWnd splash(nullptr, IDB_QX_SPLASH);
        hwnd = splash.GetSafeHwnd();
        ASSERT_NE(hwnd, nullptr);
        EXPECT_TRUE(IsWindowVisible(hwnd));
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(SplashWnd, HiddenOrUncreatedWindowOnlyStoresTheText) {
    QxSplashWnd splash;
    DWORD start = GetTickCount();
    splash.SetStatusText(L"no window yet");
    splash.SetStatusText(L"still none");
    EXPECT_LT(GetTickCount() - start, 60u);
    EXPECT_TRUE(QxSplashWnd::RegisterSplashWndClass()) << "a second registration is no failure";
}

TEST(SplashWnd, PassMsgLoopRunsIdleWorkUntilItIsDone) {
    IdleApp app;
    app.rounds = 3;
    QxSplashWnd splash;
    PumpFor(10);
    splash.PassMsgLoop(true);
    EXPECT_EQ(app.counts, (std::vector<LONG>{0, 1, 2, 3}));
    app.counts.clear();
    splash.PassMsgLoop(false);
    EXPECT_TRUE(app.counts.empty());
}

TEST(SplashWnd, PassMsgLoopLeavesAQuitMessageForTheHost) {
    IdleApp app;
    app.rounds = 5;
    QxSplashWnd splash;
    PumpFor(10);
    PostQuitMessage(7);
    splash.PassMsgLoop(true);
    EXPECT_TRUE(app.counts.empty()) << "no idle work after a quit message";
    MSG msg = {};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit message was lost";
    EXPECT_EQ(msg.wParam, 0u) << "posted again with exit code 0";
}

TEST(SplashWnd, PassMsgLoopDispatchesWaitingMessages) {
    qxtest::RecordingWnd target;
    target.watched = {WM_APP + 1};
    ASSERT_TRUE(target.CreateEx(0, nullptr, L"target", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    PostMessageW(target, WM_APP + 1, 1, 2);
    QxSplashWnd splash;
    splash.PassMsgLoop(false);
    EXPECT_NE(target.Last(WM_APP + 1), nullptr);
    MSG left = {};
    EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE)) << "messages were left waiting";
}

}  // namespace

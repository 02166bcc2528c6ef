#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include "platform/QxHandle.h"
#include "support/WindowTestSupport.h"

#include <string>

using qxtest::PumpFor;
using qxtest::PumpUntil;
using qxtest::RecordingWnd;

namespace {

// The width the tip gives a text: the padded text measured in the font, plus overhang.
long PaddedWidth(HFONT font, const std::wstring& text) {
    std::wstring padded = L" " + text + L" ";
    QxScreenDC dc(GetDC(nullptr));
    CGdiSelector select(dc.Get(), font);
    SIZE size = {};
    GetTextExtentPoint32W(dc.Get(), padded.c_str(), static_cast<int>(padded.size()), &size);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc.Get(), &tm);
    return size.cx + tm.tmOverhang;
}

TEXTMETRICW Metrics(HFONT font) {
    QxScreenDC dc(GetDC(nullptr));
    CGdiSelector select(dc.Get(), font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc.Get(), &tm);
    return tm;
}

CRect WindowRect(HWND hwnd) {
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return CRect(rc);
}

POINT ClientOrigin(HWND hwnd) {
    POINT pt = {0, 0};
    ClientToScreen(hwnd, &pt);
    return pt;
}

class ParameterTipTest : public ::testing::Test {
protected:
    // One owner serves every test: destroying the active window costs Wine seconds.
    static void SetUpTestSuite() {
        font_.CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
        ownerWnd_ = new RecordingWnd;
        ownerWnd_->watched = {WM_KEYDOWN,     WM_SYSKEYDOWN,    WM_LBUTTONDOWN,   WM_RBUTTONDOWN,
                              WM_MBUTTONDOWN, WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN};
        ownerWnd_->CreateAt(100, 100, 400, 300, WS_OVERLAPPEDWINDOW | WS_VSCROLL);
    }
    static void TearDownTestSuite() {
        delete ownerWnd_;
        ownerWnd_ = nullptr;
        font_.DeleteObject();
    }
    void SetUp() override {
        ASSERT_NE(font_.GetSafeHandle(), nullptr);
        ASSERT_NE(owner_.m_hWnd, nullptr);
        owner_.font = font_;
        owner_.received.clear();
        MoveWindow(owner_, 100, 100, 400, 300, TRUE);
        ASSERT_TRUE(owner_.Focus()) << "the owner could not get the keyboard focus";
        ASSERT_NE(tip_.Create(&owner_), 0);
    }
    void TearDown() override {
        tip_.DestroyWindow();
        owner_.font = font_;
    }
    // Places the owner so that its client area starts at the given screen point.
    void MoveOwnerClientTo(int x, int y, int width = 400, int height = 300) {
        POINT origin = ClientOrigin(owner_);
        CRect rc = WindowRect(owner_);
        MoveWindow(owner_, rc.left + x - origin.x, rc.top + y - origin.y, width, height, TRUE);
        PumpFor(30);
        ASSERT_TRUE(owner_.Focus());
    }
    bool Shown() { return tip_.IsWindowVisible() != FALSE; }

    static CFont font_;
    static RecordingWnd* ownerWnd_;
    RecordingWnd& owner_ = *ownerWnd_;
    CParameterTip tip_;
};

CFont ParameterTipTest::font_;
RecordingWnd* ParameterTipTest::ownerWnd_ = nullptr;

TEST_F(ParameterTipTest, StaysHiddenWhenThePaddedTextFitsAndShowsAtOnePixelLess) {
    const std::wstring text = L"GetValue(name, index)";
    const long margin = 4;
    const long width = PaddedWidth(font_, text);
    // Fits when left + margin - 1 + width <= right - margin.
    CRect fits(10, 10, 10 + 2 * margin - 1 + width, 30);
    tip_.Show(fits, text.c_str(), margin, 0);
    EXPECT_FALSE(Shown()) << "item width " << fits.Width() << ", text width " << width;

    CRect tooNarrow(fits.left, fits.top, fits.right - 1, fits.bottom);
    tip_.Show(tooNarrow, text.c_str(), margin, 0);
    ASSERT_TRUE(Shown());
    POINT origin = ClientOrigin(owner_);
    CRect tip = WindowRect(tip_);
    // The text starts margin - 1 pixels into the item; the window 3 pixels before it.
    EXPECT_EQ(tip.left, origin.x + tooNarrow.left + margin - 1 - 3);
    EXPECT_EQ(tip.top, origin.y + tooNarrow.top + 2 - 1);
    EXPECT_EQ(tip.Width(), width + 3);
    EXPECT_EQ(GetCapture(), tip_.m_hWnd) << "a shown tip holds the mouse capture";
}

TEST_F(ParameterTipTest, IgnoresEmptyTextsAndEmptyItems) {
    tip_.Show(CRect(0, 0, 5, 20), L"", 0, 0);
    EXPECT_FALSE(Shown());
    tip_.Show(CRect(0, 0, 5, 20), nullptr, 0, 0);
    EXPECT_FALSE(Shown());
    tip_.Show(CRect(0, 0, 0, 20), L"a long text that does not fit", 0, 0);
    EXPECT_FALSE(Shown());
}

TEST_F(ParameterTipTest, DoesNothingWithoutAKeyboardFocus) {
    ::SetFocus(nullptr);
    ASSERT_EQ(GetFocus(), nullptr);
    tip_.Show(CRect(0, 0, 5, 20), L"a long text that does not fit", 0, 0);
    EXPECT_FALSE(Shown());
}

TEST_F(ParameterTipTest, ShowWhileVisibleChangesNothing) {
    tip_.Show(CRect(10, 10, 20, 30), L"first text that is long", 2, 0);
    ASSERT_TRUE(Shown());
    CRect before = WindowRect(tip_);
    tip_.Show(CRect(50, 80, 60, 100), L"another, much much longer second text", 2, 0);
    EXPECT_EQ(WindowRect(tip_), before);
}

TEST_F(ParameterTipTest, LimitsTheWidthToMaxCharsAndWrapsTheText) {
    const std::wstring text = L"one two three four five six seven eight nine ten eleven twelve";
    const long maxChars = 12;
    tip_.Show(CRect(10, 10, 20, 30), text.c_str(), 0, maxChars);
    ASSERT_TRUE(Shown());
    const TEXTMETRICW tm = Metrics(font_);
    CRect tip = WindowRect(tip_);
    EXPECT_EQ(tip.Width(), maxChars * tm.tmAveCharWidth + 3);
    EXPECT_GE(tip.Height(), 3 * tm.tmHeight) << "the wrapped text takes several lines";
}

TEST_F(ParameterTipTest, NoLimitWhenMaxCharsIsZeroOrLess) {
    const std::wstring text = L"one two three four five six seven eight nine ten";
    for (long maxChars : {0L, -5L}) {
        tip_.Show(CRect(10, 10, 20, 30), text.c_str(), 0, maxChars);
        ASSERT_TRUE(Shown());
        EXPECT_EQ(WindowRect(tip_).Width(), PaddedWidth(font_, text) + 3) << "maxChars " << maxChars;
        RECT client = {};
        GetClientRect(tip_, &client);
        EXPECT_EQ(client.bottom, Metrics(font_).tmHeight) << "one whole line inside the border";
        tip_.Hide();
    }
}

TEST_F(ParameterTipTest, TallEnoughForEveryLineInTheFontItIsPaintedIn) {
    // A font far taller than the context's default: every line must fit.
    CFont big;
    big.CreateFont(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    owner_.font = big;
    tip_.Show(CRect(10, 10, 12, 30), L"alpha\nbeta\ngamma", 0, 0);
    ASSERT_TRUE(Shown());
    RECT client = {};
    GetClientRect(tip_, &client);
    EXPECT_GE(client.bottom, 3 * Metrics(big).tmHeight) << "every line inside the border";
    tip_.Hide();
    owner_.font = font_;
}

TEST_F(ParameterTipTest, MeasuresWithTheGivenFont) {
    const std::wstring text = L"Name";
    const long width = PaddedWidth(font_, text);
    CRect item(10, 10, 10 + width + 4, 30);  // fits in the owner's font
    tip_.Show(item, text.c_str(), 0, 0);
    EXPECT_FALSE(Shown());

    LOGFONTW wide = {};
    wide.lfHeight = -40;
    lstrcpyW(wide.lfFaceName, L"Tahoma");
    tip_.Show(item, text.c_str(), 0, 0, nullptr, &wide);
    EXPECT_TRUE(Shown()) << "too wide in the font given for measuring";
}

TEST_F(ParameterTipTest, MovesLeftAtTheScreensRightEdge) {
    const SIZE screen = qxtest::ScreenSize();
    MoveOwnerClientTo(screen.cx - 400, 100);
    const std::wstring text = L"a text of about one hundred and fifty pixels";
    const long width = PaddedWidth(font_, text);
    ASSERT_LT(width, 300);
    tip_.Show(CRect(300, 10, 310, 30), text.c_str(), 2, 0);
    ASSERT_TRUE(Shown());
    CRect tip = WindowRect(tip_);
    EXPECT_EQ(tip.right, screen.cx - 8);
    EXPECT_EQ(tip.Width(), width + 3) << "moved, not cut";
}

TEST_F(ParameterTipTest, IsCutAtTheRightEdgeButNeverStartsLeftOfTheOwner) {
    const SIZE screen = qxtest::ScreenSize();
    MoveOwnerClientTo(screen.cx - 200, 100);
    std::wstring text;
    for (int i = 0; i < 12; ++i) text += L"wide words ";
    ASSERT_GT(PaddedWidth(font_, text), 400);
    tip_.Show(CRect(20, 10, 30, 30), text.c_str(), 2, 0);
    ASSERT_TRUE(Shown());
    CRect tip = WindowRect(tip_);
    EXPECT_EQ(tip.left + 3, ClientOrigin(owner_).x) << "text starts at the owner's client edge";
    EXPECT_EQ(tip.right, screen.cx - 8);
}

TEST_F(ParameterTipTest, IsCutAtTheBottomNotMovedUp) {
    const SIZE screen = qxtest::ScreenSize();
    MoveOwnerClientTo(100, screen.cy - 100);
    std::wstring text;
    for (int i = 0; i < 20; ++i) text += L"line\n";
    tip_.Show(CRect(10, 10, 12, 30), text.c_str(), 0, 0);
    ASSERT_TRUE(Shown());
    CRect tip = WindowRect(tip_);
    EXPECT_EQ(tip.top, ClientOrigin(owner_).y + 10 + 2 - 1);
    // The text ends 8 pixels above the screen's edge; the window's lower border follows it.
    RECT client = {};
    GetClientRect(tip_, &client);
    POINT clientBottom = {0, client.bottom};
    ClientToScreen(tip_, &clientBottom);
    EXPECT_EQ(clientBottom.y, screen.cy - 8);
}

TEST_F(ParameterTipTest, HideOnATipWithoutWindowDoesNothing) {
    CParameterTip never;
    never.Hide();
    EXPECT_EQ(never.m_hWnd, nullptr);
    never.Show(CRect(0, 0, 5, 20), L"text that would not fit", 0, 0);
    EXPECT_EQ(never.m_hWnd, nullptr);
}

TEST_F(ParameterTipTest, HideReleasesTheCapture) {
    tip_.Show(CRect(10, 10, 20, 30), L"a text too long", 0, 0);
    ASSERT_TRUE(Shown());
    tip_.Hide();
    EXPECT_FALSE(Shown());
    EXPECT_NE(GetCapture(), tip_.m_hWnd);
}

// Input posted to the tip reaches the owner through the message pump, which offers it to
// the tip first.
struct KeyCase {
    UINT message;
    WPARAM key;
    LPARAM lParam;
};

class ParameterTipKeyTest : public ParameterTipTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ParameterTipKeyTest, KeyPressHidesAndReachesTheOwnerUnchanged) {
    const KeyCase c = GetParam();
    tip_.Show(CRect(10, 10, 20, 30), L"a text too long", 0, 0);
    ASSERT_TRUE(Shown());
    PostMessageW(tip_, c.message, c.key, c.lParam);
    ASSERT_TRUE(PumpUntil([&] { return owner_.Last(c.message) != nullptr; }, 3000))
        << "the key never reached the owner";
    const MSG* got = owner_.Last(c.message);
    EXPECT_EQ(got->wParam, c.key);
    EXPECT_EQ(got->lParam, c.lParam);
    EXPECT_FALSE(Shown());
    EXPECT_NE(GetCapture(), tip_.m_hWnd);
}

INSTANTIATE_TEST_SUITE_P(Keys, ParameterTipKeyTest,
                         ::testing::Values(KeyCase{WM_KEYDOWN, VK_DOWN, 0x00500001},
                                           KeyCase{WM_KEYDOWN, 'A', 0x001E0001},
                                           KeyCase{WM_SYSKEYDOWN, VK_F4, 0x203E0001}));

TEST_F(ParameterTipTest, ClickInTheOwnersClientAreaArrivesInClientCoordinates) {
    tip_.Show(CRect(10, 10, 20, 30), L"a text too long", 0, 0);
    ASSERT_TRUE(Shown());
    // A point of the owner's client area below the tip, in the tip's client coordinates.
    POINT screenPt = ClientOrigin(owner_);
    screenPt.x += 150;
    screenPt.y += 200;
    POINT tipPt = screenPt;
    ScreenToClient(tip_, &tipPt);
    PostMessageW(tip_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tipPt.x, tipPt.y));
    ASSERT_TRUE(PumpUntil([&] { return owner_.Last(WM_LBUTTONDOWN) != nullptr; }, 3000));
    const MSG* got = owner_.Last(WM_LBUTTONDOWN);
    EXPECT_EQ(got->wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(static_cast<short>(LOWORD(got->lParam)), 150);
    EXPECT_EQ(static_cast<short>(HIWORD(got->lParam)), 200);
    EXPECT_FALSE(Shown());
}

TEST_F(ParameterTipTest, ClickOnTheTipItselfArrivesAtTheOwner) {
    tip_.Show(CRect(10, 10, 20, 30), L"a text too long", 0, 0);
    ASSERT_TRUE(Shown());
    PostMessageW(tip_, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 3));
    ASSERT_TRUE(PumpUntil([&] { return owner_.Last(WM_MBUTTONDOWN) != nullptr; }, 3000));
    POINT expected = {5, 3};
    ClientToScreen(tip_, &expected);
    ScreenToClient(owner_, &expected);
    const MSG* got = owner_.Last(WM_MBUTTONDOWN);
    EXPECT_EQ(static_cast<short>(LOWORD(got->lParam)), expected.x);
    EXPECT_EQ(static_cast<short>(HIWORD(got->lParam)), expected.y);
}

// Wine keeps the title bar outside the window's visible area when there is no window
// manager (WindowFromPoint answers the desktop there), so the scroll bar stands in for it.
TEST_F(ParameterTipTest, RightClickOnTheScrollBarArrivesAsNonClientPress) {
    tip_.Show(CRect(10, 10, 20, 30), L"a text too long", 0, 0);
    ASSERT_TRUE(Shown());
    RECT client = {};
    GetClientRect(owner_, &client);
    POINT screenPt = {client.right + GetSystemMetrics(SM_CXVSCROLL) / 2, client.bottom / 2};
    ClientToScreen(owner_, &screenPt);
    ASSERT_EQ(SendMessageW(owner_, WM_NCHITTEST, 0, MAKELPARAM(screenPt.x, screenPt.y)), HTVSCROLL)
        << "the point chosen is not on the scroll bar";
    ASSERT_EQ(WindowFromPoint(screenPt), owner_.m_hWnd) << "another window covers the owner";
    POINT tipPt = screenPt;
    ScreenToClient(tip_, &tipPt);
    PostMessageW(tip_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(tipPt.x, tipPt.y));
    ASSERT_TRUE(PumpUntil([&] { return owner_.Last(WM_NCRBUTTONDOWN) != nullptr; }, 3000));
    const MSG* got = owner_.Last(WM_NCRBUTTONDOWN);
    EXPECT_EQ(got->wParam, static_cast<WPARAM>(HTVSCROLL));
    EXPECT_EQ(static_cast<short>(LOWORD(got->lParam)), screenPt.x);
    EXPECT_EQ(static_cast<short>(HIWORD(got->lParam)), screenPt.y);
    EXPECT_EQ(owner_.Last(WM_RBUTTONDOWN), nullptr);
    EXPECT_FALSE(Shown());
}

TEST_F(ParameterTipTest, OtherMessagesHideOnlyWhenTheFocusIsGone) {
    tip_.Show(CRect(10, 10, 20, 30), L"a text too long", 0, 0);
    ASSERT_TRUE(Shown());
    MSG move = {tip_.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2), 0, {0, 0}};
    EXPECT_FALSE(tip_.PreTranslateMessage(&move));
    EXPECT_TRUE(Shown()) << "mouse movement leaves the tip";
    MSG release = {tip_.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2), 0, {0, 0}};
    EXPECT_FALSE(tip_.PreTranslateMessage(&release));
    EXPECT_TRUE(Shown()) << "a button release leaves the tip";

    ::SetFocus(nullptr);
    EXPECT_TRUE(tip_.PreTranslateMessage(&move));
    EXPECT_FALSE(Shown());
}

TEST(ParameterTipClass, IsRegisteredWithTheTooltipLook) {
    CParameterTip tip;
    WNDCLASSW wc = {};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"ParameterTip", &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_SAVEBITS));
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1));
    ASSERT_NE(tip.Create(nullptr), 0);
    EXPECT_EQ(GetWindowLongW(tip, GWL_STYLE) & (WS_POPUP | WS_BORDER | WS_VISIBLE),
              static_cast<LONG>(WS_POPUP | WS_BORDER));
    EXPECT_EQ(GetWindowLongW(tip, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_EQ(GetParent(tip), nullptr);
}

}  // namespace

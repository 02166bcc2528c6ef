#include "ui/SplashWnd.h"

#include "afx/AfxModule.h"
#include "afx/CDC.h"
#include "afx/CWinApp.h"

namespace {

const wchar_t kSplashClass[] = L"QxToolsSplashWnd";
bool g_classRegistered = false;

// Positions in the status band: its line lies 12 pixels above the lower edge.
const int kBandAboveBottom = 36;
const int kBandBelowBottom = 12;
const int kBandSideInset = 16;

}  // namespace

BEGIN_MESSAGE_MAP(QxSplashWnd, CWnd)
ON_WM_PAINT()
ON_WM_NCCALCSIZE()
ON_WM_NCHITTEST()
ON_WM_CLOSE()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

QxSplashWnd::QxSplashWnd() : statusText_(L"Initializing ...") { RegisterSplashWndClass(); }

QxSplashWnd::QxSplashWnd(CWnd* parent, UINT bitmapId) : QxSplashWnd() { Create(parent, bitmapId); }

QxSplashWnd::~QxSplashWnd() {
    statusText_.Empty();
    bitmap_.DeleteObject();
}

bool QxSplashWnd::RegisterSplashWndClass() {
    if (g_classRegistered) return true;
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSW wc = {};
    if (!GetClassInfoW(instance, kSplashClass, &wc)) {
        wc = WNDCLASSW{};
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_NOCLOSE | CS_SAVEBITS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_WAIT));
        wc.lpszClassName = kSplashClass;
        if (!AfxRegisterClass(&wc)) return false;
    }
    g_classRegistered = true;
    return true;
}

bool QxSplashWnd::Create(CWnd* parent, UINT bitmapId) {
    // A second Create while the window stands would take the bitmap from under it.
    if (m_hWnd) return false;
    if (!RegisterSplashWndClass()) return false;
    if (!bitmap_.LoadBitmap(bitmapId)) return false;
    BITMAP info = {};
    bitmap_.GetBitmap(&info);
    width_ = info.bmWidth;
    height_ = info.bmHeight;

    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT rc;
    rc.left = work.left + (work.right - work.left - width_) / 2;
    rc.top = work.top + (work.bottom - work.top - height_) / 2;
    rc.right = rc.left + width_;
    rc.bottom = rc.top + height_;

    // The title shows only on the taskbar button of an unowned splash.
    if (!CreateEx(0, kSplashClass, L"initizlizing ...", WS_POPUP | WS_VISIBLE, rc.left, rc.top, width_, height_,
                  parent ? parent->m_hWnd : nullptr, nullptr)) {
        bitmap_.DeleteObject();
        return false;
    }
    SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    PassMsgLoop(false);  // paints it now, not when the host next looks at its queue
    return true;
}

BOOL QxSplashWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!RegisterSplashWndClass()) return FALSE;
    if (!CWnd::PreCreateWindow(cs)) return FALSE;
    cs.lpszClass = kSplashClass;
    return TRUE;
}

BOOL QxSplashWnd::DestroyWindow() {
    if (!m_hWnd) return CWnd::DestroyWindow();
    ShowWindow(SW_HIDE);
    PassMsgLoop(false);  // lets the windows beneath repaint before the splash goes
    return CWnd::DestroyWindow();
}

void QxSplashWnd::SetStatusText(const wchar_t* text) {
    if (!text) text = L"";
    if (statusText_ == text) return;
    statusText_ = text;
    if (!(GetStyle() & WS_VISIBLE)) return;
    Invalidate(TRUE);
    UpdateWindow();
    Sleep(100);  // long enough for the eye to catch the text before the next one
}

void QxSplashWnd::PassMsgLoop(bool idle) {
    CWinApp* app = AfxGetApp();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!(app ? app->PumpMessage() : AfxPumpMessage())) {
            PostQuitMessage(0);  // the host's own loop must see the quit message too
            return;
        }
    }
    if (idle && app) {
        for (LONG count = 0; app->OnIdle(count); ++count) {}
    }
}

void QxSplashWnd::OnPaint() {
    CPaintDC dc(this);
    CDC memory;
    if (!memory.CreateCompatibleDC(&dc)) return;
    CGdiSelector selectBitmap(memory, bitmap_.GetSafeHandle());
    dc.BitBlt(0, 0, width_, height_, &memory, 0, 0, SRCCOPY);
    if (statusText_.IsEmpty()) return;

    RECT band;
    GetClientRect(&band);
    band.top = band.bottom - kBandAboveBottom;
    band.bottom += kBandBelowBottom;
    band.left += kBandSideInset;
    band.right -= kBandSideInset;

    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc.SetTextColor(RGB(128, 128, 128));
    CFont font;
    font.CreateFont(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, FF_SWISS, L"Arial");
    {
        CGdiSelector selectFont(dc, font.GetSafeHandle());
        dc.DrawText(statusText_, -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    dc.SetTextColor(oldColor);
    dc.SetBkMode(oldMode);
}

void QxSplashWnd::OnNcCalcSize(BOOL /*calcValidRects*/, NCCALCSIZE_PARAMS* /*params*/) {
    // No frame: the client area is the whole window.
}

LRESULT QxSplashWnd::OnNcHitTest(CPoint /*point*/) {
    return HTCLIENT;  // nothing acts as caption or border, so the window cannot be dragged
}

void QxSplashWnd::OnClose() {
    // A close request (Alt+F4) leaves the splash up; the host ends it with DestroyWindow.
}

BOOL QxSplashWnd::OnEraseBkgnd(CDC* /*dc*/) {
    return TRUE;  // the bitmap covers the whole client area
}

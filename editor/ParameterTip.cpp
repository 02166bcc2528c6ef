#include "editor/ParameterTip.h"

#include "afx/AfxException.h"
#include "afx/AfxModule.h"
#include "afx/CDC.h"
#include "afx/CGdiObject.h"

#include <algorithm>
#include <cstdlib>

namespace {

const wchar_t kTipClass[] = L"ParameterTip";

// The class is registered once per process, under the host's instance.
bool RegisterTipClass() {
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSW wc = {};
    if (GetClassInfoW(instance, kTipClass, &wc)) return true;
    wc = WNDCLASSW{};
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    // The tooltip background of the system; WM_ERASEBKGND fills the window with it.
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INFOBK + 1));
    wc.lpszClassName = kTipClass;
    return AfxRegisterClass(&wc) != FALSE;
}

UINT NonClientForm(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN: return WM_NCLBUTTONDOWN;
    case WM_RBUTTONDOWN: return WM_NCRBUTTONDOWN;
    default: return WM_NCMBUTTONDOWN;
    }
}

struct TextExtent {
    long width;  // with the font's overhang
    long height;
    long averageCharWidth;
};

// The text's extent in the font asked for, else in the owner's.
TextExtent MeasureText(CDC& dc, const LOGFONTW* logFont, HFONT ownerFont, const CString& text) {
    CFont measureFont;
    if (logFont) measureFont.CreateFontIndirect(logFont);
    CGdiSelector select(dc, measureFont.GetSafeHandle() ? measureFont.GetSafeHandle() : ownerFont);
    const SIZE extent = dc.GetTextExtent(text, text.GetLength());
    TEXTMETRICW metrics = {};
    dc.GetTextMetrics(&metrics);
    return {extent.cx + metrics.tmOverhang, extent.cy, metrics.tmAveCharWidth};
}

// Where a tip may stand: right of the owner's client area, inside the screen less a margin
// of 8 pixels on the right and at the bottom. There is no top bound.
struct ScreenBounds {
    long left;
    long right;
    long bottom;
};

ScreenBounds BoundsFor(CWnd& owner) {
    POINT clientOrigin = {0, 0};
    owner.ClientToScreen(&clientOrigin);
    CClientDC screen(nullptr);
    return {clientOrigin.x, screen.GetDeviceCaps(HORZRES) - 8, screen.GetDeviceCaps(VERTRES) - 8};
}

// Past the right edge the rectangle moves left as far as the owner's client area allows,
// left of that area it moves right as far as the screen allows; what still sticks out is
// cut off.
void KeepOnScreen(RECT& rc, const ScreenBounds& bounds) {
    if (rc.right > bounds.right) {
        const long overflow = rc.right - bounds.right;
        const long room = rc.left > bounds.left ? rc.left - bounds.left : 0;
        OffsetRect(&rc, -std::min(overflow, room), 0);
        if (rc.right > bounds.right) rc.right = bounds.right;
    }
    if (rc.left < bounds.left) {
        const long overflow = bounds.left - rc.left;
        const long room = rc.right < bounds.right ? bounds.right - rc.right : 0;
        OffsetRect(&rc, std::min(overflow, room), 0);
        if (rc.left < bounds.left) rc.left = bounds.left;
    }
}

// The height of the word-wrapped text, measured in the font it is painted in (the owner's,
// or the context's default when the owner has none): measured in any other font, lines
// would be cut off or blank space left. Low on the screen the tip is cut, not moved up.
void FitHeight(CDC& dc, HFONT paintFont, const CString& text, RECT& rc, long bottomBound) {
    CGdiSelector select(dc, paintFont);
    RECT calc = {0, 0, rc.right - rc.left, 0};
    const int height =
        dc.DrawText(text, -1, &calc, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_NOCLIP);
    rc.bottom = std::min<long>(rc.top + height, bottomBound);
}

}  // namespace

BEGIN_MESSAGE_MAP(CParameterTip, CWnd)
ON_WM_MOUSEMOVE()
ON_WM_PAINT()
END_MESSAGE_MAP()

CParameterTip::CParameterTip() {
    if (!RegisterTipClass()) AfxThrowResourceException();
}

CParameterTip::~CParameterTip() = default;

int CParameterTip::Create(CWnd* owner) {
    owner_ = owner;
    // No parent or owner window: the tip floats above everything, and the owner is known
    // only to this object.
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTipClass, nullptr, WS_POPUP | WS_BORDER, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr);
}

void CParameterTip::Show(CRect itemRect, const wchar_t* text, long margin, long maxChars, RECT* /*extraRect*/,
                         LOGFONTW* logFont) {
    if (!text || !*text || itemRect.IsRectEmpty() || IsWindowVisible()) return;
    if (!GetFocus() || !m_hWnd || !owner_) return;

    owner_->ClientToScreen(static_cast<RECT*>(&itemRect));
    displayText_ = L" ";
    displayText_ += text;
    displayText_ += L" ";

    CClientDC dc(this);
    const TextExtent extent = MeasureText(dc, logFont, owner_->GetFont(), displayText_);
    RECT& rc = textRect_;
    rc.left = itemRect.left + margin - 1;
    rc.top = itemRect.top + 2;
    rc.right = rc.left + extent.width;
    rc.bottom = rc.top + extent.height;
    if (rc.right <= itemRect.right - margin) return;  // the padded text fits in the item

    if (maxChars > 0) {
        const long limit = std::labs(maxChars) * extent.averageCharWidth;
        if (rc.right - rc.left > limit) rc.right = rc.left + limit;
    }
    const ScreenBounds bounds = BoundsFor(*owner_);
    KeepOnScreen(rc, bounds);
    FitHeight(dc, owner_->GetFont(), displayText_, rc, bounds.bottom);

    // Three pixels of room left of the text and one above; shown without taking the focus.
    // The window is the text's height plus its border above and below: a window only as
    // high as the text would lose the last line's lowest pixels to the border.
    const int borders = 2 * GetSystemMetrics(SM_CYBORDER);
    SetWindowPos(&wndTop, rc.left - 3, rc.top - 1, rc.right - rc.left + 3, rc.bottom - rc.top + borders,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    SetCapture();
}

void CParameterTip::Hide() {
    if (!m_hWnd) return;
    if (GetCapture() == m_hWnd) ReleaseCapture();
    ShowWindow(SW_HIDE);
}

void CParameterTip::OnPaint() {
    CPaintDC dc(this);
    // Painted in the owner's font, whatever font the text was measured with.
    CGdiSelector select(dc, owner_ ? owner_->GetFont() : nullptr);
    RECT rc = textRect_;
    ScreenToClient(&rc);
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText(displayText_, -1, &rc, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
}

void CParameterTip::OnMouseMove(UINT /*flags*/, CPoint /*point*/) {
    // Moving the mouse neither hides nor moves the tip.
}

BOOL CParameterTip::PreTranslateMessage(MSG* msg) {
    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Hide();
        if (owner_ && owner_->m_hWnd) ::PostMessageW(owner_->m_hWnd, msg->message, msg->wParam, msg->lParam);
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: RedirectButtonPress(*msg); return TRUE;
    default:
        if (!GetFocus()) {
            Hide();
            return TRUE;
        }
        return CWnd::PreTranslateMessage(msg);
    }
}

// A press on the tip goes to whatever lies under it on the screen (the owner when that is
// the tip itself), as a client or non-client press depending on where it landed.
void CParameterTip::RedirectButtonPress(const MSG& msg) {
    CPoint point(msg.lParam);
    ClientToScreen(&point);
    HWND target = WindowFromPoint(point);
    // Off every window (null) counts like the tip itself: the press must not become a
    // thread message that no window receives.
    if (!target || target == m_hWnd) target = owner_ ? owner_->m_hWnd : nullptr;

    UINT message = msg.message;
    WPARAM wParam = msg.wParam;
    LPARAM lParam = 0;
    const LPARAM screenPoint = MAKELPARAM(point.x, point.y);
    LRESULT hit = target ? ::SendMessageW(target, WM_NCHITTEST, 0, screenPoint) : HTNOWHERE;
    if (hit == HTCLIENT) {
        ::ScreenToClient(target, &point);
        lParam = MAKELPARAM(point.x, point.y);
    } else {
        message = NonClientForm(message);
        wParam = static_cast<WPARAM>(hit);
        lParam = screenPoint;
    }
    Hide();
    if (target) ::PostMessageW(target, message, wParam, lParam);
}

#pragma once
#include "platform/QxExport.h"
#include "afx/CGdiObject.h"
#include "afx/CString.h"
#include "afx/CWnd.h"

class CDC;

// The start-up window: a borderless pop-up exactly the size of a bitmap, centred in the
// work area, with one status line painted over the bitmap's lower edge. It cannot be
// closed or moved by the user; the cursor over it is the wait cursor.
class QX_API QxSplashWnd : public CWnd {
public:
    QxSplashWnd();
    // Constructs and creates at once; whether that worked shows in GetSafeHwnd().
    QxSplashWnd(CWnd* parent, UINT bitmapId);
    ~QxSplashWnd() override;
    QxSplashWnd(const QxSplashWnd&) = delete;
    QxSplashWnd& operator=(const QxSplashWnd&) = delete;

    // Registers the window class "QxToolsSplashWnd" once per process; false when it
    // cannot be registered.
    static bool RegisterSplashWndClass();

    // Loads the bitmap through the resource chain and shows the window centred in the work
    // area; false (no window, no bitmap held) when the bitmap or window cannot be had.
    bool Create(CWnd* parent, UINT bitmapId);
    // Replaces the status line (null: empty). A new text on a visible window is painted
    // before the call returns and then left on screen for a tenth of a second.
    void SetStatusText(const wchar_t* text);
    // Lets the waiting messages through, then, when idle is true, the application's idle
    // work. A quit message ends the loop and is posted again for the host's own loop.
    void PassMsgLoop(bool idle);

    BOOL DestroyWindow() override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

protected:
    void OnPaint();
    void OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params);
    LRESULT OnNcHitTest(CPoint point);
    void OnClose();
    BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    CBitmap bitmap_;
    int width_ = 0;
    int height_ = 0;
    CString statusText_;
};

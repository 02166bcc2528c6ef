#include "afx/CWinApp.h"

#include "afx/CWnd.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

BOOL AfxPreTranslateMessage(MSG* msg, HWND stopAt) {
    // Parents first in line, then owners: GetParent answers the owner of a pop-up window.
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = GetParent(hwnd)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd)) {
            if (wnd->PreTranslateMessage(msg)) return TRUE;
        }
        if (hwnd == stopAt) break;
    }
    return FALSE;
}

namespace {
thread_local WPARAM t_quitCode = 0;

BOOL PumpOne(CWinApp* app) {
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {  // quit, or a broken queue
        t_quitCode = msg.message == WM_QUIT ? msg.wParam : 0;
        return FALSE;
    }
    BOOL consumed = app ? app->PreTranslateMessage(&msg) : AfxPreTranslateMessage(&msg);
    if (!consumed) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return TRUE;
}
}  // namespace

BOOL AfxPumpMessage() { return PumpOne(nullptr); }

CWinApp::CWinApp() {
    if (!g_app) g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::PumpMessage() { return PumpOne(this); }

BOOL CWinApp::OnIdle(LONG /*count*/) { return FALSE; }

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    return AfxPreTranslateMessage(msg, m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr);
}

int CWinApp::Run() {
    for (;;) {
        MSG peek;
        for (LONG count = 0; !PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(count); ++count) {}
        if (!PumpMessage()) break;
    }
    return static_cast<int>(t_quitCode);
}

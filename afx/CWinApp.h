#pragma once
#include "platform/QxExport.h"
#include "platform/QxWin.h"

class CWnd;

// The host's application object: one per process, found through AfxGetApp. Its message
// pump gives each message to the window objects it is meant for before dispatching it.
class QX_API CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    CWnd* m_pMainWnd = nullptr;

    // Takes one message (waiting for it) and dispatches it; FALSE when it was the quit
    // message.
    virtual BOOL PumpMessage();
    // Idle work, called with 0, 1, 2, ... while the queue is empty; TRUE asks for more.
    // The base class has none.
    virtual BOOL OnIdle(LONG count);
    // Offers the message to the window it is for and to that window's parents and owners,
    // up to the main window; TRUE when one of them consumed it.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // The message loop: pumps until the quit message and answers its exit code.
    virtual int Run();
};

// The application object, or null when the host made none.
QX_API CWinApp* AfxGetApp();

// The pump of an application object, for hosts without one.
QX_API BOOL AfxPumpMessage();
// The window walk of CWinApp::PreTranslateMessage, stopping at the given window (or at the
// top when it is null).
QX_API BOOL AfxPreTranslateMessage(MSG* msg, HWND stopAt = nullptr);

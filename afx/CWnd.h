#pragma once
#include "platform/QxExport.h"
#include "platform/QxWin.h"
#include "afx/CRect.h"

class CWnd;
class CDC;

// Message maps: each class that handles messages lists them in a static table that names
// its base class's table; dispatch walks from the most derived table to CWnd's.
using AFX_PMSG = LRESULT (*)(CWnd* wnd, WPARAM wParam, LPARAM lParam);
struct AFX_MSGMAP_ENTRY {
    UINT message;
    AFX_PMSG handler;  // null ends the table
};
struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass;                                  \
        using TheBaseClass = baseClass;                                               \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                      \
    { 0, nullptr }                                                             \
    }                                                                          \
    ;                                                                          \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                               \
    }

// The handlers keep the framework's signatures; each entry unpacks the message for them.
#define ON_WM_PAINT()                                   \
    {WM_PAINT, [](CWnd* w, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(w)->OnPaint();         \
         return 0;                                      \
     }},
#define ON_WM_MOUSEMOVE()                                                            \
    {WM_MOUSEMOVE, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {                    \
         static_cast<ThisClass*>(w)->OnMouseMove(static_cast<UINT>(wp), CPoint(lp)); \
         return 0;                                                                   \
     }},
#define ON_WM_NCCALCSIZE()                                                                                          \
    {WM_NCCALCSIZE, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {                                                  \
         static_cast<ThisClass*>(w)->OnNcCalcSize(static_cast<BOOL>(wp), reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)); \
         return 0;                                                                                                  \
     }},
#define ON_WM_NCHITTEST() \
    {WM_NCHITTEST,        \
     [](CWnd* w, WPARAM, LPARAM lp) -> LRESULT { return static_cast<ThisClass*>(w)->OnNcHitTest(CPoint(lp)); }},
#define ON_WM_CLOSE()                                   \
    {WM_CLOSE, [](CWnd* w, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(w)->OnClose();         \
         return 0;                                      \
     }},
#define ON_WM_ERASEBKGND()                                          \
    {WM_ERASEBKGND, [](CWnd* w, WPARAM wp, LPARAM) -> LRESULT {     \
         CDC dc;                                                    \
         dc.Attach(reinterpret_cast<HDC>(wp));                      \
         LRESULT r = static_cast<ThisClass*>(w)->OnEraseBkgnd(&dc); \
         dc.Detach();                                               \
         return r;                                                  \
     }},
// Any other message: handler(WPARAM, LPARAM) -> LRESULT.
#define ON_MESSAGE(message, memberFn) \
    {message, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT { return static_cast<ThisClass*>(w)->memberFn(wp, lp); }},

// A window object. It owns the window it created (CreateEx) and destroys it with itself;
// Attach only names a window made elsewhere, which Detach gives back untouched.
class QX_API CWnd {
public:
    // Never throws, so that wndTop is safely made while the module loads.
    CWnd() noexcept;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The window object that owns or names the window; null for other windows.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // The "top of the z-order" position for SetWindowPos.
    static const CWnd wndTop;

    // Makes the window (PreCreateWindow may change the description first). The window's
    // messages go through this object's message map from its first message on.
    // FALSE when the description is refused or the window cannot be made.
    virtual BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, int x, int y,
                          int width, int height, HWND parent, HMENU menu, LPVOID param = nullptr);
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();
    // Fills in the class when none is given (a plain framework window class).
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // Called for a message meant for this window before it is dispatched; TRUE when the
    // message was consumed and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);

    BOOL Attach(HWND hwnd);
    HWND Detach();

    // Thin forwards to the window functions; each does nothing (answers 0) without a window.
    BOOL ShowWindow(int command);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags);
    BOOL IsWindowVisible() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* rect) const;
    void ClientToScreen(POINT* point) const;
    void ClientToScreen(RECT* rect) const;
    void ScreenToClient(POINT* point) const;
    void ScreenToClient(RECT* rect) const;
    void Invalidate(BOOL erase = TRUE);
    void UpdateWindow();
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    HWND SetCapture();
    // The font the window reports (WM_GETFONT); null when it has none of its own.
    HFONT GetFont();

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();
    // Routes a message through the message map, else to the window's former procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window's last message; the object stays.
    virtual void PostNcDestroy();

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtHook(int, WPARAM, LPARAM);
    void Subclass(HWND hwnd);
    void OnFinalMessage();

    WNDPROC superProc_ = nullptr;  // the procedure the window had before it was subclassed
};

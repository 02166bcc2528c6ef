#include "afx/CWnd.h"

#include "afx/AfxModule.h"
#include "afx/CDC.h"
#include "platform/QxBarrier.h"
#include "platform/QxHandle.h"

#include <unordered_map>

namespace {

// Window handle to window object, for every window a CWnd made or names. Windows of any
// thread may be looked up, so the map is guarded.
SRWLOCK g_mapLock = SRWLOCK_INIT;
std::unordered_map<HWND, CWnd*>& HandleMap() {
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}
void MapAdd(HWND hwnd, CWnd* wnd) {
    AcquireSRWLockExclusive(&g_mapLock);
    HandleMap()[hwnd] = wnd;
    ReleaseSRWLockExclusive(&g_mapLock);
}
void MapRemove(HWND hwnd) {
    AcquireSRWLockExclusive(&g_mapLock);
    HandleMap().erase(hwnd);
    ReleaseSRWLockExclusive(&g_mapLock);
}

// The window the calling thread is making: its object, and what tells its window apart
// from others made meanwhile. Taken by the creation hook.
struct Creation {
    CWnd* wnd = nullptr;
    ATOM classAtom = 0;
    HWND parent = nullptr;
    LPVOID param = nullptr;
};
thread_local Creation t_creating;
thread_local HHOOK t_cbtHook = nullptr;  // the hook of the innermost creation, for CallNextHookEx

const wchar_t kDefaultClass[] = L"QxAfxWnd";

ATOM ClassAtom(HINSTANCE instance, const wchar_t* className) {
    if (IS_INTRESOURCE(className)) return static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className));
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    return static_cast<ATOM>(GetClassInfoExW(instance, className, &wc));
}

// The system makes windows of its own while a thread makes its first one (the input
// method's, and others depending on the input method in use), and they need not come after
// ours. Only the window with our class, parent and creation parameter is ours.
bool IsTheWindowBeingMade(const Creation& creation, HWND hwnd, const CREATESTRUCTW* cs) {
    return cs && cs->hwndParent == creation.parent && cs->lpCreateParams == creation.param &&
           static_cast<ATOM>(GetClassLongPtrW(hwnd, GCW_ATOM)) == creation.classAtom;
}

}  // namespace

const CWnd CWnd::wndTop;

// Every window of a CWnd runs here: the object's WindowProc sees each message, and the
// object lets go of the window after its last one.
LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    // A handler's exception would have to cross the system's own frames: it ends here,
    // and the message counts as handled with 0.
    LRESULT result = QxBarrier(LRESULT(0), [&] { return wnd->WindowProc(message, wParam, lParam); });
    if (message == WM_NCDESTROY) wnd->OnFinalMessage();
    return result;
}

// While CreateEx makes a window, this hook hands the new window to the object before the
// window gets its first message (WM_NCCREATE), as the framework does. Windows the system
// makes meanwhile are left alone.
LRESULT CALLBACK AfxCbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_creating.wnd) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        const CBT_CREATEWNDW* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (IsTheWindowBeingMade(t_creating, hwnd, create ? create->lpcs : nullptr)) {
            CWnd* wnd = t_creating.wnd;
            t_creating = Creation();
            wnd->Subclass(hwnd);
        }
    }
    return CallNextHookEx(t_cbtHook, code, wParam, lParam);
}

CWnd::CWnd() noexcept = default;

CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        if (superProc_)
            CWnd::DestroyWindow();
        else
            Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd) return nullptr;
    AcquireSRWLockShared(&g_mapLock);
    auto& map = HandleMap();
    auto it = map.find(hwnd);
    CWnd* wnd = it == map.end() ? nullptr : it->second;
    ReleaseSRWLockShared(&g_mapLock);
    return wnd;
}

void CWnd::Subclass(HWND hwnd) {
    m_hWnd = hwnd;
    MapAdd(hwnd, this);
    superProc_ =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
}

void CWnd::OnFinalMessage() {
    HWND hwnd = m_hWnd;
    // Give the window its own procedure back, so that nothing of it points here any more.
    if (superProc_) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
    superProc_ = nullptr;
    MapRemove(hwnd);
    m_hWnd = nullptr;
    PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

BOOL CWnd::Attach(HWND hwnd) {
    if (m_hWnd || !hwnd || FromHandlePermanent(hwnd)) return FALSE;
    m_hWnd = hwnd;
    MapAdd(hwnd, this);
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd) MapRemove(hwnd);
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (cs.lpszClass) return TRUE;
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kDefaultClass;
    if (!AfxRegisterClass(&wc)) return FALSE;
    cs.lpszClass = kDefaultClass;
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, LPVOID param) {
    if (m_hWnd) return FALSE;
    CREATESTRUCTW cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = menu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) return FALSE;

    // One hook per creation; a window made while this one is made (in its WM_CREATE)
    // brings its own.
    const ATOM classAtom = ClassAtom(cs.hInstance, cs.lpszClass);
    if (!classAtom) return FALSE;  // no such class: CreateWindowEx would refuse it too
    const Creation outerCreating = t_creating;
    HHOOK outerHook = t_cbtHook;
    t_creating = Creation{this, classAtom, cs.hwndParent, cs.lpCreateParams};
    HWND hwnd = nullptr;
    {
        QxHook hook(SetWindowsHookExW(WH_CBT, AfxCbtHook, nullptr, GetCurrentThreadId()));
        t_cbtHook = hook.Get();
        hwnd = CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx,
                               cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    t_creating = outerCreating;
    t_cbtHook = outerHook;
    // Without the hook (it could not be set) the window is taken over after the fact.
    if (hwnd && !m_hWnd && IsWindow(hwnd)) Subclass(hwnd);
    // A window whose creation failed after the hook ran has had its last message already.
    return hwnd != nullptr && m_hWnd == hwnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    // A window that is only named (attached) does not run through AfxWndProc, so this
    // object would never see its last message: let go of it first, then destroy it as
    // asked. (The destructor only lets go of such a window.)
    if (!superProc_) {
        HWND hwnd = Detach();
        return ::DestroyWindow(hwnd);
    }
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreTranslateMessage(MSG* /*msg*/) { return FALSE; }

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->handler; ++entry) {
            if (entry->message == message) return entry->handler(this, wParam, lParam);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (superProc_) return CallWindowProcW(superProc_, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::ShowWindow(int command) { return m_hWnd ? ::ShowWindow(m_hWnd, command) : FALSE; }

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags) {
    if (!m_hWnd) return FALSE;
    HWND after = HWND_TOP;
    if (insertAfter && insertAfter != &wndTop) after = insertAfter->m_hWnd;
    return ::SetWindowPos(m_hWnd, after, x, y, width, height, flags);
}

BOOL CWnd::IsWindowVisible() const { return m_hWnd ? ::IsWindowVisible(m_hWnd) : FALSE; }

DWORD CWnd::GetStyle() const { return m_hWnd ? static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE)) : 0; }

DWORD CWnd::GetExStyle() const { return m_hWnd ? static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)) : 0; }

void CWnd::GetClientRect(RECT* rect) const {
    if (!m_hWnd || !::GetClientRect(m_hWnd, rect)) SetRectEmpty(rect);
}

void CWnd::GetWindowRect(RECT* rect) const {
    if (!m_hWnd || !::GetWindowRect(m_hWnd, rect)) SetRectEmpty(rect);
}

void CWnd::ClientToScreen(POINT* point) const {
    if (m_hWnd) ::ClientToScreen(m_hWnd, point);
}

void CWnd::ClientToScreen(RECT* rect) const {
    if (!m_hWnd) return;
    ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&rect->left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&rect->right));
}

void CWnd::ScreenToClient(POINT* point) const {
    if (m_hWnd) ::ScreenToClient(m_hWnd, point);
}

void CWnd::ScreenToClient(RECT* rect) const {
    if (!m_hWnd) return;
    ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rect->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rect->right));
}

void CWnd::Invalidate(BOOL erase) {
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::UpdateWindow() {
    if (m_hWnd) ::UpdateWindow(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_hWnd ? ::SendMessageW(m_hWnd, message, wParam, lParam) : 0;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_hWnd ? ::PostMessageW(m_hWnd, message, wParam, lParam) : FALSE;
}

HWND CWnd::SetCapture() { return m_hWnd ? ::SetCapture(m_hWnd) : nullptr; }

HFONT CWnd::GetFont() { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }

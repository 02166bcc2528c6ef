#include "support/WindowTestSupport.h"
#include "platform/QxHandle.h"

#include <gtest/gtest.h>

namespace qxtest {

namespace {

// Every program that drives windows links this file. When Wine's desktop was started by a
// program without an X display (a wineserver left over from such a run), no window can be
// made in any later program; say so once instead of failing every window test obscurely.
class DesktopCheck : public ::testing::Environment {
public:
    void SetUp() override {
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (probe) {
            ::DestroyWindow(probe);
            return;
        }
        FAIL() << "No window can be made (error " << GetLastError() << "): the Wine desktop has no X "
               << "display. Stop the wineserver (wineserver -k) and run again with DISPLAY set.";
    }
};
const auto* const g_desktopCheck = ::testing::AddGlobalTestEnvironment(new DesktopCheck);

void PumpWaiting() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // a stray quit must not end a test program
        if (!AfxPreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
}  // namespace

void PumpFor(int ms) {
    DWORD start = GetTickCount();
    do {
        PumpWaiting();
        Sleep(5);
    } while (GetTickCount() - start < static_cast<DWORD>(ms));
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpWaiting();
        if (done()) return true;
        if (GetTickCount() - start >= static_cast<DWORD>(ms)) return false;
        Sleep(5);
    }
}

bool RecordingWnd::CreateAt(int x, int y, int width, int height, DWORD style) {
    if (!CreateEx(WS_EX_TOPMOST, nullptr, L"qx test owner", style | WS_VISIBLE, x, y, width, height, nullptr, nullptr))
        return false;
    PumpFor(50);
    return true;
}

const MSG* RecordingWnd::Last(UINT message) const {
    for (auto it = received.rbegin(); it != received.rend(); ++it) {
        if (it->message == message) return &*it;
    }
    return nullptr;
}

bool RecordingWnd::Focus() {
    SetForegroundWindow(m_hWnd);
    SetActiveWindow(m_hWnd);
    ::SetFocus(m_hWnd);
    PumpUntil([&] { return GetFocus() == m_hWnd; }, 2000);
    return GetFocus() == m_hWnd;
}

LRESULT RecordingWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    for (UINT w : watched) {
        if (w == message) {
            MSG msg = {};
            msg.hwnd = m_hWnd;
            msg.message = message;
            msg.wParam = wParam;
            msg.lParam = lParam;
            received.push_back(msg);
            break;
        }
    }
    if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(font);
    // Button presses stop here: a real click on the caption would start a move loop.
    if (message == WM_NCLBUTTONDOWN || message == WM_NCRBUTTONDOWN || message == WM_NCMBUTTONDOWN) return 0;
    return CWnd::WindowProc(message, wParam, lParam);
}

namespace {
struct FindState {
    const wchar_t* className;
    HWND exclude;
    HWND found;
};
BOOL CALLBACK FindOne(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || hwnd == state->exclude || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (lstrcmpW(name, state->className) != 0) return TRUE;
    state->found = hwnd;
    return FALSE;
}
}  // namespace

HWND WaitForProcessWindow(const wchar_t* className, int timeoutMs, HWND exclude) {
    DWORD start = GetTickCount();
    for (;;) {
        FindState state = {className, exclude, nullptr};
        EnumWindows(FindOne, reinterpret_cast<LPARAM>(&state));
        if (state.found) return state.found;
        if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) return nullptr;
        Sleep(20);
    }
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    return text;
}

SIZE ScreenSize() {
    QxScreenDC dc(GetDC(nullptr));
    return {GetDeviceCaps(dc.Get(), HORZRES), GetDeviceCaps(dc.Get(), VERTRES)};
}

}  // namespace qxtest

// qxshowcase: shows the start-up splash with changing status texts, then a list whose items
// are too narrow for their texts, so that the tip shows them in full under the mouse.
//
//   qxshowcase                 interactive: move the mouse over the list, press a key or
//                              click to make the tip go away; close the window to end
//   qxshowcase --demo <folder> unattended, for screenshots: at each stage it writes
//                              <stage>.ready (the screen rectangle to capture) into the
//                              folder and goes on when <stage>.done appears (or after 20 s)
#include "QxQVInfo320U.h"
#include "resources/QxQVInfo320U_ids.h"
#include "platform/QxHandle.h"

#include <cstdio>
#include <string>

namespace {

const wchar_t* const kItems[] = {
    L"qx_ReadServerList(Qx_PtrList& list)",
    L"qx_GetSvcSource(SERVER_INFO* server, const wchar_t* name, Qx_WString& source)",
    L"short",
    L"CObjectList::FindObject(const wchar_t* name) const",
    L"Comment with a line break:\nthe second line of the tip",
    L"qx_SelectFolder(CWnd* owner, Qx_WString& folder, const wchar_t* title)",
};

std::wstring g_demoFolder;

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Tells the screenshot script that a stage is on screen and waits for it to be captured.
void DemoStage(const wchar_t* stage, const RECT& area) {
    if (g_demoFolder.empty()) return;
    std::wstring ready = g_demoFolder + L"\\" + stage + L".ready";
    std::wstring done = g_demoFolder + L"\\" + stage + L".done";
    FILE* f = _wfopen(ready.c_str(), L"w");
    if (f) {
        fprintf(f, "%ld %ld %ld %ld\n", area.left, area.top, area.right - area.left, area.bottom - area.top);
        fclose(f);
    }
    for (DWORD start = GetTickCount(); !FileExists(done) && GetTickCount() - start < 20000;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(50);
    }
}

class ShowcaseApp : public CWinApp {};

// The main window: a list box of long texts on the left of a narrow window.
class ListWindow : public CWnd {
public:
    bool Create() {
        if (!CreateEx(0, nullptr, L"QxQVInfo showcase", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 360, 260, nullptr,
                      nullptr))
            return false;
        HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 10, 10, 150,
                                    200, m_hWnd, nullptr, nullptr, nullptr);
        font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        for (const wchar_t* item : kItems) ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        list_.Attach(list);
        ::SetFocus(list);
        return tip_.Create(&list_) != 0;
    }
    ~ListWindow() override { list_.Detach(); }

    // Shows the tip for an item, as the mouse does.
    void ShowTipFor(int index) {
        RECT item = {};
        if (::SendMessageW(list_, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) return;
        tip_.Show(CRect(item), kItems[index], 2, 40);
        shownFor_ = index;
    }
    RECT TipAndWindowArea() const {
        RECT window = {}, tip = {};
        GetWindowRect(&window);
        tip_.GetWindowRect(&tip);
        RECT both;
        UnionRect(&both, &window, &tip);
        return both;
    }

    BOOL PreTranslateMessage(MSG* msg) override {
        // Keys for the list reach the tip first while it is up, so that it can go away.
        if (tip_.IsWindowVisible() && msg->hwnd == list_.m_hWnd) return tip_.PreTranslateMessage(msg);
        if (msg->hwnd == list_.m_hWnd && msg->message == WM_MOUSEMOVE) {
            CPoint pt(msg->lParam);
            LRESULT hit = ::SendMessageW(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y));
            int index = LOWORD(hit);
            if (!HIWORD(hit) && index != shownFor_) ShowTipFor(index);
        }
        return FALSE;
    }

protected:
    LRESULT OnDestroy(WPARAM, LPARAM) {
        PostQuitMessage(0);
        return 0;
    }
    DECLARE_MESSAGE_MAP()

private:
    CWnd list_;  // names the list box; the window destroys it with itself
    CParameterTip tip_;
    HFONT font_ = nullptr;
    int shownFor_ = -1;
};

BEGIN_MESSAGE_MAP(ListWindow, CWnd)
ON_MESSAGE(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

void RunSplash(bool demo) {
    QxSplashWnd splash(nullptr, IDB_QX_SPLASH);
    if (!splash.GetSafeHwnd()) return;
    if (demo) SetWindowPos(splash, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const wchar_t* const steps[] = {L"Reading the server environments ...", L"Loading the adaptor catalogue ...",
                                    L"Reading the member list ...", L"Ready"};
    for (const wchar_t* step : steps) {
        splash.SetStatusText(step);
        for (int i = 0; i < 6; ++i) {
            splash.PassMsgLoop(true);
            Sleep(100);
        }
    }
    splash.SetStatusText(L"Loading the adaptor catalogue ...");
    RECT rc = {};
    splash.GetWindowRect(&rc);
    DemoStage(L"splash", rc);
    splash.DestroyWindow();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    QxLocalMem<wchar_t*> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
    const bool demo = argv && argc >= 3 && lstrcmpW(argv.Get()[1], L"--demo") == 0;
    if (demo) g_demoFolder = argv.Get()[2];

    ShowcaseApp app;
    RunSplash(demo);

    ListWindow window;
    if (!window.Create()) return 1;
    app.m_pMainWnd = &window;
    if (demo) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(window);
        window.ShowTipFor(1);
        DemoStage(L"tip", window.TipAndWindowArea());
        window.DestroyWindow();
        return 0;
    }
    return app.Run();
}

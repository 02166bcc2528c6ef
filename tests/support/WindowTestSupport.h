#pragma once
// Helpers for tests that drive real windows: bounded pumping and waiting, a window that
// records what it receives, and finding a dialog of this process from a helper thread.
#include "QxQVInfo320U.h"

#include <functional>
#include <string>
#include <vector>

namespace qxtest {

// Pumps the calling thread's messages through the framework's pump for about ms.
void PumpFor(int ms);
// Pumps until done() holds or ms have passed; answers done()'s last value.
bool PumpUntil(const std::function<bool()>& done, int ms);

// A top-level window that notes every message given in `watched` and answers WM_GETFONT
// with `font` (null: no font of its own).
class RecordingWnd : public CWnd {
public:
    std::vector<UINT> watched;
    std::vector<MSG> received;
    HFONT font = nullptr;

    // Visible, topmost, at the given screen rectangle (window rectangle).
    bool CreateAt(int x, int y, int width, int height, DWORD style = WS_OVERLAPPEDWINDOW);
    // The last received message of that kind, or null.
    const MSG* Last(UINT message) const;
    // Gives the window the keyboard focus; true when it has it.
    bool Focus();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The first visible top-level window of this process with the class (for example
// L"#32770") that exists within timeoutMs, else null. Safe from any thread.
HWND WaitForProcessWindow(const wchar_t* className, int timeoutMs, HWND exclude = nullptr);
// The control's text.
std::wstring WindowText(HWND hwnd);

// Screen size as the tip sees it (HORZRES, VERTRES of the screen context).
SIZE ScreenSize();

}  // namespace qxtest

#include "afx/AfxMessageBox.h"
#include "platform/QxWin.h"
#include <atomic>
#include <string>

namespace {
std::atomic<QxMessageSink> g_sink{nullptr};

// The title the framework gives its boxes: the application's name, which is the host
// program's file name without folder and extension.
std::wstring ApplicationTitle() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring name(path, n);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

// Like the framework, a box that asks for no icon gets the one that suits its buttons.
unsigned WithDefaultIcon(unsigned type) {
    if (type & MB_ICONMASK) return type;
    switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL: return type | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL: return type | MB_ICONQUESTION;
    default: return type;
    }
}

int ShowModalBox(const wchar_t* text, unsigned type) {
    type = WithDefaultIcon(type);
    std::wstring title = ApplicationTitle();
    return MessageBoxW(GetActiveWindow(), text ? text : L"", title.c_str(), type);
}
}  // namespace

QxMessageSink AfxSetMessageSink(QxMessageSink sink) { return g_sink.exchange(sink); }

int AfxMessageBox(const wchar_t* text, unsigned type, unsigned /*helpContext*/) {
    QxMessageSink sink = g_sink.load();
    return sink ? sink(text ? text : L"", type) : ShowModalBox(text, type);
}

#include "service/ResultMessages.h"
#include "afx/AfxMessageBox.h"
#include "foundation/QxCodePage.h"
#include "platform/QxBarrier.h"
#include "platform/QxSystemError.h"

namespace {
// The library's own module, whose resources hold the string table.
HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace

namespace {
void DisplayResult(Qx_Result& result) {
    Qx_WString text;
    Qx_MsgView::GetMsgStr(QxGetLocaleCP(), text, result, 0x1331, L',', 1, L'"');
    if (!text.IsEmpty()) AfxMessageBox(text.c_str(), MB_OK, 0);
}
}  // namespace

void qx_DisplayResultMsg(Qx_Result& result) {
    QxBarrierVoid([&] { DisplayResult(result); });
}

namespace {
void SystemErrorText(Qx_WString& out) {
    const DWORD code = GetLastError();  // before anything else can change it
    // No text for the code: the out-parameter is emptied rather than left with stale text.
    out = QxSystemErrorText(code).c_str();
}
}  // namespace

void qx_GetSystemErrorStr(Qx_WString& out) {
    QxBarrierVoid([&] { SystemErrorText(out); });
}

Qx_WString QxFormatModuleMessage(unsigned id, const wchar_t* insert) {
    const wchar_t* pattern = nullptr;
    int length = LoadStringW(ThisModule(), id, reinterpret_cast<LPWSTR>(&pattern), 0);
    if (length <= 0 || !pattern) return Qx_WString();
    Qx_WString format(pattern, length);
    DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(insert ? insert : L"")};
    QxLocalMem<wchar_t> message;
    DWORD written = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, format.c_str(), 0,
        0, reinterpret_cast<LPWSTR>(message.Put()), 0, reinterpret_cast<va_list*>(inserts));
    return written ? Qx_WString(message.Get(), static_cast<int>(written)) : Qx_WString();
}

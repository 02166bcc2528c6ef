#include "support/ChildProcess.h"
#include "platform/QxHandle.h"

std::wstring QxTestProgramFolder() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe, n < MAX_PATH ? n : 0);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

QxChildResult QxRunChild(const std::wstring& program, const std::wstring& arguments, const std::wstring& currentFolder,
                         unsigned long timeoutMs) {
    QxChildResult result;
    const std::wstring folder = QxTestProgramFolder();
    std::wstring command = L"\"" + folder + L"\\" + program + L"\" " + arguments;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    QxKernelObject readOut, writeOut;
    if (!CreatePipe(readOut.Put(), writeOut.Put(), &inherit, 0)) return result;
    SetHandleInformation(readOut.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = writeOut.Get();
    si.hStdError = writeOut.Get();
    PROCESS_INFORMATION pi = {};
    result.started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                    currentFolder.empty() ? folder.c_str() : currentFolder.c_str(), &si, &pi) != 0;
    writeOut.Reset();  // the child holds the only writing end now: the pipe ends with it
    if (!result.started) return result;
    QxKernelObject process(pi.hProcess), thread(pi.hThread);
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    char buffer[4096];
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readOut.Get(), nullptr, 0, nullptr, &available, nullptr)) break;  // child gone
        if (available > 0) {
            DWORD got = 0;
            if (!ReadFile(readOut.Get(), buffer, sizeof buffer, &got, nullptr) || got == 0) break;
            result.output.append(buffer, got);
            continue;
        }
        if (GetTickCount64() >= end) break;
        Sleep(10);
    }
    result.finished =
        WaitForSingleObject(process.Get(), end > GetTickCount64() ? static_cast<DWORD>(end - GetTickCount64()) : 0) ==
        WAIT_OBJECT_0;
    if (!result.finished) TerminateProcess(process.Get(), 1);
    GetExitCodeProcess(process.Get(), &result.exitCode);
    return result;
}

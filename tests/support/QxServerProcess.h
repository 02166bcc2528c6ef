#pragma once
// Starts qxserviced.exe from the running program's folder on a free port, reads the port
// it prints, and stops it (terminating it) when the object goes. Header-only, so that
// benchmarks can use it too.
#include "QxQVInfo320U.h"
#include "platform/QxHandle.h"
#include <string>

class QxServerProcess {
public:
    QxServerProcess() = default;
    ~QxServerProcess() { Stop(); }
    QxServerProcess(const QxServerProcess&) = delete;
    QxServerProcess& operator=(const QxServerProcess&) = delete;

    // args are appended after "--port 0"; the server's standard error goes to logPath
    // (or nowhere when empty). True once the server printed its port (within 20 s).
    bool Start(const std::wstring& args, const std::wstring& logPath = std::wstring()) {
        Stop();
        wchar_t exe[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring folder(exe, n < MAX_PATH ? n : 0);
        folder = folder.substr(0, folder.find_last_of(L"\\/"));
        std::wstring command = L"\"" + folder + L"\\qxserviced.exe\" --port 0 " + args;

        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        QxKernelObject readOut, writeOut;
        if (!CreatePipe(readOut.Put(), writeOut.Put(), &inherit, 0)) return false;
        SetHandleInformation(readOut.Get(), HANDLE_FLAG_INHERIT, 0);
        QxFileHandle err(CreateFileW(logPath.empty() ? L"NUL" : logPath.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = writeOut.Get();
        si.hStdError = err.Get();
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, folder.c_str(),
                            &si, &pi))
            return false;
        QxKernelObject thread(pi.hThread);
        process_.Reset(pi.hProcess);
        processId_ = pi.dwProcessId;
        stdout_ = std::move(readOut);
        // The first line is "listening on ADDRESS:PORT".
        std::string line;
        ULONGLONG end = GetTickCount64() + 20000;
        while (GetTickCount64() < end && line.find('\n') == std::string::npos) {
            DWORD available = 0;
            if (!PeekNamedPipe(stdout_.Get(), nullptr, 0, nullptr, &available, nullptr)) break;
            if (available == 0) {
                Sleep(20);
                continue;
            }
            char ch;
            DWORD got = 0;
            if (!ReadFile(stdout_.Get(), &ch, 1, &got, nullptr) || got == 0) break;
            line.push_back(ch);
        }
        size_t colon = line.rfind(':');
        if (line.compare(0, 13, "listening on ") != 0 || colon == std::string::npos) {
            Stop();
            return false;
        }
        port_ = atoi(line.c_str() + colon + 1);
        return port_ > 0;
    }

    int Port() const { return port_; }
    unsigned long ProcessId() const { return processId_; }
    bool Running() const { return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }

    void Stop() {
        if (process_) {
            TerminateProcess(process_.Get(), 0);
            WaitForSingleObject(process_.Get(), 5000);
        }
        process_.Reset();
        stdout_.Reset();
        port_ = 0;
        processId_ = 0;
    }

private:
    QxKernelObject process_;
    QxKernelObject stdout_;
    int port_ = 0;
    unsigned long processId_ = 0;
};

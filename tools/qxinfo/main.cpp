// qxinfo: does from the command line what the development tool does with the library.
//   qxinfo [--workdir DIR] COMMAND [ARGS...]
// Without --workdir the working directory is the shipped demo folder.
#include "Commands.h"
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"
#include <cstdio>

namespace {
std::wstring g_workingDir;

std::vector<QxCommand>& Registry() {
    static std::vector<QxCommand> commands;
    return commands;
}

// The shipped demo folder: beside the build tree's bin folder (build/<arch>/bin), or
// below the current folder.
std::wstring DefaultWorkingDir() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring here(exe, n < MAX_PATH ? n : 0);
    here = here.substr(0, here.find_last_of(L"\\/") + 1);
    for (const std::wstring& candidate : {here + L"..\\..\\..\\demo", here + L"demo", std::wstring(L"demo")}) {
        wchar_t full[MAX_PATH];
        DWORD m = GetFullPathNameW(candidate.c_str(), MAX_PATH, full, nullptr);
        if (m > 0 && m < MAX_PATH && Qx_Dir::IsExist(full)) return full;
    }
    return L"demo";
}

// The library's message boxes would wait for a click that never comes at a console: they
// are written to standard error instead.
int PrintMessage(const wchar_t* text, unsigned /*type*/) {
    QxPrintError(std::wstring(L"message: ") + text);
    return IDOK;
}

int Usage() {
    QxPrintLine(L"usage: qxinfo [--workdir DIR] COMMAND [ARGS...]");
    QxPrintLine(L"commands:");
    for (const QxCommand& c : QxCommands()) QxPrintLine(std::wstring(L"  ") + c.usage);
    return 2;
}
}  // namespace

QxCommandRegistrar::QxCommandRegistrar(const QxCommand& command) { Registry().push_back(command); }

const std::vector<QxCommand>& QxCommands() { return Registry(); }

const std::wstring& QxHostWorkingDir() { return g_workingDir; }

void QxPrint(const std::wstring& text) {
    Qx_AString bytes(text.c_str(), static_cast<int>(text.size()), CP_UTF8);
    fwrite(bytes.GetSafeBuffer(), 1, static_cast<size_t>(bytes.GetLength()), stdout);
}

void QxPrintLine(const std::wstring& text) { QxPrint(text + L"\n"); }

void QxPrintError(const std::wstring& text) {
    fflush(stdout);
    Qx_AString bytes((L"qxinfo: " + text + L"\n").c_str(), -1, CP_UTF8);
    fwrite(bytes.GetSafeBuffer(), 1, static_cast<size_t>(bytes.GetLength()), stderr);
}

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    AfxSetMessageSink(PrintMessage);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    std::wstring workdir = DefaultWorkingDir();
    if (args.size() >= 2 && args[0] == L"--workdir") {
        workdir = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    // The library expects the folder without a trailing separator.
    while (workdir.size() > 1 && (workdir.back() == L'\\' || workdir.back() == L'/')) workdir.pop_back();
    g_workingDir = workdir;
    qx_SetWorkingDir(workdir.c_str());
    if (args.empty()) return Usage();
    for (const QxCommand& c : QxCommands())
        if (args[0] == c.name) {
            int rc = c.run(std::vector<std::wstring>(args.begin() + 1, args.end()));
            fflush(stdout);
            return rc;
        }
    QxPrintError(L"unknown command: " + args[0]);
    return Usage();
}

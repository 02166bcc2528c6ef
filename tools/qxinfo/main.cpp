// qxinfo: does from the command line what the development tool does with the library.
//   qxinfo [--workdir DIR] COMMAND [ARGS...]
// Without --workdir the working directory is the shipped demo folder. Like the tool, the
// program runs with its own folder current: the adaptor modules are found there (the
// component folder "."), and relative paths of a configuration lead from there.
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

// The folder that holds this program, with its trailing separator.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// The shipped demo folder, which the build tree and the install tree both keep beside
// bin/ as share/QxQVInfo320U/demo.
std::wstring DefaultWorkingDir(const std::wstring& programFolder) {
    return programFolder + L"..\\share\\QxQVInfo320U\\demo";
}

// The library's message boxes would wait for a click that never comes at a console: they
// are written to standard error instead.
int PrintMessage(const wchar_t* text, unsigned /*type*/) {
    QxPrintError(std::wstring(L"message: ") + text);
    return IDOK;
}

// The usage; exit code 0 when it was asked for, 2 after a mistake.
int Usage(int exitCode) {
    QxPrintLine(L"usage: qxinfo [--workdir DIR] COMMAND [ARGS...]");
    QxPrintLine(L"Without --workdir, the shipped demo folder is the working directory.");
    QxPrintLine(L"commands:");
    for (const QxCommand& c : QxCommands()) QxPrintLine(std::wstring(L"  ") + c.usage);
    return exitCode;
}

bool AsksForHelp(const std::wstring& arg) { return arg == L"--help" || arg == L"-h" || arg == L"help" || arg == L"/?"; }
}  // namespace

QxCommandRegistrar::QxCommandRegistrar(const QxCommand& command) { Registry().push_back(command); }

const std::vector<QxCommand>& QxCommands() { return Registry(); }

const std::wstring& QxHostWorkingDir() { return g_workingDir; }

std::wstring QxCurrentFolder() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(n, L'\0');
    n = GetCurrentDirectoryW(n, &folder[0]);
    folder.resize(n);
    return folder;
}

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

// The path made absolute against the current folder.
static std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
    full.resize(n);
    return full;
}

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    AfxSetMessageSink(PrintMessage);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    const std::wstring programFolder = ProgramFolder();
    std::wstring workdir = DefaultWorkingDir(programFolder);
    if (!args.empty() && args[0] == L"--workdir") {
        if (args.size() < 2) return Usage(2);
        workdir = FullPath(args[1]);  // given relative to the folder the user is in
        args.erase(args.begin(), args.begin() + 2);
    }
    if (!programFolder.empty()) SetCurrentDirectoryW(programFolder.c_str());
    // The library expects the folder without a trailing separator.
    while (workdir.size() > 1 && (workdir.back() == L'\\' || workdir.back() == L'/')) workdir.pop_back();
    g_workingDir = workdir;
    qx_SetWorkingDir(workdir.c_str());
    if (args.empty()) return Usage(2);
    if (AsksForHelp(args[0])) return Usage(0);
    for (const QxCommand& c : QxCommands())
        if (args[0] == c.name) {
            const std::vector<std::wstring> rest(args.begin() + 1, args.end());
            if (!rest.empty() && AsksForHelp(rest[0])) {
                QxPrintLine(std::wstring(L"usage: qxinfo ") + c.usage);
                return 0;
            }
            int rc = c.run(rest);
            fflush(stdout);
            // A command answers 2 when its arguments are wrong: show how it is called.
            if (rc == 2) QxPrintLine(std::wstring(L"usage: qxinfo ") + c.usage);
            return rc;
        }
    QxPrintError(L"unknown command: " + args[0]);
    return Usage(2);
}

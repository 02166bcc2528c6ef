#pragma once
#include <string>
#include <vector>

// One command of the host: its name, a one-line usage and what runs it. A command answers
// the process exit code (0: success).
struct QxCommand {
    const wchar_t* name;
    const wchar_t* usage;
    int (*run)(const std::vector<std::wstring>& args);
};

// Registers a command at start-up; every cmd_*.cpp file registers its own, so commands are
// added without touching a shared table.
struct QxCommandRegistrar {
    explicit QxCommandRegistrar(const QxCommand& command);
};

const std::vector<QxCommand>& qx_Commands();

// The working directory the host handed to the library.
const std::wstring& qx_HostWorkingDir();

// Writes wide text to standard output as UTF-8.
void qx_Print(const std::wstring& text);
void qx_PrintLine(const std::wstring& text = std::wstring());
void qx_PrintError(const std::wstring& text);

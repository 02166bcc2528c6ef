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

const std::vector<QxCommand>& QxCommands();

// The working directory the host handed to the library.
const std::wstring& QxHostWorkingDir();

// The current folder, from which relative paths of the configuration lead.
std::wstring QxCurrentFolder();

// Writes wide text to standard output as UTF-8.
void QxPrint(const std::wstring& text);
void QxPrintLine(const std::wstring& text = std::wstring());
void QxPrintError(const std::wstring& text);

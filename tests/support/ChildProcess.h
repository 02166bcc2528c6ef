#pragma once
// Runs a program of the test's own folder as a child process and collects what it prints.
#include <string>

struct QxChildResult {
    bool started = false;
    bool finished = false;  // false: it was still running at the time-out and was stopped
    unsigned long exitCode = 0;
    std::string output;  // standard output and standard error, in the order written
};

// Runs "<this program's folder>\<program>" with the arguments, in currentFolder (empty:
// the test's own), and waits at most timeoutMs for it to end.
QxChildResult QxRunChild(const std::wstring& program, const std::wstring& arguments, const std::wstring& currentFolder,
                         unsigned long timeoutMs = 60000);

// This program's folder, without a trailing separator.
std::wstring QxTestProgramFolder();

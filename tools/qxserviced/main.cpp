// qxserviced: the service server.
//   qxserviced [--address A] [--port N] [--services DIR] [--connection ODBC-STRING]
//              [--user U] [--password P] [--adaptor-dir DIR] [--db-module NAME]
//              [--read-timeout SECONDS] [--send-timeout SECONDS] [--max-frame BYTES]
//              [--budget BYTES] [--max-connections N] [--workers N] [--thread-idle SECONDS]
//              [--db-login-timeout SECONDS] [--db-query-timeout SECONDS] [--db-max-rows N]
//              [--db-max-bytes BYTES] [--db-max-row-runs N] [--db-pool-seconds N]
// Prints "listening on ADDRESS:PORT" on standard output once it accepts clients (port 0
// picks a free port), logs one line per request on standard error, and stops on Ctrl+C
// within 2 seconds, whatever its clients do.
#include "Server.h"
#include "platform/QxWin.h"
#include <cstdio>
#include <cwchar>
#include <utility>
#include <vector>

namespace {

Server* g_server = nullptr;

BOOL WINAPI OnConsoleControl(DWORD) {
    // Ctrl+C, Ctrl+Break, closing the console: stop accepting, let clients finish.
    if (g_server) g_server->Stop();
    return TRUE;
}

void PrintError(const std::wstring& text) {
    Qx_AString bytes((L"qxserviced: " + text + L"\n").c_str(), -1, CP_UTF8);
    fwrite(bytes.GetSafeBuffer(), 1, static_cast<size_t>(bytes.GetLength()), stderr);
    fflush(stderr);  // the server's log makes the stream buffered
}

int Usage() {
    PrintError(
        L"usage: qxserviced [--address A] [--port N] [--services DIR] [--connection ODBC-STRING]\n"
        L"                  [--user U] [--password P] [--adaptor-dir DIR] [--db-module NAME]\n"
        L"                  [--read-timeout SECONDS] [--send-timeout SECONDS] [--max-frame BYTES]\n"
        L"                  [--budget BYTES] [--max-connections N] [--workers N] [--thread-idle SECONDS]\n"
        L"                  [--db-login-timeout SECONDS] [--db-query-timeout SECONDS] [--db-max-rows N]\n"
        L"                  [--db-max-bytes BYTES] [--db-max-row-runs N] [--db-pool-seconds N]");
    return 2;
}

bool ParseNumber(const std::wstring& text, long long low, long long high, long long& out) {
    wchar_t* end = nullptr;
    out = wcstoll(text.c_str(), &end, 10);
    return !text.empty() && end && *end == L'\0' && out >= low && out <= high;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    std::wstring out = n > 0 && n < MAX_PATH ? std::wstring(full, n) : path;
    while (out.size() > 3 && (out.back() == L'\\' || out.back() == L'/')) out.pop_back();
    return out;
}

std::wstring ExeFolder() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n < MAX_PATH ? n : 0);
    return path.substr(0, path.find_last_of(L"\\/"));
}

// The options whose value is taken as it stands.
constexpr std::pair<const wchar_t*, std::wstring ServerConfig::*> kTextOptions[] = {
    {L"--address", &ServerConfig::address},       {L"--services", &ServerConfig::services},
    {L"--connection", &ServerConfig::connection}, {L"--user", &ServerConfig::user},
    {L"--password", &ServerConfig::password},     {L"--adaptor-dir", &ServerConfig::adaptorDir},
    {L"--db-module", &ServerConfig::dbModule},
};

bool TakeTextOption(const std::wstring& option, const std::wstring& value, ServerConfig& config) {
    for (const auto& [name, field] : kTextOptions) {
        if (option != name) continue;
        config.*field = value;
        return true;
    }
    return false;
}

// False (after a message) on an unknown option or a bad value.
bool ParseOptions(const std::vector<std::wstring>& args, ServerConfig& config) {
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::wstring& option = args[i];
        if (i + 1 >= args.size()) {
            PrintError(L"missing value for " + option);
            return false;
        }
        const std::wstring& value = args[i + 1];
        long long number = 0;
        if (TakeTextOption(option, value, config)) continue;
        if (option == L"--port" && ParseNumber(value, 0, 65535, number))
            config.port = static_cast<int>(number);
        else if (option == L"--read-timeout" && ParseNumber(value, 1, 86400, number))
            config.readTimeoutSeconds = static_cast<int>(number);
        else if (option == L"--send-timeout" && ParseNumber(value, 1, 86400, number))
            config.sendTimeoutSeconds = static_cast<int>(number);
        else if (option == L"--max-frame" && ParseNumber(value, 1024, 0x7fffffff, number))
            config.maxFrame = static_cast<uint32_t>(number);
        else if (option == L"--budget" && ParseNumber(value, 1024, 1ll << 40, number))
            config.budget = static_cast<uint64_t>(number);
        else if (option == L"--workers" && ParseNumber(value, 1, 1024, number))
            config.maxWorkers = static_cast<int>(number);
        else if (option == L"--max-connections" && ParseNumber(value, 1, 100000, number))
            config.maxConnections = static_cast<int>(number);
        else if (option == L"--thread-idle" && ParseNumber(value, 1, 86400, number))
            config.threadIdleSeconds = static_cast<int>(number);
        else if (option == L"--db-login-timeout" && ParseNumber(value, 1, 86400, number))
            config.dbLoginTimeout = number;
        else if (option == L"--db-query-timeout" && ParseNumber(value, 1, 86400, number))
            config.dbQueryTimeout = number;
        else if (option == L"--db-max-rows" && ParseNumber(value, 1, 1ll << 40, number))
            config.dbMaxRows = number;
        else if (option == L"--db-max-bytes" && ParseNumber(value, 1, 1ll << 40, number))
            config.dbMaxBytes = number;
        else if (option == L"--db-max-row-runs" && ParseNumber(value, 1, 1ll << 40, number))
            config.dbMaxRowRuns = number;
        else if (option == L"--db-pool-seconds" && ParseNumber(value, 0, 86400, number))
            config.dbPoolSeconds = number;
        else {
            std::wstring error = L"unknown option or bad value: ";
            error.append(option).append(L" ").append(value);
            PrintError(error);
            return false;
        }
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ServerConfig config;
    std::vector<std::wstring> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == L"--help" || args[0] == L"-h")) return Usage();
    if (!ParseOptions(args, config)) return Usage();
    config.services = FullPath(config.services);
    config.adaptorDir = config.adaptorDir.empty() ? ExeFolder() : FullPath(config.adaptorDir);
    if (!Qx_Dir::IsExist(config.services.c_str())) {
        PrintError(L"no such service folder: " + config.services);
        return 1;
    }

    Server server(config);
    const QxStatus listening = server.Listen();
    if (!listening.ok()) {
        PrintError(listening.reason());
        return 1;
    }
    g_server = &server;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    // Scripts and tests read the port from this line.
    printf("listening on %ls:%d\n", config.address.c_str(), server.Port());
    fflush(stdout);
    server.Log(Qx_WString((L"serving " + config.services).c_str()));
    const bool finished = server.Run();
    if (!finished) {
        // Requests still running (a slow statement, say) are not waited for: their threads
        // use the server, so the process ends here rather than destroying it under them.
        server.Log(Qx_WString(L"stopped; requests still running were abandoned"));
        server.FlushLog();
        ExitProcess(0);
    }
    server.Log(Qx_WString(L"stopped"));
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    g_server = nullptr;
    return 0;
}

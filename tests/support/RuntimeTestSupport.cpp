#include "support/RuntimeTestSupport.h"
#include "platform/QxWin.h"
#include <filesystem>
#include <fstream>
#include <sstream>

std::wstring QxTestBinDir() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n < MAX_PATH ? n : 0);
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring QxTestSourceDir() {
    wchar_t value[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"QX_SOURCE_DIR", value, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring dir(value, n);
    for (wchar_t& ch : dir)
        if (ch == L'/') ch = L'\\';
    while (!dir.empty() && dir.back() == L'\\') dir.pop_back();
    return dir;
}

std::wstring QxTestDriverPath(const std::wstring& windowsPath) {
    typedef char*(CDECL * UnixName)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return windowsPath;
    char* name = unixName(windowsPath.c_str());
    if (!name) return windowsPath;
    Qx_WString text;
    text.Set(name, -1, CP_UTF8);
    HeapFree(GetProcessHeap(), 0, name);
    return text.str();
}

std::wstring QxTestSqliteConnection(const std::wstring& windowsPath) {
    return L"Driver=SQLite3;Database=" + QxTestDriverPath(windowsPath) + L";";
}

namespace {

// Opens the ODBC adaptor of the bin folder on a provider; empty on success.
std::wstring OpenDb(Qx_Provider& provider, const std::wstring& connection, QxDbAdaptor*& db) {
    Qx_AdapterComWrapper* wrapper = nullptr;
    if (provider.CreateFrameService(QxTestBinDir().c_str(), L"QxOdbcAdaptor320U", L"", L"", 1, L"", wrapper, 1) != 0)
        return provider.GetLastErrorText().str();
    db = wrapper->GetDbAdaptor();
    if (!db) return L"not a database adaptor";
    Qx_WString error;
    if (db->Connect(connection.c_str(), L"", L"", error) != 0) return error.str();
    return std::wstring();
}

}  // namespace

std::wstring QxTestRunSqlScript(const std::wstring& connection, const std::string& script) {
    Qx_Provider provider;
    QxDbAdaptor* db = nullptr;
    std::wstring failure = OpenDb(provider, connection, db);
    if (!failure.empty()) return failure;
    std::istringstream lines(script);
    std::string line, statement;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, 2, "--") == 0) continue;
        statement += line + "\n";
        if (line.back() != ';') continue;
        Qx_WString sql;
        sql.Set(statement.c_str(), -1, CP_UTF8);
        Qx_WString error;
        long affected = 0;
        if (db->Execute(sql.c_str(), {}, nullptr, affected, error) != 0) return error.str() + L" in: " + sql.str();
        statement.clear();
    }
    return std::wstring();
}

std::wstring QxTestMakeDemoDb(const std::wstring& windowsPath, std::wstring& connection) {
    connection = QxTestSqliteConnection(windowsPath);
    std::ifstream file(std::filesystem::path(QxTestSourceDir() + L"\\demo\\demo.sql"), std::ios::binary);
    if (!file) return L"demo\\demo.sql not found (QX_SOURCE_DIR)";
    std::stringstream all;
    all << file.rdbuf();
    return QxTestRunSqlScript(connection, all.str());
}

std::wstring QxTestQueryText(const std::wstring& connection, const wchar_t* sql) {
    Qx_Provider provider;
    QxDbAdaptor* db = nullptr;
    std::wstring failure = OpenDb(provider, connection, db);
    if (!failure.empty()) return L"error: " + failure;
    Qx_Dataset result(L"r");
    long affected = 0;
    Qx_WString error;
    if (db->Execute(sql, {}, &result, affected, error) != 0) return L"error: " + error.str();
    const Qx_Variant* v = result.GetColumn(0, nullptr, 0);
    return v ? v->ToString().str() : std::wstring();
}

// Service access figures, in one run:
//  1. qx_GetXMLSource on a generated 50 MB source with the service block in its middle,
//     against one bare scan of the same text for line feeds;
//  2. qx_GetSvcList for a server with 10,000 services: cold (the server's first listing)
//     and warm, against a bare listing of the same folder and the runtime's bare round
//     trip of the same request (SendReq on a loaded adaptor); the cold one against a bare
//     read of every source.
#include "QxQVInfo320U.h"
#include "platform/QxHandle.h"
#include "platform/QxWin.h"
#include "tests/support/QxServerProcess.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

template <class F>
double Median(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        f();
        times.push_back(Seconds(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void CutFiftyMegabytes() {
    std::wstring line = L"    int value = compute(alpha, beta, gamma); // a line of ordinary code\r\n";
    std::wstring source;
    const size_t target = 50u * 1000 * 1000 / sizeof(wchar_t);  // 50 MB of text in memory
    source.reserve(target + 4096);
    while (source.size() < target / 2) source += line;
    source +=
        L"/**__SERVICE XML BEGIN__\n<service name=\"big\">\n  <statement><![CDATA[SELECT 1]]></statement>\n"
        L"//____ORG_SOURCE_BEGIN____\n//____ORG_SOURCE_END____\n</service>\n__SERVICE XML END__**/\n";
    while (source.size() < target) source += line;
    Qx_WString text(source);
    Qx_WString out;
    size_t feeds = 0;
    double bare = Median(5, [&] {
        feeds = 0;
        for (const wchar_t* p = text.c_str(); (p = wcschr(p, L'\n')) != nullptr; ++p) ++feeds;
    });
    double cut = Median(5, [&] { qx_GetXMLSource(text, out); });
    printf("qx_GetXMLSource, %.0f MB, %zu lines:  %7.1f ms   bare line-feed scan %6.1f ms   %.2fx (target 3x)\n",
           text.GetLength() * 2 / 1e6, feeds, cut * 1e3, bare * 1e3, cut / bare);
}

void ListTenThousand() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"qxbench-services";
    std::filesystem::remove_all(std::filesystem::path(folder));
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string body = "/**__SERVICE XML BEGIN__\n<service name=\"s\"/>\n__SERVICE XML END__**/\n";
    for (int i = 0; i < 10000; ++i) {
        FILE* f = _wfopen((folder + L"\\svc_" + std::to_wstring(i) + L".cpp").c_str(), L"wb");
        fwrite(body.data(), 1, body.size(), f);
        fclose(f);
    }
    QxServerProcess server;
    if (!server.Start(L"--services \"" + folder + L"\"")) {
        printf("qx_GetSvcList: the server did not start\n");
        return;
    }
    std::wstring work = folder + L"-work";
    CreateDirectoryW(work.c_str(), nullptr);
    FILE* f = _wfopen((work + L"\\qrx_adaptor.xml").c_str(), L"wb");
    fputs(
        "<adaptors><a adaptor=\"TCP\" moudle=\"QxTcpAdaptor320U\" id=\"TCP\" type=\"COM\" name=\"TCP\" "
        "ver=\"1\"/></adaptors>",
        f);
    fclose(f);
    qx_SetWorkingDir(work.c_str());
    SERVER_INFO record;
    record.name = L"bench";
    record.grpname = L"bench";
    record.ip = L"127.0.0.1";
    record.port = std::to_wstring(server.Port()).c_str();
    record.adaptor = L"TCP";
    record.remote = 1;

    // Cold: the server's first listing reads every source for its class name.
    int listed = 0;
    auto list = [&](int runs) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            Qx_PtrList services;
            auto start = Clock::now();
            qx_GetSvcList(&record, services, true);
            times.push_back(Seconds(start));
            listed = services.Count();
            qx_ClearSvcList(services);
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    double cold = list(1);
    double warm = list(7);
    Qx_EnvProvider env;
    Qx_Provider provider(&env);
    provider.SetRequestEnv(L"bench", L"dbm_svc_get_svclist");
    Qx_AdapterComWrapper* wrapper = nullptr;
    qx_LoadAdapter(&record, wrapper, &provider);
    double bare = Median(5, [&] {
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        if (wrapper) wrapper->SendReq(vars, datasets, L"127.0.0.1", server.Port(), 10, 1, 0);
    });
    // What a warm listing stands on: one listing of the folder, sizes and times included,
    // read the way the server reads it (large reads of the directory), and, for comparison,
    // through FindFirstFile.
    size_t entries = 0;
    std::vector<LONGLONG> buffer(256 * 1024 / sizeof(LONGLONG));
    double listing = Median(5, [&] {
        entries = 0;
        QxFileHandle directory(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        for (FILE_INFO_BY_HANDLE_CLASS kind = FileFullDirectoryRestartInfo;
             GetFileInformationByHandleEx(directory.Get(), kind, buffer.data(), 256 * 1024);
             kind = FileFullDirectoryInfo) {
            const char* at = reinterpret_cast<const char*>(buffer.data());
            for (const FILE_FULL_DIR_INFO* info;; at += info->NextEntryOffset) {
                info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(at);
                ++entries;
                if (info->NextEntryOffset == 0) break;
            }
        }
    });
    double finding = Median(5, [&] {
        WIN32_FIND_DATAW found;
        QxFind find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
        if (!find) return;
        while (FindNextFileW(find.Get(), &found)) {}
    });
    printf(
        "qx_GetSvcList, %d services, warm:    %7.1f ms   bare directory listing (%zu entries) %6.1f ms   %.2fx (target "
        "50 ms)\n",
        listed, warm * 1e3, entries, listing * 1e3, warm / listing);
    printf("                                              (the same folder through FindFirstFile: %6.1f ms)\n",
           finding * 1e3);
    printf("qx_GetSvcList, %d services, warm:    %7.1f ms   bare SendReq round trip %6.1f ms   %.2fx\n", listed,
           warm * 1e3, bare * 1e3, warm / bare);
    // What a cold listing stands on: every source opened and read once.
    std::vector<char> bytes(4096);
    auto readAll = Clock::now();
    for (int i = 0; i < 10000; ++i) {
        QxFileHandle file(CreateFileW((folder + L"\\svc_" + std::to_wstring(i) + L".cpp").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        DWORD got = 0;
        if (file) ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    }
    const double reading = Seconds(readAll);
    printf("qx_GetSvcList, %d services, cold:    %7.1f ms   bare open and read of every source %6.1f ms   %.2fx\n",
           listed, cold * 1e3, reading * 1e3, cold / reading);
    server.Stop();
    std::filesystem::remove_all(std::filesystem::path(folder));
    std::filesystem::remove_all(std::filesystem::path(work));
}
}  // namespace

int main() {
    CutFiftyMegabytes();
    ListTenThousand();
    return 0;
}

// Figures of the service runtime:
//  1. round trip of a small request through the TCP adaptor to a real qxserviced
//     (median and 99th percentile over 2,000 requests), for a source fetch and for a
//     service that runs a query through the worker and the ODBC adaptor;
//  2. receiving a 10,000-row, 5-column reply through SendReq (encode, send, receive,
//     decode into the caller's lists) against a bare exchange of the same bytes, the two
//     taking turns; the decoding alone; the heap bytes the decoded reply takes, and those
//     of a frame of null cells (the most per wire byte); the process's peak memory.
#include "QxQVInfo320U.h"
#include "runtime/internal/QxWireProtocol.h"
#include "runtime/internal/QxSocket.h"
#include "platform/QxWin.h"
#include <psapi.h>
#include "tests/support/LoopbackListener.h"
#include "tests/support/QxServerProcess.h"
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Percentile(std::vector<double> samples, double p) {
    std::sort(samples.begin(), samples.end());
    size_t at = static_cast<size_t>(p * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(at, samples.size() - 1)];
}

std::wstring BinDir() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n < MAX_PATH ? n : 0);
    return path.substr(0, path.find_last_of(L"\\/"));
}

// Under Wine the SQLite driver is a Linux program and needs a Linux path.
std::wstring DriverPath(const std::wstring& path) {
    typedef char*(CDECL * UnixName)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name) return path;
    Qx_WString text;
    text.Set(name, -1, CP_UTF8);
    HeapFree(GetProcessHeap(), 0, name);
    return text.str();
}

// A service folder and a small database of its own, removed at the end.
struct Workspace {
    std::wstring folder;
    std::wstring connection;
    bool ok = false;

    Workspace() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"qxbench_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        connection = L"Driver=SQLite3;Database=" + DriverPath(folder + L"\\bench.db") + L";";
        qx_PutTextFileSource(
            (folder + L"\\bench_city.cpp").c_str(),
            Qx_WString(
                L"/**__SERVICE XML BEGIN__\n"
                L"<service name='bench_city' class_name='CBenchCity'>\n"
                L"<input><variable name='city' type='string' required='1'/></input>\n"
                L"<output><dataset name='customers'/></output>\n"
                L"<statement dataset='customers'>SELECT id, name, city FROM customers WHERE city = :city</statement>\n"
                L"</service>\n__SERVICE XML END__**/\nclass CBenchCity {};\n"));
        Qx_Provider provider;
        Qx_AdapterComWrapper* wrapper = nullptr;
        if (provider.CreateFrameService(BinDir().c_str(), L"QxOdbcAdaptor320U", L"", L"", 1, L"", wrapper, 1) != 0)
            return;
        QxDbAdaptor* db = wrapper->GetDbAdaptor();
        Qx_WString error;
        long affected = 0;
        ok = db->Connect(connection.c_str(), L"", L"", error) == 0 &&
             db->Execute(L"CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT, city TEXT)", {}, nullptr,
                         affected, error) == 0 &&
             db->Execute(
                 L"INSERT INTO customers (name, city) VALUES ('Ada', 'Lyon'), ('Bruno', 'Lyon'), ('Chiara', 'Turin')",
                 {}, nullptr, affected, error) == 0;
        if (!ok) wprintf(L"bench: database setup failed: %ls\n", error.c_str());
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(folder), ignored);
    }
};

void RoundTrips(int port, const wchar_t* label, const wchar_t* service, bool cityInput, bool sourceInput) {
    // QX_BENCH_QUICK set: a short run, for trying the benchmark out.
    const int kRequests = GetEnvironmentVariableW(L"QX_BENCH_QUICK", nullptr, 0) ? 50 : 2000;
    Qx_EnvProvider env;
    Qx_Provider provider(&env);
    provider.SetRequestEnv(L"bench", service);
    Qx_AdapterComWrapper* wrapper = nullptr;
    if (provider.CreateFrameService(BinDir().c_str(), L"QxTcpAdaptor320U", L"", L"", 1, L"", wrapper, 1) != 0) {
        wprintf(L"bench: %ls\n", provider.GetLastErrorText().c_str());
        return;
    }
    std::vector<double> samples;
    int failures = 0;
    for (int i = 0; i < kRequests; ++i) {
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        if (cityInput) vars.AddStr(L"city", L"Lyon");
        if (sourceInput) {
            Qx_Dataset input(L"input");
            input.AddColumn(L"name", QX_VT_STRING, 80, 1);
            input.SetColumn(input.AppendRow(), L"name", L"bench_city");
            datasets.AddDataset(L"input", input);
        }
        double start = NowMs();
        if (wrapper->SendReq(vars, datasets, L"127.0.0.1", port, 10, 1, 0) != 0) ++failures;
        samples.push_back(NowMs() - start);
    }
    wprintf(L"%-44ls median %7.3f ms   p99 %7.3f ms   (%d requests, %d failed)\n", label, Percentile(samples, 0.5),
            Percentile(samples, 0.99), kRequests, failures);
}

// Serves one prebuilt frame to every connection, after reading its request frame, and keeps
// the last request.
class CannedServer {
public:
    explicit CannedServer(const std::string& payload) : payload_(payload), listener_(8) {
        if (!listener_.Port()) wprintf(L"bench: no loopback port to listen on\n");
        thread_ = std::thread([this] { Loop(); });
    }
    ~CannedServer() {
        stop_ = true;
        thread_.join();
    }
    int Port() const { return listener_.Port(); }
    std::string LastRequest() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastRequest_;
    }

private:
    void Loop() {
        while (!stop_) {
            // Closing a socket does not wake an accept blocked on it everywhere: poll instead.
            WSAPOLLFD fd = {};
            fd.fd = listener_.Get();
            fd.events = POLLRDNORM;
            if (WSAPoll(&fd, 1, 100) <= 0) continue;
            QxSocket client(accept(listener_.Get(), nullptr, nullptr));
            if (!client) continue;
            BOOL noDelay = TRUE;
            setsockopt(client.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
            {
                std::string frame;
                // Non-blocking, as QxRecvFrame wants it.
                if (!QxSetNonBlocking(client.Get()).ok()) continue;
                if (!QxRecvFrame(client.Get(), QxWireCodec::kDefaultMaxFrame, QxDeadline(10000), frame).ok()) continue;
                std::lock_guard<std::mutex> lock(mutex_);
                lastRequest_ = frame;
            }
            u_long blocking = 0;
            ioctlsocket(client.Get(), FIONBIO, &blocking);
            // A client that went away meanwhile costs only its own exchange.
            static_cast<void>(QxSendAll(client.Get(), payload_.data(), payload_.size(), QxDeadline(10000)));
            shutdown(client.Get(), SD_SEND);
            char sink[64];
            while (recv(client.Get(), sink, sizeof sink, 0) > 0) {}
        }
    }

    std::string payload_;
    mutable std::mutex mutex_;
    std::string lastRequest_;
    QxLoopbackListener listener_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

Qx_Dataset LargeDataset(int rows) {
    Qx_Dataset ds(L"output");
    ds.AddColumn(L"id", QX_VT_INT, 4, 0);
    ds.AddColumn(L"name", QX_VT_STRING, 40, 0);
    ds.AddColumn(L"city", QX_VT_STRING, 40, 0);
    ds.AddColumn(L"amount", QX_VT_DOUBLE, 8, 0);
    ds.AddColumn(L"stamp", QX_VT_INT64, 8, 0);
    for (int r = 0; r < rows; ++r) {
        int row = ds.AppendRow();
        Qx_Variant v;
        v.SetInt(r);
        ds.SetColumn(row, nullptr, v, 0);
        ds.SetColumn(row, nullptr, (L"Customer number " + std::to_wstring(r)).c_str(), -1, 1);
        ds.SetColumn(row, nullptr, r % 2 ? L"Lyon" : L"Turin", -1, 2);
        v.SetDouble(r * 1.25);
        ds.SetColumn(row, nullptr, v, 3);
        v.SetInt64(1700000000000LL + r);
        ds.SetColumn(row, nullptr, v, 4);
    }
    return ds;
}

// One dataset of one column of null cells: the most decoded memory per wire byte.
Qx_Dataset NullCells(int cells) {
    Qx_Dataset ds(L"output");
    ds.AddColumn(L"n", QX_VT_INT, 4, 0);
    for (int r = 0; r < cells; ++r) ds.AppendRow();
    return ds;
}

std::string EncodedReply(const Qx_Dataset& ds) {
    Qx_DatasetList datasets;
    datasets.Add(ds);
    std::string frame;
    QxWireCodec::EncodeReply(0, Qx_WStrList(), Qx_VariableList(1), datasets, frame);
    return frame;
}

// Bytes in use on every heap of the process (busy entries).
size_t HeapBytesInUse() {
    HANDLE heaps[256];
    DWORD count = GetProcessHeaps(256, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 256; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

struct DecodedReply {
    long code = 0;
    Qx_WStrList messages;
    Qx_VariableList vars{1};
    Qx_DatasetList datasets;
    QxWireCodec::DecodeCost cost;
    // A frame that does not decode is said: its figures would mean nothing.
    void Decode(const std::string& frame) {
        const QxStatus status = QxWireCodec::DecodeReply(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame,
                                                         code, messages, vars, datasets, &cost);
        if (!status.ok()) wprintf(L"bench: the reply does not decode: %ls\n", status.reason().c_str());
    }
};

// What decoding the frame adds to the heaps, measured with the decoded reply still held.
size_t DecodedBytes(const std::string& frame, size_t& counted) {
    const size_t before = HeapBytesInUse();
    DecodedReply decoded;
    decoded.Decode(frame);
    counted = decoded.cost.spent;
    return HeapBytesInUse() - before;
}

// Connects, sends the request and reads the reply with plain blocking calls into a buffer
// of its final size: the same bytes both ways over the same server, as plainly as Winsock
// allows.
double BareExchange(int port, const std::string& request, std::vector<char>& buffer) {
    double start = NowMs();
    QxSocket s;
    if (!QxConnectTcp(L"127.0.0.1", port, QxDeadline(10000), s).ok()) return NowMs() - start;
    u_long blocking = 0;
    ioctlsocket(s.Get(), FIONBIO, &blocking);
    for (size_t sent = 0; sent < request.size();) {
        int n = send(s.Get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    size_t got = 0;
    while (got < buffer.size()) {
        int n = recv(s.Get(), buffer.data() + got, static_cast<int>(buffer.size() - got), 0);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return NowMs() - start;
}

double MegaBytes(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

void LargeReply() {
    const int kRows = 10000, kRuns = 60, kNulls = 100000;
    const std::string reply = EncodedReply(LargeDataset(kRows)), nulls = EncodedReply(NullCells(kNulls));
    size_t counted = 0, countedNulls = 0;
    const size_t decoded = DecodedBytes(reply, counted), decodedNulls = DecodedBytes(nulls, countedNulls);
    std::vector<double> protocol, bare, decodeOnly;
    for (int i = 0; i < 10; ++i) {
        DecodedReply out;
        double start = NowMs();
        out.Decode(reply);
        decodeOnly.push_back(NowMs() - start);
    }
    CannedServer server(reply);
    Qx_Provider provider;
    provider.SetEnvStr(L"GROUP_NAME", L"bench");
    provider.SetEnvStr(L"SERVICE_NAME", L"bench_large");
    Qx_AdapterComWrapper* wrapper = nullptr;
    if (provider.CreateFrameService(BinDir().c_str(), L"QxTcpAdaptor320U", L"", L"", 1, L"", wrapper, 1) != 0) return;
    std::vector<char> buffer(reply.size());
    // The two exchanges take turns, so that whatever else the machine does falls on both.
    for (int i = 0; i < kRuns; ++i) {
        Qx_VariableList vars(1);
        Qx_DatasetList out;
        double start = NowMs();
        long rc = wrapper->SendReq(vars, out, L"127.0.0.1", server.Port(), 10, 1, 0);
        protocol.push_back(NowMs() - start);
        if (rc != 0 || out.Count() != 1 || out.GetItemNN(0)->GetRowCount() != kRows) {
            wprintf(L"bench: large reply failed: %ls\n", wrapper->GetLastErrorText().c_str());
            return;
        }
        bare.push_back(BareExchange(server.Port(), server.LastRequest(), buffer));
    }
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);

    const double p = Percentile(protocol, 0.5), b = Percentile(bare, 0.5);
    const double frame = static_cast<double>(reply.size()), nullFrame = static_cast<double>(nulls.size());
    wprintf(L"10,000 x 5 reply (%lu bytes) through SendReq  median %7.3f ms\n",
            static_cast<unsigned long>(reply.size()), p);
    wprintf(L"bare TCP exchange of the same bytes          median %7.3f ms\n", b);
    wprintf(L"ratio                                        %7.2f x (target: within 2 x)\n", p / b);
    wprintf(L"  of which decoding alone                   median %7.3f ms\n", Percentile(decodeOnly, 0.5));
    wprintf(
        L"  decoded memory %lu bytes on the heaps, %.2f x the frame's bytes (target: within 4 x); the decoder counted "
        L"%.2f x\n",
        static_cast<unsigned long>(decoded), decoded / frame, counted / frame);
    wprintf(
        L"  worst case: %d null cells (%lu bytes) decode to %lu bytes, %.2f per wire byte (counted %.2f, bound %u)\n",
        kNulls, static_cast<unsigned long>(nulls.size()), static_cast<unsigned long>(decodedNulls),
        decodedNulls / nullFrame, countedNulls / nullFrame, static_cast<unsigned>(QxWireCodec::kDecodeFactor));
    wprintf(L"  peak memory of the process: working set %.1f MB, private bytes %.1f MB\n",
            MegaBytes(memory.PeakWorkingSetSize), MegaBytes(memory.PeakPagefileUsage));
}

}  // namespace

int main() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    Workspace workspace;
    if (workspace.ok) {
        QxServerProcess server;
        std::wstring args = L"--services \"" + workspace.folder + L"\" --connection \"" + workspace.connection + L"\"";
        if (server.Start(args)) {
            RoundTrips(server.Port(), L"small request: dbm_svc_load_svc", L"dbm_svc_load_svc", false, true);
            RoundTrips(server.Port(), L"small request: query through worker + ODBC", L"bench_city", true, false);
        } else {
            wprintf(L"bench: qxserviced did not start\n");
        }
    }
    LargeReply();
    return 0;
}

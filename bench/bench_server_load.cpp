// Load and abuse of the service server: starts qxserviced on loopback with the demo's
// sources and a SQLite copy of the demo database, then runs each scenario, bounded in count
// and time, and after each one checks that the server still answers a client and reports
// its working set and its threads.
//
//   bench_server_load [--seconds N] [--clients N] [--connections N] [--mutations N] [--seed N]
//                     [--only NAME] [--server-log PATH]
//
// Scenarios: requests (1 client, then --clients concurrent clients of a real request;
// throughput, p50, p99), headers (connections that send only a header announcing the
// largest frame), idle (connections that send nothing, then the threads after them),
// nonreaders (clients that ask for a 16 MB reply and never read), mutations (random
// mutations of valid requests), drips (requests sent a byte at a time), counts (frames with
// huge counts, and a frame of null cells), client (the library as a client of a server that
// stalls after a header, sends a reply of null cells, or sends 100,000 messages), stop
// (Ctrl+C while clients hold the server). The server's log (its standard error) goes to
// --server-log, or to a temporary file that is removed at the end. Wine's debug channels
// are not in it: under Wine the server writes them to this program's own standard error.
#include "QxQVInfo320U.h"
#include "runtime/internal/QxSocket.h"
#include "runtime/internal/QxWireProtocol.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/QxServerProcess.h"
#include "tests/support/RuntimeTestSupport.h"
#include "tests/support/ServiceClient.h"
#include "LoadFigures.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = QxLoadClock;
double MsSince(Clock::time_point start) { return QxMsSince(start); }

struct Options {
    int seconds = 3;
    int clients = 32;
    int connections = 1000;
    int mutations = 100000;
    unsigned seed = 1;
    std::wstring only;
    std::wstring serverLog;
};

const wchar_t kUsage[] =
    L"usage: bench_server_load [--seconds N] [--clients N] [--connections N] [--mutations N] [--seed N]\n"
    L"                         [--only requests|headers|idle|nonreaders|mutations|drips|counts|client|stop]\n"
    L"                         [--server-log PATH]\n";

// Every option takes a value; an unknown option or a missing value is refused rather than
// silently running every scenario.
bool ParseOptions(int argc, wchar_t** argv, Options& o) {
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) return false;
        const std::wstring option = argv[i], value = argv[i + 1];
        if (option == L"--seconds")
            o.seconds = std::max(1, _wtoi(value.c_str()));
        else if (option == L"--clients")
            o.clients = std::max(1, _wtoi(value.c_str()));
        else if (option == L"--connections")
            o.connections = std::max(1, _wtoi(value.c_str()));
        else if (option == L"--mutations")
            o.mutations = std::max(1, _wtoi(value.c_str()));
        else if (option == L"--seed")
            o.seed = static_cast<unsigned>(_wtoi(value.c_str()));
        else if (option == L"--only")
            o.only = value;
        else if (option == L"--server-log")
            o.serverLog = value;
        else
            return false;
    }
    return true;
}

// The server under load, and how its state is read from outside.
class Target {
public:
    bool Start(const std::wstring& log, const std::wstring& extraArgs = std::wstring()) {
        std::wstring connection;
        std::wstring failure = QxTestMakeDemoDb(temp_.File(L"demo.db"), connection);
        if (!failure.empty()) {
            fwprintf(stderr, L"no demo database: %ls\n", failure.c_str());
            return false;
        }
        services_ = temp_.File(L"services");
        std::error_code ignored;
        std::filesystem::create_directory(std::filesystem::path(services_), ignored);
        for (const wchar_t* name : {L"demo_customers_by_city.cpp", L"demo_add_customers.cpp", L"demo_fail.cpp"})
            std::filesystem::copy_file(std::filesystem::path(QxTestSourceDir() + L"\\demo\\server\\" + name),
                                       std::filesystem::path(services_ + L"\\" + name), ignored);
        temp_.Write(L"services\\big_source.cpp", std::string(16u << 20, 'x'));
        const std::wstring args = L"--services \"" + services_ + L"\" --connection \"" + connection +
                                  L"\" --read-timeout 2 --send-timeout 2 --thread-idle 2 " + extraArgs;
        return server_.Start(args, log.empty() ? temp_.File(L"server.log") : log);
    }
    int Port() const { return server_.Port(); }
    bool Running() const { return server_.Running(); }
    unsigned long Pid() const { return server_.ProcessId(); }
    const std::wstring& ServicesFolder() const { return services_; }
    QxServerProcess& Process() { return server_; }

    // A real request by another client; its time in ms, or -1 when it failed.
    double Probe() const {
        Qx_VariableList vars(1);
        vars.AddStr(L"city", L"Lyon");
        Qx_DatasetList datasets;
        auto start = Clock::now();
        return QxTestSend(Port(), L"demo_customers_by_city", vars, datasets, nullptr, 10) == 0 ? MsSince(start) : -1;
    }
    void Report(const char* after) const {
        double probe = Probe();
        wprintf(L"  after %hs: server %ls, working set %.1f MiB, %d threads; another client %ls", after,
                Running() ? L"running" : L"GONE", QxTestWorkingSet(Pid()) / 1048576.0, QxTestThreadCount(Pid()),
                probe >= 0 ? L"served in " : L"NOT served");
        if (probe >= 0) wprintf(L"%.1f ms", probe);
        wprintf(L"\n");
        fflush(stdout);
    }
    size_t WorkingSet() const { return QxTestWorkingSet(Pid()); }
    int Threads() const { return QxTestThreadCount(Pid()); }

private:
    QxTestTempFolder temp_;
    std::wstring services_;
    QxServerProcess server_;
};

// Real requests from clients that each keep one adaptor loaded, as a host does.
void Requests(Target& target, int clients, int seconds) {
    std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
    std::atomic<int> failures{0};
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            Qx_EnvProvider env;
            Qx_Provider provider(&env);
            provider.SetRequestEnv(L"demo", L"demo_customers_by_city");
            Qx_AdapterComWrapper* wrapper = nullptr;
            if (provider.CreateFrameService(QxTestBinDir().c_str(), L"QxTcpAdaptor320U", L"", L"", 1, L"", wrapper,
                                            1) != 0) {
                ++failures;
                return;
            }
            while (Clock::now() < end) {
                Qx_VariableList vars(1);
                vars.AddStr(L"city", c % 2 ? L"Lyon" : L"Riga");
                Qx_DatasetList datasets;
                auto start = Clock::now();
                if (wrapper->SendReq(vars, datasets, L"127.0.0.1", target.Port(), 10, 1, 0) != 0)
                    ++failures;
                else
                    latencies[static_cast<size_t>(c)].push_back(MsSince(start));
            }
        });
    auto start = Clock::now();
    for (std::thread& t : threads) t.join();
    const double elapsed = MsSince(start) / 1000;
    std::vector<double> all;
    for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
    const size_t served = all.size();
    wprintf(L"requests, %d client%ls: %zu served, %d failed in %.1f s: %.0f requests/s, p50 %.2f ms, p99 %.2f ms\n",
            clients, clients == 1 ? L"" : L"s", served, failures.load(), elapsed, served / elapsed,
            QxPercentile(all, 0.50), QxPercentile(all, 0.99));
}

// Opens count connections, each sending what open() gives it first (nothing when empty).
std::vector<QxSocket> OpenMany(Target& target, int count, const std::string& first, int& refused) {
    std::vector<QxSocket> held;
    refused = 0;
    for (int i = 0; i < count; ++i) {
        QxSocket s = QxTestRawConnect(target.Port());
        if (!s) {
            ++refused;
            continue;
        }
        if (!first.empty() && !QxSendAll(s.Get(), first.data(), first.size(), QxDeadline(1000)).ok()) {
            ++refused;
            continue;
        }
        held.push_back(std::move(s));
    }
    return held;
}

// Connections past the server's cap are told so at once: count those that got a reply.
int CountRefusals(std::vector<QxSocket>& held) {
    int refusals = 0;
    for (QxSocket& s : held) {
        long code = 0;
        Qx_WString message;
        u_long waiting = 0;
        ioctlsocket(s.Get(), FIONREAD, &waiting);
        if (waiting > 0 && QxTestReadReply(s.Get(), 50, code, message) && code == QX_RT_E_BUSY) ++refusals;
    }
    return refusals;
}

void HeaderFlood(Target& target, int connections) {
    const size_t before = target.WorkingSet();
    int failed = 0;
    auto start = Clock::now();
    std::vector<QxSocket> held = OpenMany(target, connections, QxTestRequestHeader(4u << 20), failed);
    Sleep(500);
    const size_t during = target.WorkingSet();
    const int refusals = CountRefusals(held);
    wprintf(
        L"headers: %d connections each announcing 4 MiB in %.0f ms (%d refused with a reply, %d not connected): "
        L"server working set %+.1f MiB\n",
        connections, MsSince(start), refusals, failed, (static_cast<double>(during) - before) / 1048576.0);
    target.Report("the flood, connections still open");
    held.clear();
}

void IdleConnections(Target& target, int connections) {
    const int baseline = target.Threads();
    int failed = 0;
    std::vector<QxSocket> held = OpenMany(target, connections, std::string(), failed);
    Sleep(500);
    const int during = target.Threads();
    held.clear();
    auto start = Clock::now();
    int now = during;
    while (now > baseline + 2 && MsSince(start) < 15000) {
        Sleep(100);
        now = target.Threads();
    }
    wprintf(L"idle: %d connections: threads %d before, %d with them, %d again %.1f s after they closed\n", connections,
            baseline, during, now, MsSince(start) / 1000);
    target.Report("idle connections");
}

void NonReaders(Target& target, int clients) {
    const std::string request =
        QxTestRequestFrame(L"dbm_svc_load_svc", Qx_VariableList(1), QxTestInputName(L"big_source"));
    int failed = 0;
    auto start = Clock::now();
    std::vector<QxSocket> held = OpenMany(target, clients, request, failed);
    const double probe = target.Probe();
    // Each stays until the server gives up on it: its connection then ends.
    int dropped = 0;
    for (QxSocket& s : held) {
        const int left = 10000 - static_cast<int>(MsSince(start));
        // Taking the reply now would count as reading it: only a close is looked for.
        shutdown(s.Get(), SD_SEND);
        if (left > 0 && QxTestClosedByPeer(s.Get(), left)) ++dropped;
    }
    wprintf(
        L"nonreaders: %d clients asking for a 16 MB reply and never reading: %d dropped within %.1f s "
        L"(send time-out 2 s); another client meanwhile %ls\n",
        clients, dropped, MsSince(start) / 1000, probe >= 0 ? L"served" : L"NOT served");
    target.Report("the non-readers");
}

// Valid request frames to mutate.
std::vector<std::string> SampleRequests() {
    std::vector<std::string> frames;
    Qx_VariableList city(1);
    city.AddStr(L"city", L"Lyon");
    frames.push_back(QxTestRequestFrame(L"demo_customers_by_city", city));
    frames.push_back(QxTestRequestFrame(L"dbm_svc_get_svclist", Qx_VariableList(1)));
    frames.push_back(QxTestRequestFrame(L"dbm_svc_load_svc", Qx_VariableList(1), QxTestInputName(L"demo_fail")));
    return frames;
}

// One seeded mutation: flipped bytes, an insertion, a deletion, a duplicated span or a cut.
std::string Mutate(const std::string& frame, std::mt19937& random) {
    std::string out = frame;
    auto at = [&](size_t size) { return size ? std::uniform_int_distribution<size_t>(0, size - 1)(random) : 0; };
    switch (random() % 5) {
    case 0:
        for (int i = 0, n = 1 + static_cast<int>(random() % 4); i < n; ++i)
            out[at(out.size())] ^= static_cast<char>(1 + random() % 255);
        break;
    case 1: out.insert(at(out.size()), 1 + random() % 8, static_cast<char>(random())); break;
    case 2: out.erase(at(out.size()), 1 + random() % 8); break;
    case 3: {
        size_t from = at(out.size()), length = std::min<size_t>(out.size() - from, 1 + random() % 32);
        out.insert(at(out.size()), out.substr(from, length));
        break;
    }
    default: out.resize(at(out.size())); break;
    }
    return out;
}

void Mutations(Target& target, int count, unsigned seed, int seconds) {
    const std::vector<std::string> samples = SampleRequests();
    std::atomic<int> next{0}, replied{0}, closed{0};
    const auto end = Clock::now() + std::chrono::seconds(std::max({seconds * 10, 30, count / 200}));
    std::vector<std::thread> threads;
    auto start = Clock::now();
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            std::mt19937 random(seed * 8 + static_cast<unsigned>(t));
            for (int i = next++; i < count && Clock::now() < end; i = next++) {
                std::string frame = Mutate(samples[static_cast<size_t>(i) % samples.size()], random);
                QxSocket s = QxTestRawConnect(target.Port());
                if (!s) continue;
                // The server may close on a damaged frame before all of it is sent: its answer is
                // what is counted.
                static_cast<void>(QxSendAll(s.Get(), frame.data(), frame.size(), QxDeadline(1000)));
                shutdown(s.Get(), SD_SEND);  // a frame cut short is seen at once, not at the read time-out
                long code = 0;
                Qx_WString message;
                if (QxTestReadReply(s.Get(), 3000, code, message))
                    ++replied;
                else
                    ++closed;
            }
        });
    for (std::thread& t : threads) t.join();
    const int done = replied + closed;
    wprintf(
        L"mutations: %d mutated requests (seed %u) in %.1f s, %.0f per second: %d answered, %d dropped by the "
        L"server; server %ls\n",
        done, seed, MsSince(start) / 1000, done / (MsSince(start) / 1000), replied.load(), closed.load(),
        target.Running() ? L"still running (0 crashes)" : L"GONE (crashed)");
    target.Report("the mutations");
}

void Drips(Target& target, int clients) {
    Qx_VariableList city(1);
    city.AddStr(L"city", L"Lyon");
    const std::string frame = QxTestRequestFrame(L"demo_customers_by_city", city);
    std::atomic<int> completed{0}, dropped{0};
    std::vector<std::thread> threads;
    auto start = Clock::now();
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&] {
            QxSocket s = QxTestRawConnect(target.Port());
            if (!s) return;
            for (char byte : frame) {
                if (send(s.Get(), &byte, 1, 0) != 1) break;
                Sleep(50);
                if (MsSince(start) > 6000) break;
            }
            long code = 0;
            Qx_WString message;
            if (QxTestReadReply(s.Get(), 3000, code, message))
                ++completed;
            else
                ++dropped;
        });
    Sleep(500);
    const double probe = target.Probe();
    for (std::thread& t : threads) t.join();
    wprintf(
        L"drips: %d clients sending a %zu-byte request a byte every 50 ms: %d dropped at the read time-out, %d "
        L"completed; another client meanwhile %ls\n",
        clients, frame.size(), dropped.load(), completed.load(), probe >= 0 ? L"served" : L"NOT served");
    target.Report("the drips");
}

// The highest working set of a process while the object lives, sampled every 10 ms: the
// system keeps only one peak for the whole life of a process.
class PeakSampler {
public:
    explicit PeakSampler(unsigned long pid)
        : pid_(pid), thread_([this] {
              while (!done_) {
                  peak_ = std::max(peak_.load(), QxTestWorkingSet(pid_));
                  Sleep(10);
              }
          }) {}
    ~PeakSampler() { Stop(); }
    size_t Stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        return peak_;
    }

private:
    unsigned long pid_;
    std::atomic<bool> done_{false};
    std::atomic<size_t> peak_{0};
    std::thread thread_;
};

void HugeCounts(Target& target) {
    // Counts that claim far more items than the bytes can hold.
    std::string lie = QxTestRequestHeader(16) + std::string("\xff\xff\xff\x7f", 4) + std::string(12, '\0');
    int refused = 0;
    for (int i = 0; i < 100; ++i) {
        QxSocket s = QxTestRawConnect(target.Port());
        if (QxSendAll(s.Get(), lie.data(), lie.size(), QxDeadline(1000)).ok() && QxTestClosedByPeer(s.Get(), 2000))
            ++refused;
    }
    // A frame of null cells just within the largest frame: one column, a million rows.
    Qx_Dataset nulls(L"input");
    nulls.AddColumn(L"name", QX_VT_STRING, 1, 0);
    for (int r = 0; r < 3 * 1000 * 1000; ++r) nulls.AppendRow();
    Qx_DatasetList datasets;
    datasets.AddDataset(L"input", nulls);
    const std::string frame = QxTestRequestFrame(L"dbm_svc_get_svclist", Qx_VariableList(1), datasets);
    // The server's first listing reads every source (the 16 MB one too): done before, so
    // that only the frame is measured.
    {
        Qx_VariableList vars(1);
        Qx_DatasetList none;
        QxTestSend(target.Port(), L"dbm_svc_get_svclist", vars, none);
    }
    const size_t before = target.WorkingSet();
    long code = 1;
    Qx_WString message;
    bool answered = false;
    size_t peak = 0;
    {
        PeakSampler sampler(target.Pid());
        QxSocket s = QxTestRawConnect(target.Port());
        answered = QxSendAll(s.Get(), frame.data(), frame.size(), QxDeadline(10000)).ok() &&
                   QxTestReadReply(s.Get(), 10000, code, message);
        peak = sampler.Stop();
    }
    wprintf(
        L"counts: %d of 100 frames claiming 2^31 items refused; a %.1f MiB frame of %d null cells %ls (code %ld); "
        L"server working set %.1f MiB before, at most %.1f MiB during the request (+%.1f MiB, %.0f x the frame)\n",
        refused, frame.size() / 1048576.0, 3 * 1000 * 1000, answered ? L"answered" : L"not answered", code,
        before / 1048576.0, peak / 1048576.0, (peak - std::min(peak, before)) / 1048576.0,
        static_cast<double>(peak - std::min(peak, before)) / static_cast<double>(frame.size()));
    target.Report("the counts");
}

// Ctrl+C while clients hold the server; the time until the process is gone.
void StopUnderLoad(Target& target) {
    int failed = 0;
    std::vector<QxSocket> idle = OpenMany(target, 20, std::string(), failed);
    std::vector<QxSocket> partial = OpenMany(target, 5, QxTestRequestHeader(1000), failed);
    Sleep(300);
    auto start = Clock::now();
    // Windows delivers Ctrl+Break to a process group; Wine has no such console event, but
    // turns SIGINT into the console's Ctrl+C.
    if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, target.Pid())) {
        // The server is told apart by its temporary folder's name, which no other process has.
        const std::wstring& folder = target.ServicesFolder();
        const std::wstring parent = folder.substr(0, folder.find_last_of(L'\\'));
        const std::wstring token = parent.substr(parent.find_last_of(L'\\') + 1);
        std::string command = "Z:\\bin\\sh -c \"pkill -INT -f '" + Qx_AString(token.c_str(), -1, CP_UTF8).str() + "'\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            QxKernelObject p(pi.hProcess), t(pi.hThread);
            WaitForSingleObject(p.Get(), 5000);
        }
    }
    while (target.Running() && MsSince(start) < 10000) Sleep(20);
    wprintf(L"stop: Ctrl+C with %zu idle and %zu half-sent clients connected: server %ls after %.2f s\n", idle.size(),
            partial.size(), target.Running() ? L"STILL RUNNING" : L"gone", MsSince(start) / 1000);
}

// A hostile server, in this process: it answers the first request on its port with what
// reply() gives (after the reply's first bytes it may stall for stallMs).
class FakeServer {
public:
    FakeServer(std::string reply, int stallMs) : reply_(std::move(reply)), stallMs_(stallMs) {
        if (!listener_.Port()) wprintf(L"bench: no loopback port to listen on\n");
        thread_ = std::thread([this] {
            QxSocket client(accept(listener_.Get(), nullptr, nullptr));
            std::string request;
            // Non-blocking, as QxRecvFrame wants it. Without a whole request there is no one
            // to answer.
            if (!QxSetNonBlocking(client.Get()).ok()) return;
            if (!QxRecvFrame(client.Get(), QxWireCodec::kDefaultMaxFrame, QxDeadline(5000), request).ok()) return;
            const size_t first = stallMs_ > 0 ? QxWireCodec::kHeaderSize : reply_.size();
            if (!QxSendAll(client.Get(), reply_.data(), first, QxDeadline(10000)).ok()) return;
            Sleep(static_cast<DWORD>(stallMs_));
            // A client that gave up during the stall is what the stall is there to show.
            if (first < reply_.size())
                static_cast<void>(
                    QxSendAll(client.Get(), reply_.data() + first, reply_.size() - first, QxDeadline(1000)));
        });
    }
    ~FakeServer() { thread_.join(); }
    int Port() const { return listener_.Port(); }

private:
    std::string reply_;
    int stallMs_;
    QxLoopbackListener listener_;
    std::thread thread_;
};

// The library as a client of a hostile server: what one request costs it.
void AsAClient() {
    struct Case {
        const char* what;
        std::string reply;
        int stallMs;
    };
    std::vector<Case> cases;
    std::string stalled = QxTestRequestHeader(60u << 20);
    stalled[6] = 2;  // a reply header announcing 60 MiB, then nothing
    cases.push_back({"a server that stalls after a header announcing 60 MiB", stalled + std::string(16, '\0'), 3000});
    {
        Qx_Dataset nulls(L"output");
        nulls.AddColumn(L"name", QX_VT_STRING, 1, 0);
        for (int r = 0; r < 8 * 1000 * 1000; ++r) nulls.AppendRow();
        Qx_DatasetList datasets;
        datasets.AddDataset(L"output", nulls);
        std::string frame;
        QxWireCodec::EncodeReply(0, Qx_WStrList(), Qx_VariableList(1), datasets, frame);
        cases.push_back({"an 8 MB reply of null cells", frame, 0});
        datasets.ReleaseList();  // only the frame is kept: the memory below is the request's
    }
    {
        Qx_WStrList messages;
        for (int i = 0; i < 100000; ++i) messages.Add(L"one of very many messages");
        std::string frame;
        QxWireCodec::EncodeReply(-1, messages, Qx_VariableList(1), Qx_DatasetList(), frame);
        cases.push_back({"a reply of 100,000 messages", frame, 0});
    }
    for (const Case& c : cases) {
        const size_t before = QxTestWorkingSet(GetCurrentProcessId());
        FakeServer server(c.reply, c.stallMs);
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        Qx_WString error;
        auto start = Clock::now();
        PeakSampler sampler(GetCurrentProcessId());
        long rc = QxTestSend(server.Port(), L"anything", vars, datasets, &error, 2);
        const size_t peak = sampler.Stop();
        int lines = 1;
        for (int i = 0; i < error.GetLength(); ++i) lines += error.GetAt(i) == L'\n';
        wprintf(
            L"as a client, %hs (%.1f MiB on the wire): code %ld after %.1f s, %d line%ls of message, working set "
            L"at most %+.1f MiB during the request\n",
            c.what, c.reply.size() / 1048576.0, rc, MsSince(start) / 1000, lines, lines == 1 ? L"" : L"s",
            (static_cast<double>(peak) - before) / 1048576.0);
    }
}

bool Wanted(const Options& o, const wchar_t* name) { return o.only.empty() || o.only == name; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        fputws(kUsage, stderr);
        return 2;
    }
    if (QxTestSourceDir().empty()) SetEnvironmentVariableW(L"QX_SOURCE_DIR", QX_SOURCE_DIR_DEFAULT);
    Target target;
    if (!target.Start(o.serverLog)) {
        fwprintf(stderr, L"the server did not start\n");
        return 1;
    }
    wprintf(
        L"qxserviced on 127.0.0.1:%d (pid %lu): read and send time-outs 2 s, threads idle 2 s, defaults otherwise\n",
        target.Port(), target.Pid());
    target.Report("start");
    if (Wanted(o, L"requests")) {
        Requests(target, 1, o.seconds);
        Requests(target, o.clients, o.seconds);
        target.Report("the requests");
    }
    if (Wanted(o, L"headers")) HeaderFlood(target, o.connections);
    if (Wanted(o, L"idle")) IdleConnections(target, o.connections);
    if (Wanted(o, L"nonreaders")) NonReaders(target, 8);
    if (Wanted(o, L"mutations")) Mutations(target, o.mutations, o.seed, o.seconds);
    if (Wanted(o, L"drips")) Drips(target, 16);
    if (Wanted(o, L"counts")) HugeCounts(target);
    if (Wanted(o, L"client")) AsAClient();
    if (Wanted(o, L"stop")) StopUnderLoad(target);
    return target.Running() || Wanted(o, L"stop") ? 0 : 1;
}

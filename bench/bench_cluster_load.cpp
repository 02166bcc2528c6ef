// Several service servers on one database: starts --servers qxserviced processes on
// loopback against one fresh demo database, sends mixed reads and writes from --clients
// clients spread over the servers for at most --seconds (and --requests in all), then
// checks in the database that every write that was answered with success is there exactly
// once, and that no other write is. Prints throughput, p50 and p99 of reads and writes.
//
//   bench_cluster_load [--database sqlite|postgresql] [--servers N] [--clients N]
//                      [--seconds N] [--requests N] [--writes PERCENT]
//
// PostgreSQL: the cluster of the build tree (scripts/load.sh starts and stops it).
// SQLite: a file that every server opens; SQLite takes one writer at a time.
#include "QxQVInfo320U.h"
#include "tests/support/QxServerProcess.h"
#include "tests/support/RuntimeTestSupport.h"
#include "tests/support/ServiceClient.h"
#include "tests/support/TestDatabase.h"
#include "LoadFigures.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
    QxBackend backend = QxBackend::kPostgreSQL;
    int servers = 3;
    int clients = 32;
    int seconds = 10;
    int requests = 20000;
    int writePercent = 20;
};

// What one kind of request came to.
struct Tally {
    std::mutex mutex;
    std::vector<double> latencies;
    int failed = 0;
    Qx_WString firstFailure;
    void Add(bool ok, double ms, const Qx_WString& why) {
        std::lock_guard<std::mutex> lock(mutex);
        if (ok) {
            latencies.push_back(ms);
        } else if (++failed == 1) {
            firstFailure = why;
        }
    }
    void Print(const char* kind, double seconds) {
        const size_t served = latencies.size();
        wprintf(L"  %-6hs %7zu served, %5d failed: %7.0f per second, p50 %6.2f ms, p99 %7.2f ms\n", kind, served,
                failed, served / seconds, QxPercentile(latencies, 0.50), QxPercentile(latencies, 0.99));
        if (failed) wprintf(L"         first failure: %ls\n", firstFailure.c_str());
    }
};

// One client: a loaded TCP adaptor, requests to one server.
class Client {
public:
    explicit Client(int port) : port_(port), provider_(&env_) {
        provider_.SetRequestEnv(L"demo", L"");
        provider_.CreateFrameService(QxTestBinDir().c_str(), L"QxTcpAdaptor320U", L"", L"", 1, L"", wrapper_, 1);
    }
    bool Ready() const { return wrapper_ != nullptr; }

    bool Read(Qx_WString& why) {
        provider_.SetEnvStr(L"SERVICE_NAME", L"demo_customers_by_city");
        Qx_VariableList vars(1);
        vars.AddStr(L"city", L"Lyon");
        Qx_DatasetList datasets;
        const bool ok = wrapper_->SendReq(vars, datasets, L"127.0.0.1", port_, 30, 1, 0) == 0 &&
                        datasets.GetItem(L"customers") && datasets.GetItem(L"customers")->GetRowCount() == 2;
        if (!ok) why = wrapper_->GetLastErrorText();
        return ok;
    }
    bool Write(const std::wstring& name, Qx_WString& why) {
        provider_.SetEnvStr(L"SERVICE_NAME", L"demo_add_customers");
        Qx_Dataset input(L"input");
        input.AddColumn(L"name", QX_VT_STRING, 80, 0);
        input.AddColumn(L"city", QX_VT_STRING, 80, 0);
        const int row = input.AppendRow();
        input.SetColumn(row, L"name", name.c_str());
        input.SetColumn(row, L"city", L"Loadtown");
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        datasets.AddDataset(L"input", input);
        const bool ok = wrapper_->SendReq(vars, datasets, L"127.0.0.1", port_, 30, 1, 0) == 0;
        if (!ok) why = wrapper_->GetLastErrorText();
        return ok;
    }

private:
    int port_;
    Qx_EnvProvider env_;
    Qx_Provider provider_;
    Qx_AdapterComWrapper* wrapper_ = nullptr;
};

bool ParseOptions(int argc, wchar_t** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i], value = argv[i + 1];
        const int number = _wtoi(value.c_str());
        if (option == L"--database" && (value == L"sqlite" || value == L"postgresql"))
            o.backend = value == L"sqlite" ? QxBackend::kSQLite : QxBackend::kPostgreSQL;
        else if (option == L"--servers" && number > 0)
            o.servers = number;
        else if (option == L"--clients" && number > 0)
            o.clients = number;
        else if (option == L"--seconds" && number > 0)
            o.seconds = number;
        else if (option == L"--requests" && number > 0)
            o.requests = number;
        else if (option == L"--writes" && number >= 0 && number <= 100)
            o.writePercent = number;
        else
            return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        fwprintf(stderr,
                 L"usage: bench_cluster_load [--database sqlite|postgresql] [--servers N] [--clients N] "
                 L"[--seconds N] [--requests N] [--writes PERCENT]\n");
        return 2;
    }
    if (QxTestSourceDir().empty()) SetEnvironmentVariableW(L"QX_SOURCE_DIR", QX_SOURCE_DIR_DEFAULT);
    QxTestDatabase db(o.backend);
    const std::wstring failure = db.MakeDemo();
    if (!failure.empty()) {
        fwprintf(stderr, L"no demo database on %hs: %ls\n", QxBackendName(o.backend), failure.c_str());
        return 1;
    }
    std::vector<std::unique_ptr<QxServerProcess>> servers;
    const std::wstring args =
        L"--services \"" + QxTestSourceDir() + L"\\demo\\server\" --connection \"" + db.Connection() + L"\"";
    for (int i = 0; i < o.servers; ++i) {
        servers.push_back(std::make_unique<QxServerProcess>());
        if (!servers.back()->Start(args)) {
            fwprintf(stderr, L"server %d did not start\n", i + 1);
            return 1;
        }
    }

    Tally reads, writes;
    std::mutex writtenMutex;
    std::vector<std::wstring> written;  // names whose write was answered with success
    std::atomic<int> next{0};
    const auto start = QxLoadClock::now();
    const auto end = start + std::chrono::seconds(o.seconds);
    std::vector<std::thread> threads;
    for (int c = 0; c < o.clients; ++c)
        threads.emplace_back([&, c] {
            Client client(servers[static_cast<size_t>(c) % servers.size()]->Port());
            if (!client.Ready()) return;
            for (int i = next++; i < o.requests && QxLoadClock::now() < end; i = next++) {
                Qx_WString why;
                const auto t = QxLoadClock::now();
                if (i % 100 < o.writePercent) {
                    const std::wstring name = L"load-" + std::to_wstring(c) + L"-" + std::to_wstring(i);
                    const bool ok = client.Write(name, why);
                    const double ms = QxMsSince(t);
                    writes.Add(ok, ms, why);
                    if (ok) {
                        std::lock_guard<std::mutex> lock(writtenMutex);
                        written.push_back(name);
                    }
                } else {
                    const bool ok = client.Read(why);
                    const double ms = QxMsSince(t);
                    reads.Add(ok, ms, why);
                }
            }
        });
    for (std::thread& t : threads) t.join();
    const double seconds = QxMsSince(start) / 1000;

    // Every successful write is there once; a failed one is not there at all.
    const std::wstring rows =
        QxTestQueryText(db.Connection(), L"SELECT COUNT(*) FROM customers WHERE city = 'Loadtown'");
    const std::wstring distinct =
        QxTestQueryText(db.Connection(), L"SELECT COUNT(DISTINCT name) FROM customers WHERE city = 'Loadtown'");
    const bool intact = rows == std::to_wstring(written.size()) && distinct == rows;

    wprintf(L"%d qxserviced on one %hs database, %d clients, %d%% writes, %.1f s:\n", o.servers,
            QxBackendName(o.backend), o.clients, o.writePercent, seconds);
    reads.Print("reads", seconds);
    writes.Print("writes", seconds);
    wprintf(L"  writes answered with success %zu; rows in the database %ls, distinct %ls: %ls\n", written.size(),
            rows.c_str(), distinct.c_str(), intact ? L"none lost, none doubled" : L"MISMATCH");
    for (auto& s : servers)
        if (!s->Running()) wprintf(L"  a server ended during the run\n");
    return intact ? 0 : 1;
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "runtime/internal/QxWireProtocol.h"
#include "runtime/internal/QxSocket.h"
#include "support/QxServerProcess.h"
#include "support/RuntimeTestSupport.h"
#include "support/ServiceClient.h"
#include "support/StatusAssertions.h"
#include "support/TestDatabase.h"
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

namespace {

std::string Narrow(const Qx_WString& text) { return Qx_AString(text.c_str(), -1, CP_UTF8).str(); }

long Send(int port, const wchar_t* service, Qx_VariableList& vars, Qx_DatasetList& datasets,
          Qx_WString* error = nullptr) {
    return QxTestSend(port, service, vars, datasets, error);
}

// A service server on the demo database of each backend: one per backend, started when its
// first test runs and stopped with the suite.
struct BackendServer {
    explicit BackendServer(QxBackend backend) : database(backend) {
        failure = database.Failure();
        if (failure.empty()) failure = database.MakeDemo();
        if (!failure.empty()) return;
        std::wstring args = L"--services \"" + QxTestSourceDir() + L"\\demo\\server\" --connection \"" +
                            database.Connection() + L"\" --read-timeout 2 --max-frame 1048576";
        if (!server.Start(args, temp.File(L"server.log"))) failure = L"the server did not start";
    }
    QxTestTempFolder temp;
    QxTestDatabase database;
    QxServerProcess server;  // stopped before the database and the folder go
    std::wstring failure;
};

class ServiceServerTest : public ::testing::TestWithParam<QxBackend> {
protected:
    static void TearDownTestSuite() { servers_.clear(); }
    void SetUp() override {
        std::unique_ptr<BackendServer>& server = servers_[GetParam()];
        if (!server) server.reset(new BackendServer(GetParam()));
        server_ = server.get();
        ASSERT_TRUE(server_->failure.empty()) << Narrow(Qx_WString(server_->failure.c_str()));
        port_ = server_->server.Port();
    }
    void TearDown() override {
        if (server_ && server_->failure.empty()) {
            EXPECT_TRUE(server_->server.Running()) << "the server must survive every client";
        }
    }

    std::wstring ServerLog() const {
        std::ifstream file(std::filesystem::path(server_->temp.File(L"server.log")), std::ios::binary);
        std::stringstream all;
        all << file.rdbuf();
        Qx_WString text;
        text.Set(all.str().c_str(), -1, CP_UTF8);
        return text.str();
    }
    // The server writes its log from a thread of its own: a line shows a moment after the
    // event it tells of.
    bool LogShows(const wchar_t* text) const {
        for (ULONGLONG end = GetTickCount64() + 5000;; Sleep(20)) {
            if (ServerLog().find(text) != std::wstring::npos) return true;
            if (GetTickCount64() > end) return false;
        }
    }

    int port_ = 0;
    BackendServer* server_ = nullptr;
    static std::map<QxBackend, std::unique_ptr<BackendServer>> servers_;
};

std::map<QxBackend, std::unique_ptr<BackendServer>> ServiceServerTest::servers_;

INSTANTIATE_TEST_SUITE_P(Backends, ServiceServerTest, ::testing::ValuesIn(QxAllBackends()),
                         [](const ::testing::TestParamInfo<QxBackend>& info) { return QxBackendName(info.param); });

}  // namespace

TEST_P(ServiceServerTest, ListsEveryServiceSource) {
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    Qx_WString error;
    ASSERT_EQ(Send(port_, L"dbm_svc_get_svclist", vars, datasets, &error), 0) << Narrow(error);
    const Qx_Dataset* out = datasets.GetItem(L"output");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(out->GetRowCount(), 4);
    for (const wchar_t* column : {L"name", L"class_name", L"size", L"date", L"time"})
        EXPECT_GE(out->FindColumn(column), 0) << Narrow(Qx_WString(column));
    // Sorted by name: add_customers, customer_orders, customers_by_city, fail.
    EXPECT_EQ(out->GetColumn(3, L"name")->ToString(), L"demo_fail.cpp");
    EXPECT_EQ(out->GetColumn(3, L"class_name")->ToString(), L"CFail");
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExW((QxTestSourceDir() + L"\\demo\\server\\demo_fail.cpp").c_str(),
                                     GetFileExInfoStandard, &info));
    EXPECT_EQ(out->GetColumn(3, L"size")->ToString().ToInteger(), static_cast<int>(info.nFileSizeLow));
    EXPECT_EQ(out->GetColumn(3, L"date")->ToString().GetLength(), 10);
    EXPECT_EQ(out->GetColumn(3, L"time")->ToString().GetLength(), 8);
}

TEST_P(ServiceServerTest, LoadsASourceAsAnsiBytes) {
    for (const wchar_t* name : {L"demo_fail", L"demo_fail.cpp"}) {
        Qx_VariableList vars(1);
        Qx_DatasetList datasets = QxTestInputName(name);
        Qx_WString error;
        ASSERT_EQ(Send(port_, L"dbm_svc_load_svc", vars, datasets, &error), 0) << Narrow(error);
        const Qx_Dataset* out = datasets.GetItem(L"output");
        ASSERT_NE(out, nullptr);
        const Qx_Variant* value = out->GetColumn(0, L"value");
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->GetType(), QX_VT_BINARY);
        Qx_Buffer file;
        ASSERT_GT(Qx_File::ReadFile((QxTestSourceDir() + L"\\demo\\server\\demo_fail.cpp").c_str(), file), 0);
        EXPECT_EQ(std::string(value->GetBytes(), value->GetByteCount()), std::string(file.GetData(), file.GetLength()));
    }
}

TEST_P(ServiceServerTest, RefusesNamesThatLeaveTheFolder) {
    const wchar_t* names[] = {L"..\\..\\CMakeLists.txt",
                              L"../services/demo_fail",
                              L"\\Windows\\win.ini",
                              L"C:\\windows\\win.ini",
                              L"C:demo_fail",
                              L"..",
                              L"",
                              L"sub\\demo_fail"};
    for (const wchar_t* name : names) {
        Qx_VariableList vars(1);
        Qx_DatasetList datasets = QxTestInputName(name);
        Qx_WString error;
        EXPECT_NE(Send(port_, L"dbm_svc_load_svc", vars, datasets, &error), 0) << Narrow(Qx_WString(name));
        EXPECT_EQ(datasets.GetItem(L"output"), nullptr) << Narrow(Qx_WString(name));
        EXPECT_FALSE(error.IsEmpty());
    }
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    Qx_WString error;
    EXPECT_EQ(Send(port_, L"..\\services\\demo_fail", vars, datasets, &error), QX_RT_E_JOB) << Narrow(error);
}

TEST_P(ServiceServerTest, RunsAServiceWithAnInput) {
    Qx_VariableList vars(1);
    vars.AddStr(L"city", L"Lyon");
    Qx_DatasetList datasets;
    Qx_WString error;
    ASSERT_EQ(Send(port_, L"demo_customers_by_city", vars, datasets, &error), 0) << Narrow(error);
    EXPECT_TRUE(error.IsEmpty());
    // The inputs stay in front; the reply is added behind them.
    ASSERT_EQ(vars.Count(), 2);
    EXPECT_EQ(vars.GetItemNN(0)->GetName(), L"city");
    EXPECT_EQ(vars.GetItemNN(1)->ToInt64(), 2);
    const Qx_Dataset* customers = datasets.GetItem(L"customers");
    ASSERT_NE(customers, nullptr);
    ASSERT_EQ(customers->GetRowCount(), 2);
    EXPECT_EQ(customers->GetColumn(0, L"name")->ToString(), L"Ada Brenner");
}

TEST_P(ServiceServerTest, ReturnsTwoDatasets) {
    Qx_VariableList vars(1);
    Qx_Variant id;
    id.SetInt(5);
    vars.Add(L"customer_id", id);
    Qx_DatasetList datasets;
    Qx_WString error;
    ASSERT_EQ(Send(port_, L"demo_customer_orders", vars, datasets, &error), 0) << Narrow(error);
    ASSERT_NE(datasets.GetItem(L"customer"), nullptr);
    EXPECT_EQ(datasets.GetItem(L"customer")->GetColumn(0, L"name")->ToString(), L"Eve O'Neill");
    ASSERT_NE(datasets.GetItem(L"orders"), nullptr);
    EXPECT_EQ(datasets.GetItem(L"orders")->GetRowCount(), 1);
}

TEST_P(ServiceServerTest, FailuresComeBackWithCodeAndMessage) {
    struct Case {
        const wchar_t* service;
        long code;
        const wchar_t* text;
    } cases[] = {
        {L"demo_fail", QX_RT_E_DATABASE, L"no_such_table"},
        {L"no_such_service", QX_RT_E_NO_DEFINITION, L"no_such_service"},
        {L"demo_customers_by_city", QX_RT_E_INPUT, L"city"},
    };
    for (const Case& c : cases) {
        Qx_EnvProvider env;
        Qx_Provider provider(&env);
        provider.SetEnvStr(L"GROUP_NAME", L"demo");
        provider.SetEnvStr(L"SERVICE_NAME", c.service);
        Qx_AdapterComWrapper* wrapper = nullptr;
        ASSERT_EQ(
            provider.CreateFrameService(QxTestBinDir().c_str(), L"QxTcpAdaptor320U.dll", L"", L"", 1, L"", wrapper, 1),
            0);
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        EXPECT_EQ(wrapper->SendReq(vars, datasets, L"127.0.0.1", port_, 10, 1, 0), c.code)
            << Narrow(Qx_WString(c.service));
        EXPECT_NE(wrapper->GetLastErrorText().Find(c.text), -1) << Narrow(wrapper->GetLastErrorText());
        EXPECT_EQ(wrapper->GetLastResult().GetCode(), c.code);
        EXPECT_GE(wrapper->GetLastResult().GetMsgCount(), 1);
    }
}

TEST_P(ServiceServerTest, ServesSeveralClientsAtOnce) {
    const int kThreads = 6, kRequests = 10;
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRequests; ++i) {
                Qx_VariableList vars(1);
                vars.AddStr(L"city", (t + i) % 2 ? L"Lyon" : L"Riga");
                Qx_DatasetList datasets;
                if (Send(port_, L"demo_customers_by_city", vars, datasets) == 0 &&
                    datasets.GetItem(L"customers")->GetRowCount() == ((t + i) % 2 ? 2 : 1))
                    ++good;
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(good.load(), kThreads * kRequests);
}

TEST_P(ServiceServerTest, StalledClientIsDroppedWithoutDisturbingOthers) {
    QxSocket stalled = QxTestRawConnect(port_);
    ASSERT_TRUE(stalled);
    std::string partial = QxTestRequestHeader(100).substr(0, 5);
    ASSERT_EQ(send(stalled.Get(), partial.data(), static_cast<int>(partial.size()), 0), 5);
    // Others are served while it stalls.
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    EXPECT_EQ(Send(port_, L"dbm_svc_get_svclist", vars, datasets), 0);
    // The server's read time-out is 2 s.
    EXPECT_TRUE(QxTestClosedByPeer(stalled.Get(), 8000));
    EXPECT_TRUE(LogShows(L"read time-out")) << Narrow(Qx_WString(ServerLog().c_str()));
}

TEST_P(ServiceServerTest, BadFramesDropOnlyThatClient) {
    struct Case {
        const char* label;
        std::string bytes;
        bool closeAfter;
    } cases[] = {
        {"disconnect mid-frame", QxTestRequestHeader(100) + std::string(10, 'x'), true},
        {"oversized frame", QxTestRequestHeader(2u * 1024 * 1024), false},
        {"not the protocol", "GET / HTTP/1.1\r\nHost: x\r\n\r\n", false},
        {"wrong version", std::string("QXWP\x09\x00\x01\x00\x00\x00\x00\x00", 12), false},
        {"malformed body", QxTestRequestHeader(4) + std::string("\xff\xff\xff\xff", 4), false},
    };
    for (const Case& c : cases) {
        QxSocket s = QxTestRawConnect(port_);
        ASSERT_TRUE(s) << c.label;
        send(s.Get(), c.bytes.data(), static_cast<int>(c.bytes.size()), 0);
        if (c.closeAfter)
            s.Reset();
        else
            EXPECT_TRUE(QxTestClosedByPeer(s.Get(), 1500)) << c.label;  // well before the read time-out
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        EXPECT_EQ(Send(port_, L"dbm_svc_get_svclist", vars, datasets), 0) << c.label;
    }
    EXPECT_TRUE(LogShows(L"malformed request")) << Narrow(Qx_WString(ServerLog().c_str()));
}

TEST_P(ServiceServerTest, OneConnectionCarriesSeveralRequests) {
    QxSocket s = QxTestRawConnect(port_);
    ASSERT_TRUE(s);
    Qx_VariableList env(1);
    env.AddStr(L"GROUP_NAME", L"demo");
    env.AddStr(L"SERVICE_NAME", L"dbm_svc_get_svclist");
    std::string request;
    QxWireCodec::EncodeRequest(env, Qx_VariableList(1), Qx_DatasetList(), request);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(IsOk(QxSendAll(s.Get(), request.data(), request.size(), QxDeadline(5000))));
        std::string reply;
        ASSERT_TRUE(IsOk(QxRecvFrame(s.Get(), QxWireCodec::kDefaultMaxFrame, QxDeadline(5000), reply)));
        long code = -1;
        Qx_WStrList messages;
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        ASSERT_TRUE(IsOk(QxWireCodec::DecodeReply(reply.data(), reply.size(), QxWireCodec::kDefaultMaxFrame, code,
                                                  messages, vars, datasets)));
        EXPECT_EQ(code, 0);
        EXPECT_EQ(datasets.GetItem(L"output")->GetRowCount(), 4);
    }
}

TEST_P(ServiceServerTest, LogsOneLinePerRequest) {
    Qx_VariableList vars(1);
    vars.AddStr(L"city", L"Cork");
    Qx_DatasetList datasets;
    ASSERT_EQ(Send(port_, L"demo_customers_by_city", vars, datasets), 0);
    EXPECT_TRUE(LogShows(L"demo/demo_customers_by_city code=0 rows=1")) << Narrow(Qx_WString(ServerLog().c_str()));
}

namespace {
std::string ServiceSource(const std::string& className) {
    return "/**__SERVICE XML BEGIN__\n<service name=\"s\" class_name=\"" + className + "\"/>\n__SERVICE XML END__**/\n";
}

// name -> class name of every listed source, or why the request failed.
std::map<std::wstring, std::wstring> ListedServices(int port) {
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    Qx_WString error;
    std::map<std::wstring, std::wstring> out;
    EXPECT_EQ(Send(port, L"dbm_svc_get_svclist", vars, datasets, &error), 0) << Narrow(error);
    const Qx_Dataset* list = datasets.GetItem(L"output");
    for (int r = 0; list && r < list->GetRowCount(); ++r)
        out[list->GetColumn(r, L"name")->ToString().str()] = list->GetColumn(r, L"class_name")->ToString().str();
    return out;
}
}  // namespace

TEST(ServiceServerIndex, AChangedAddedOrRemovedSourceShowsAtTheNextRequest) {
    QxTestTempFolder dir;
    dir.Write(L"one.cpp", ServiceSource("COne"));
    dir.Write(L"two.cpp", ServiceSource("CTwo"));
    QxServerProcess server;
    ASSERT_TRUE(server.Start(L"--services \"" + dir.Path() + L"\""));
    using Listing = std::map<std::wstring, std::wstring>;
    EXPECT_EQ(ListedServices(server.Port()), (Listing{{L"one.cpp", L"COne"}, {L"two.cpp", L"CTwo"}}));
    EXPECT_EQ(ListedServices(server.Port()), (Listing{{L"one.cpp", L"COne"}, {L"two.cpp", L"CTwo"}}));

    dir.Write(L"one.cpp", ServiceSource("COneRewritten"));
    dir.Write(L"three.cpp", ServiceSource("CThree"));
    ASSERT_TRUE(DeleteFileW(dir.File(L"two.cpp").c_str()));
    EXPECT_EQ(ListedServices(server.Port()), (Listing{{L"one.cpp", L"COneRewritten"}, {L"three.cpp", L"CThree"}}));
}

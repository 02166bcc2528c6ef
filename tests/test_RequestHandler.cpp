#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "runtime/internal/QxWireProtocol.h"
#include "runtime/internal/QxSocket.h"
#include "support/QxServerProcess.h"
#include "support/RuntimeTestSupport.h"
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

namespace {

std::string Narrow(const Qx_WString& text) { return Qx_AString(text.c_str(), -1, CP_UTF8).str(); }

// Sends one request the way the library's server execution does.
long Send(int port, const wchar_t* service, Qx_VariableList& vars, Qx_DatasetList& datasets,
          Qx_WString* error = nullptr, long timeout = 10) {
    Qx_EnvProvider env;
    Qx_Provider provider(&env);
    provider.SetRequestEnv(L"demo", service);
    Qx_AdapterComWrapper* wrapper = nullptr;
    long rc = provider.CreateFrameService(QxTestBinDir().c_str(), L"QxTcpAdaptor320U", L"tcp", L"COM", 1, L"TCP", wrapper, 1);
    if (rc != 0) {
        if (error) *error = provider.GetLastErrorText();
        return rc;
    }
    rc = wrapper->SendReq(vars, datasets, L"127.0.0.1", port, timeout, 1, 0);
    if (error) *error = wrapper->GetLastErrorText();
    return rc;
}

Qx_DatasetList InputName(const wchar_t* name) {
    Qx_Dataset input(L"input");
    input.AddColumn(L"name", QX_VT_STRING, 80, 1);
    input.SetColumn(input.AppendRow(), L"name", name);
    Qx_DatasetList list;
    list.AddDataset(L"input", input);
    return list;
}

// A raw client for frames the library would never send.
QxSocket RawConnect(int port) {
    QxSocket s;
    Qx_WString error;
    QxConnectTcp(L"127.0.0.1", port, QxDeadline(5000), s, error);
    return s;
}

// True when the server closes the connection (or resets it) within ms.
bool ClosedByPeer(SOCKET s, int ms) {
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (GetTickCount64() < end) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv = {0, 100 * 1000};
        if (select(0, &set, nullptr, nullptr, &tv) > 0) {
            char buffer[256];
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) return true;
        }
    }
    return false;
}

std::string RequestHeader(uint32_t length) {
    std::string h("QXWP\x01\x00\x01\x00", 8);
    for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>((length >> (8 * i)) & 0xff));
    return h;
}

class ServiceServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        temp_ = new QxTestTempFolder();
        std::wstring connection;
        setupFailure_ = QxTestMakeDemoDb(temp_->File(L"demo.db"), connection);
        if (!setupFailure_.empty()) return;
        server_ = new QxServerProcess();
        std::wstring args = L"--services \"" + QxTestSourceDir() + L"\\demo\\server\" --connection \"" + connection +
                            L"\" --read-timeout 2 --max-frame 1048576";
        if (!server_->Start(args, temp_->File(L"server.log"))) setupFailure_ = L"the server did not start";
    }
    static void TearDownTestSuite() {
        delete server_;  // stops it before its folder goes
        server_ = nullptr;
        delete temp_;
        temp_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(setupFailure_.empty()) << Narrow(Qx_WString(setupFailure_.c_str()));
        port_ = server_->Port();
    }
    void TearDown() override {
        if (server_) {
            EXPECT_TRUE(server_->Running()) << "the server must survive every client";
        }
    }

    static std::wstring ServerLog() {
        std::ifstream file(std::filesystem::path(temp_->File(L"server.log")), std::ios::binary);
        std::stringstream all;
        all << file.rdbuf();
        Qx_WString text;
        text.Set(all.str().c_str(), -1, CP_UTF8);
        return text.str();
    }

    int port_ = 0;
    static QxTestTempFolder* temp_;
    static QxServerProcess* server_;
    static std::wstring setupFailure_;
};

QxTestTempFolder* ServiceServerTest::temp_ = nullptr;
QxServerProcess* ServiceServerTest::server_ = nullptr;
std::wstring ServiceServerTest::setupFailure_;

}  // namespace

TEST_F(ServiceServerTest, ListsEveryServiceSource) {
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
    ASSERT_TRUE(GetFileAttributesExW((QxTestSourceDir() + L"\\demo\\server\\demo_fail.cpp").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(out->GetColumn(3, L"size")->ToString().ToInteger(), static_cast<int>(info.nFileSizeLow));
    EXPECT_EQ(out->GetColumn(3, L"date")->ToString().GetLength(), 10);
    EXPECT_EQ(out->GetColumn(3, L"time")->ToString().GetLength(), 8);
}

TEST_F(ServiceServerTest, LoadsASourceAsAnsiBytes) {
    for (const wchar_t* name : {L"demo_fail", L"demo_fail.cpp"}) {
        Qx_VariableList vars(1);
        Qx_DatasetList datasets = InputName(name);
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

TEST_F(ServiceServerTest, RefusesNamesThatLeaveTheFolder) {
    const wchar_t* names[] = {L"..\\..\\CMakeLists.txt", L"../services/demo_fail", L"\\Windows\\win.ini",
                              L"C:\\windows\\win.ini", L"C:demo_fail", L"..", L"", L"sub\\demo_fail"};
    for (const wchar_t* name : names) {
        Qx_VariableList vars(1);
        Qx_DatasetList datasets = InputName(name);
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

TEST_F(ServiceServerTest, RunsAServiceWithAnInput) {
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

TEST_F(ServiceServerTest, ReturnsTwoDatasets) {
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

TEST_F(ServiceServerTest, FailuresComeBackWithCodeAndMessage) {
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
        ASSERT_EQ(provider.CreateFrameService(QxTestBinDir().c_str(), L"QxTcpAdaptor320U.dll", L"", L"", 1, L"", wrapper, 1), 0);
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        EXPECT_EQ(wrapper->SendReq(vars, datasets, L"127.0.0.1", port_, 10, 1, 0), c.code) << Narrow(Qx_WString(c.service));
        EXPECT_NE(wrapper->GetLastErrorText().Find(c.text), -1) << Narrow(wrapper->GetLastErrorText());
        EXPECT_EQ(wrapper->GetLastResult().GetCode(), c.code);
        EXPECT_GE(wrapper->GetLastResult().GetMsgCount(), 1);
    }
}

TEST_F(ServiceServerTest, ServesSeveralClientsAtOnce) {
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

TEST_F(ServiceServerTest, StalledClientIsDroppedWithoutDisturbingOthers) {
    QxSocket stalled = RawConnect(port_);
    ASSERT_TRUE(stalled);
    std::string partial = RequestHeader(100).substr(0, 5);
    ASSERT_EQ(send(stalled.Get(), partial.data(), static_cast<int>(partial.size()), 0), 5);
    // Others are served while it stalls.
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    EXPECT_EQ(Send(port_, L"dbm_svc_get_svclist", vars, datasets), 0);
    // The server's read time-out is 2 s.
    EXPECT_TRUE(ClosedByPeer(stalled.Get(), 8000));
    EXPECT_NE(ServerLog().find(L"read time-out"), std::wstring::npos);
}

TEST_F(ServiceServerTest, BadFramesDropOnlyThatClient) {
    struct Case {
        const char* label;
        std::string bytes;
        bool closeAfter;
    } cases[] = {
        {"disconnect mid-frame", RequestHeader(100) + std::string(10, 'x'), true},
        {"oversized frame", RequestHeader(2u * 1024 * 1024), false},
        {"not the protocol", "GET / HTTP/1.1\r\nHost: x\r\n\r\n", false},
        {"wrong version", std::string("QXWP\x09\x00\x01\x00\x00\x00\x00\x00", 12), false},
        {"malformed body", RequestHeader(4) + std::string("\xff\xff\xff\xff", 4), false},
    };
    for (const Case& c : cases) {
        QxSocket s = RawConnect(port_);
        ASSERT_TRUE(s) << c.label;
        send(s.Get(), c.bytes.data(), static_cast<int>(c.bytes.size()), 0);
        if (c.closeAfter) s.Reset();
        else EXPECT_TRUE(ClosedByPeer(s.Get(), 1500)) << c.label;  // well before the read time-out
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        EXPECT_EQ(Send(port_, L"dbm_svc_get_svclist", vars, datasets), 0) << c.label;
    }
    EXPECT_NE(ServerLog().find(L"malformed request"), std::wstring::npos);
}

TEST_F(ServiceServerTest, OneConnectionCarriesSeveralRequests) {
    QxSocket s = RawConnect(port_);
    ASSERT_TRUE(s);
    Qx_VariableList env(1);
    env.AddStr(L"GROUP_NAME", L"demo");
    env.AddStr(L"SERVICE_NAME", L"dbm_svc_get_svclist");
    std::string request;
    QxWireCodec::EncodeRequest(env, Qx_VariableList(1), Qx_DatasetList(), request);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(QxSendAll(s.Get(), request.data(), request.size(), QxDeadline(5000)), QX_IO_OK);
        std::string reply;
        Qx_WString error;
        ASSERT_EQ(QxRecvFrame(s.Get(), QxWireCodec::kDefaultMaxFrame, QxDeadline(5000), reply, error), QX_IO_OK);
        long code = -1;
        Qx_WStrList messages;
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        ASSERT_TRUE(QxWireCodec::DecodeReply(reply.data(), reply.size(), QxWireCodec::kDefaultMaxFrame, code, messages,
                                             vars, datasets, error));
        EXPECT_EQ(code, 0);
        EXPECT_EQ(datasets.GetItem(L"output")->GetRowCount(), 4);
    }
}

TEST_F(ServiceServerTest, LogsOneLinePerRequest) {
    Qx_VariableList vars(1);
    vars.AddStr(L"city", L"Cork");
    Qx_DatasetList datasets;
    ASSERT_EQ(Send(port_, L"demo_customers_by_city", vars, datasets), 0);
    Sleep(100);
    std::wstring log = ServerLog();
    EXPECT_NE(log.find(L"demo/demo_customers_by_city code=0 rows=1"), std::wstring::npos) << Narrow(Qx_WString(log.c_str()));
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

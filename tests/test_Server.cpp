#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include "runtime/internal/QxWireProtocol.h"
#include "support/QxServerProcess.h"
#include "support/RuntimeTestSupport.h"
#include "support/ServiceClient.h"
#include "support/StatusAssertions.h"

#include <filesystem>
#include <fstream>
#include <sstream>

// What a crowd of clients, or one hostile client, can make the service server spend, at
// small sizes: a server of its own with small limits.
namespace {

std::string Narrow(const std::wstring& text) { return Qx_AString(text.c_str(), -1, CP_UTF8).str(); }

class ServerLimitsTest : public ::testing::Test {
protected:
    static const int kMaxConnections = 3;
    // Large enough for the 24 MB reply below, small enough to be filled by one request.
    static const int kBudget = 40 << 20;
    static const uint32_t kMaxFrame = 64u << 20;

    static void SetUpTestSuite() {
        temp_ = new QxTestTempFolder();
        std::wstring connection;
        setupFailure_ = QxTestMakeDemoDb(temp_->File(L"demo.db"), connection);
        if (!setupFailure_.empty()) return;
        // The demo's sources, and one large enough that its reply fills every socket buffer.
        const std::wstring services = temp_->File(L"services");
        std::filesystem::copy(std::filesystem::path(QxTestSourceDir() + L"\\demo\\server"),
                              std::filesystem::path(services));
        temp_->Write(L"services\\big_source.cpp", std::string(24u << 20, 'x'));
        server_ = new QxServerProcess();
        std::wstring args = L"--services \"" + services + L"\" --connection \"" + connection +
                            L"\" --read-timeout 3 --send-timeout 1 --thread-idle 1 --max-frame " +
                            std::to_wstring(kMaxFrame) + L" --max-connections " + std::to_wstring(kMaxConnections) +
                            L" --budget " + std::to_wstring(kBudget) + L" --db-max-row-runs 3";
        if (!server_->Start(args, temp_->File(L"server.log"))) setupFailure_ = L"the server did not start";
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
        delete temp_;
        temp_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(setupFailure_.empty()) << Narrow(setupFailure_);
        port_ = server_->Port();
    }
    void TearDown() override {
        if (server_) {
            EXPECT_TRUE(server_->Running()) << "the server must survive every client";
        }
    }

    // A normal request, as a well-behaved client sends it meanwhile.
    long ListServices() {
        Qx_VariableList vars(1);
        Qx_DatasetList datasets;
        return QxTestSend(port_, L"dbm_svc_get_svclist", vars, datasets);
    }
    // Waits until the server serves fewer than its cap (closed connections are noticed
    // within a poll slice).
    void WaitForRoom() {
        for (int i = 0; i < 50 && ListServices() != 0; ++i) Sleep(100);
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

QxTestTempFolder* ServerLimitsTest::temp_ = nullptr;
QxServerProcess* ServerLimitsTest::server_ = nullptr;
std::wstring ServerLimitsTest::setupFailure_;

TEST_F(ServerLimitsTest, AtTheCapTheLongestWaitingConnectionMakesRoom) {
    std::vector<QxSocket> held;
    for (int i = 0; i < kMaxConnections; ++i) {
        held.push_back(QxTestRawConnect(port_));
        Sleep(50);  // in this order
    }
    Sleep(200);
    // A client that connects now, and sends its request at once, is served; the connection
    // that has waited longest without a request is told the server is busy, and closed.
    EXPECT_EQ(ListServices(), 0);
    long code = 0;
    Qx_WString message;
    ASSERT_TRUE(QxTestReadReply(held[0].Get(), 3000, code, message)) << "a refusal frame, not a silent close";
    EXPECT_EQ(code, QX_RT_E_BUSY);
    EXPECT_NE(message.Find(L"busy"), -1) << Narrow(message.str());
    EXPECT_TRUE(QxTestClosedByPeer(held[0].Get(), 2000));
    u_long waiting = 0;
    ioctlsocket(held[2].Get(), FIONREAD, &waiting);
    EXPECT_EQ(waiting, 0u) << "the newest held connection is left alone";
    held.clear();
    WaitForRoom();
}

TEST_F(ServerLimitsTest, FramesPastTheReceiveBudgetAreRefusedWithAReply) {
    // One client announces a large request and sends more of it than the budget allows.
    QxSocket greedy = QxTestRawConnect(port_);
    ASSERT_TRUE(greedy);
    const std::string head = QxTestRequestHeader(kMaxFrame - 1024);
    ASSERT_TRUE(IsOk(QxSendAll(greedy.Get(), head.data(), head.size(), QxDeadline(2000))));
    const std::string body(kBudget + (1 << 20), 'x');
    // The server may stop reading part-way: how far the body got is not the point.
    static_cast<void>(QxSendAll(greedy.Get(), body.data(), body.size(), QxDeadline(3000)));
    long code = 0;
    Qx_WString message;
    ASSERT_TRUE(QxTestReadReply(greedy.Get(), 3000, code, message));
    EXPECT_EQ(code, QX_RT_E_BUSY);
    EXPECT_NE(message.Find(L"budget"), -1) << Narrow(message.str());
    greedy.Reset();
    WaitForRoom();
    EXPECT_EQ(ListServices(), 0) << "the budget is given back with the connection";
}

TEST_F(ServerLimitsTest, ARequestThatWouldDecodePastTheBudgetIsRefusedWithAReply) {
    // 2 MiB of null cells decode to 48 MiB, more than the whole budget.
    Qx_Dataset nulls(L"input");
    nulls.AddColumn(L"v", QX_VT_STRING, 1, 0);
    nulls.ReserveRows(2 << 20);
    for (int r = 0; r < (2 << 20); ++r) nulls.AppendRow();
    Qx_DatasetList datasets;
    datasets.Add(nulls);
    const std::string frame = QxTestRequestFrame(L"dbm_svc_get_svclist", Qx_VariableList(1), datasets);
    QxSocket client = QxTestRawConnect(port_);
    ASSERT_TRUE(client);
    ASSERT_TRUE(IsOk(QxSendAll(client.Get(), frame.data(), frame.size(), QxDeadline(5000))));
    long code = 0;
    Qx_WString message;
    ASSERT_TRUE(QxTestReadReply(client.Get(), 5000, code, message)) << "a refusal frame, not a silent close";
    EXPECT_EQ(code, QX_RT_E_BUSY);
    EXPECT_NE(message.Find(L"memory"), -1) << Narrow(message.str());
    client.Reset();
    EXPECT_EQ(ListServices(), 0) << "what the decoding took is given back";
}

TEST_F(ServerLimitsTest, HeadersAnnouncingLargeFramesCostOnlyWhatArrives) {
    // Announced lengths alone, past the budget together, do not take it: others are served.
    std::vector<QxSocket> announcing;
    for (int i = 0; i < kMaxConnections - 1; ++i) {
        announcing.push_back(QxTestRawConnect(port_));
        const std::string head = QxTestRequestHeader(kMaxFrame - 1024);
        ASSERT_TRUE(IsOk(QxSendAll(announcing.back().Get(), head.data(), head.size(), QxDeadline(2000))));
    }
    Sleep(300);
    EXPECT_EQ(ListServices(), 0);
    announcing.clear();
    WaitForRoom();
}

TEST_F(ServerLimitsTest, AClientThatDoesNotTakeItsReplyIsDroppedAtTheSendDeadline) {
    QxSocket reader = QxTestRawConnect(port_);
    ASSERT_TRUE(reader);
    const std::string request =
        QxTestRequestFrame(L"dbm_svc_load_svc", Qx_VariableList(1), QxTestInputName(L"big_source"));
    ASSERT_TRUE(IsOk(QxSendAll(reader.Get(), request.data(), request.size(), QxDeadline(2000))));
    // It never reads. The send time-out is 1 s; others are served meanwhile.
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(ListServices(), 0);
    bool dropped = false;
    while (!dropped && GetTickCount64() - start < 8000) {
        Sleep(100);
        dropped = ServerLog().find(L"dropped)") != std::wstring::npos;
    }
    EXPECT_TRUE(dropped) << Narrow(ServerLog());
    EXPECT_LT(GetTickCount64() - start, 5000u);
}

TEST_F(ServerLimitsTest, DeviceNamesAndUnknownServicesAreRefused) {
    for (const wchar_t* name : {L"NUL", L"nul.txt", L"AUX", L"COM1", L"lpt9.cpp", L"CON .x", L"conout$"}) {
        Qx_VariableList vars(1);
        Qx_DatasetList datasets = QxTestInputName(name);
        Qx_WString error;
        EXPECT_EQ(QxTestSend(port_, L"dbm_svc_load_svc", vars, datasets, &error), QX_RT_E_NO_DEFINITION)
            << Narrow(name);
        EXPECT_EQ(datasets.GetItem(L"output"), nullptr) << Narrow(name);
        Qx_VariableList none(1);
        Qx_DatasetList nothing;
        EXPECT_EQ(QxTestSend(port_, name, none, nothing), QX_RT_E_JOB) << Narrow(name);
    }
    Qx_VariableList vars(1);
    vars.AddStr(L"anything", std::wstring(50000, L'a').c_str());
    Qx_DatasetList datasets;
    Qx_WString error;
    EXPECT_EQ(QxTestSend(port_, L"no_such_service", vars, datasets, &error), QX_RT_E_NO_DEFINITION);
    EXPECT_NE(error.Find(L"No such service"), -1) << Narrow(error.str());
}

TEST_F(ServerLimitsTest, EchoedTextsAreCutAndSaySo) {
    // A value that is not a number comes back in the message; the most of it is cut.
    Qx_VariableList vars(1);
    vars.AddStr(L"customer_id", std::wstring(60000, L'z').c_str());
    Qx_DatasetList datasets;
    Qx_WString error;
    EXPECT_EQ(QxTestSend(port_, L"demo_customer_orders", vars, datasets, &error), QX_RT_E_INPUT);
    EXPECT_LT(error.GetLength(), 2000) << "cut";
    Sleep(100);
    const std::wstring log = ServerLog();
    EXPECT_EQ(log.find(std::wstring(5000, L'z')), std::wstring::npos) << "no log line holds the whole value";
}

TEST_F(ServerLimitsTest, APerRowStatementPastItsRowLimitIsAnError) {
    Qx_Dataset customers(L"input");
    customers.AddColumn(L"name", QX_VT_STRING, 80, 0);
    customers.AddColumn(L"city", QX_VT_STRING, 80, 0);
    for (int i = 0; i < 4; ++i) {
        int row = customers.AppendRow();
        customers.SetColumn(row, L"name", L"Many");
        customers.SetColumn(row, L"city", L"Oslo");
    }
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    datasets.AddDataset(L"input", customers);
    Qx_WString error;
    EXPECT_EQ(QxTestSend(port_, L"demo_add_customers", vars, datasets, &error), QX_RT_E_INPUT);
    EXPECT_NE(error.Find(L"at most 3 rows"), -1) << Narrow(error.str());
}

TEST_F(ServerLimitsTest, IdleThreadsEndAfterABurst) {
    std::vector<QxSocket> burst;
    for (int i = 0; i < kMaxConnections; ++i) burst.push_back(QxTestRawConnect(port_));
    Sleep(300);
    const int during = QxTestThreadCount(server_->ProcessId());
    burst.clear();
    // Closed connections are seen within a poll slice; idle threads end after 1 s.
    int after = during;
    for (int i = 0; i < 40 && after >= during; ++i) {
        Sleep(100);
        after = QxTestThreadCount(server_->ProcessId());
    }
    EXPECT_LT(after, during) << "threads during the burst: " << during;
}

}  // namespace

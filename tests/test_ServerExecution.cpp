// The service access functions end to end: a service server on a free loopback port over
// the demo sources and a temporary SQLite database, reached only through the exports.
#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"
#include "support/MessageRecorder.h"
#include "support/QxServerProcess.h"
#include "support/LoopbackListener.h"
#include "support/RuntimeTestSupport.h"

namespace {
class ServiceAccess : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        temp_ = new TempDir();
        setupFailure_ = QxTestMakeDemoDb(temp_->File(L"demo.db"), connection_);
        if (!setupFailure_.empty()) return;
        server_ = new QxServerProcess();
        std::wstring args = L"--services \"" + QxTestSourceDir() + L"\\demo\\server\" --connection \"" + connection_ +
                            L"\" --read-timeout 5";
        if (!server_->Start(args)) setupFailure_ = L"the server did not start";
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
        delete temp_;
        temp_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(setupFailure_.empty()) << Qx_AString(setupFailure_.c_str(), -1, CP_UTF8).str();
        // The working directory holds the adaptor catalogue; the component folder is ".",
        // the test's own folder, where the adaptor modules are.
        ASSERT_TRUE(
            WriteBytes(work_.File(L"qrx_adaptor.xml"), ReadBytes(QxTestSourceDir() + L"\\demo\\qrx_adaptor.xml")));
        qx_SetWorkingDir(work_.Path().c_str());
        qx_SetTimeout(10);
        remote_.name = L"Demo server";
        remote_.grpname = L"demo";
        remote_.ip = L"127.0.0.1";
        remote_.port = std::to_wstring(server_->Port()).c_str();
        remote_.adaptor = L"TCP";
        remote_.remote = 1;
        local_.name = L"Demo local";
        local_.adaptor = L"ADO";
        local_.svc_forder = (QxTestSourceDir() + L"\\demo\\services").c_str();
        local_.connection_str = connection_.c_str();
        local_.bindmethod = L"Replace";
    }
    void TearDown() override {
        qx_ClearSvcList(services_);
        qx_SetWorkingDir(L"");
    }

    static TempDir* temp_;
    static QxServerProcess* server_;
    static std::wstring connection_;
    static std::wstring setupFailure_;
    TempDir work_;
    SERVER_INFO remote_, local_;
    Qx_PtrList services_;
    QxMessageRecorder messages_;
};

TempDir* ServiceAccess::temp_ = nullptr;
QxServerProcess* ServiceAccess::server_ = nullptr;
std::wstring ServiceAccess::connection_;
std::wstring ServiceAccess::setupFailure_;

const SVC_INFO& Service(const Qx_PtrList& list, int i) { return *static_cast<const SVC_INFO*>(list.Items(i)); }

TEST_F(ServiceAccess, ListsTheServersServicesWithoutTheirExtension) {
    ASSERT_EQ(qx_GetSvcList(&remote_, services_, true), 0);
    ASSERT_EQ(services_.Count(), 4);
    EXPECT_EQ(Service(services_, 3).name, L"demo_fail");
    EXPECT_EQ(Service(services_, 3).class_name, L"CFail");
    EXPECT_EQ(Service(services_, 3).svrname, L"Demo server");
    EXPECT_EQ(Service(services_, 3).grpname, L"demo");
    EXPECT_FALSE(Service(services_, 3).size.IsEmpty());
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(ServiceAccess, FetchesAndCutsTheDefinition) {
    Qx_WString definition;
    ASSERT_EQ(qx_GetSvcSource(&remote_, L"demo_customers_by_city", definition), 0);
    EXPECT_GE(definition.Find(L"<service name=\"demo_customers_by_city\""), 0);
    EXPECT_LT(definition.Find(L"SERVICE XML"), 0);
    Qx_AString bytes(definition, 0);
    Qx_Buffer buffer(bytes.GetSafeBuffer(), bytes.GetLength());
    EXPECT_EQ(qx_ValidXML(buffer), 1);
    Qx_WString unknown(L"untouched");
    EXPECT_EQ(qx_GetSvcSource(&remote_, L"no_such_service", unknown), -1);
    EXPECT_EQ(unknown, L"untouched");
}

TEST_F(ServiceAccess, RunsAServiceOnTheServer) {
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    vars.AddStr(L"city", L"Lyon");
    ASSERT_EQ(qx_LoadServerService(&remote_, Qx_WString(L"demo_customers_by_city"), vars, datasets, L"BIN", 2), 0);
    ASSERT_NE(datasets.GetItem(L"customers"), nullptr);
    EXPECT_EQ(datasets.GetItem(L"customers")->GetRowCount(), 2);
    ASSERT_NE(vars.GetItem(L"customer_count"), nullptr);
    EXPECT_EQ(vars.GetItem(L"customer_count")->ToString(), L"2");
}

TEST_F(ServiceAccess, AFailingServiceIsShownWithTheServersMessage) {
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    EXPECT_EQ(qx_LoadServerService(&remote_, Qx_WString(L"demo_fail"), vars, datasets, L"BIN", 2), -1);
    ASSERT_EQ(messages_.Texts().size(), 1u);
    EXPECT_NE(messages_.Texts()[0].find(L"no_such_table"), std::wstring::npos) << messages_.Texts()[0];
}

TEST_F(ServiceAccess, RequestsThatCannotBeSent) {
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    SERVER_INFO noGroup = remote_;
    noGroup.grpname.Empty();
    EXPECT_EQ(qx_LoadServerService(&noGroup, Qx_WString(L"demo_fail"), vars, datasets, L"", 0), -1);
    EXPECT_EQ(qx_LoadServerService(&remote_, Qx_WString(), vars, datasets, L"", 0), -1);
    EXPECT_TRUE(messages_.Texts().empty());  // nothing is shown for these

    SERVER_INFO unknown = remote_;
    unknown.adaptor = L"tcp";  // keys are matched exactly
    EXPECT_EQ(qx_LoadServerService(&unknown, Qx_WString(L"x"), vars, datasets, L"", 0), -1);
    ASSERT_EQ(messages_.Texts().size(), 1u);
    EXPECT_EQ(messages_.Texts()[0], L"[QRX-0525] Unknown adaptor. [tcp]");

    SERVER_INFO noAddress = remote_;
    noAddress.ip.Empty();
    EXPECT_EQ(qx_LoadServerService(&noAddress, Qx_WString(L"x"), vars, datasets, L"", 0), -1);
    ASSERT_EQ(messages_.Texts().size(), 2u);
    EXPECT_EQ(messages_.Texts()[1], L"Server IP or Port No. is not specified.");
    EXPECT_EQ(vars.Count() + datasets.Count(), 0);
}

TEST_F(ServiceAccess, UnknownAdaptorResultCarriesMessage525) {
    Qx_EnvProvider env;
    Qx_Provider provider(&env);
    Qx_AdapterComWrapper* wrapper = nullptr;
    SERVER_INFO unknown = remote_;
    unknown.adaptor = L"NOPE";
    Qx_Result result = qx_LoadAdapter(&unknown, wrapper, &provider);
    EXPECT_NE(result.GetCode(), 0);
    ASSERT_NE(result.GetLastMsg(), nullptr);
    EXPECT_EQ(result.GetLastMsg()->id, 525);
    EXPECT_EQ(result.GetLastMsg()->text, L"[QRX-0525] Unknown adaptor. [NOPE]");
    EXPECT_EQ(wrapper, nullptr);
    EXPECT_EQ(qx_LoadAdapter(&remote_, wrapper, &provider).GetCode(), 0);
    EXPECT_NE(wrapper, nullptr);
}

TEST_F(ServiceAccess, RefusedAndSilentServersFailWithinTheTimeOut) {
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    // A port nobody listens on.
    const int unused = QxUnusedLoopbackPort();
    ASSERT_NE(unused, 0);
    SERVER_INFO refused = remote_;
    refused.port = std::to_wstring(unused).c_str();
    EXPECT_EQ(qx_LoadServerService(&refused, Qx_WString(L"demo_fail"), vars, datasets, L"", 0), -1);
    EXPECT_EQ(messages_.Texts().size(), 1u);

    // A server that accepts but never answers.
    QxLoopbackListener silent;
    ASSERT_NE(silent.Port(), 0);
    SERVER_INFO mute = remote_;
    mute.port = std::to_wstring(silent.Port()).c_str();
    qx_SetTimeout(1);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(qx_LoadServerService(&mute, Qx_WString(L"demo_fail"), vars, datasets, L"", 0), -1);
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_EQ(messages_.Texts().size(), 2u);
}

TEST_F(ServiceAccess, RunsAServiceLocally) {
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    vars.AddStr(L"city", L"Lyon");
    vars.AddStr(L"unused", L"dropped");
    ASSERT_EQ(qx_LoadLocalService(&local_, L"demo_customers_by_city", vars, datasets, 0), 0);
    EXPECT_EQ(vars.GetItem(L"city"), nullptr);  // only outputs come back
    EXPECT_EQ(vars.GetItem(L"unused"), nullptr);
    ASSERT_NE(vars.GetItem(L"customer_count"), nullptr);
    EXPECT_EQ(vars.GetItem(L"customer_count")->ToString(), L"2");
    ASSERT_NE(datasets.GetItem(L"customers"), nullptr);
    EXPECT_EQ(datasets.GetItem(L"customers")->GetRowCount(), 2);
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(ServiceAccess, LocalFailuresReportMinusOne) {
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    vars.AddStr(L"keep", L"me");
    SERVER_INFO unknown = local_;
    unknown.adaptor = L"NOPE";
    EXPECT_EQ(qx_LoadLocalService(&unknown, L"demo_customers_by_city", vars, datasets, 0), -1);
    EXPECT_EQ(vars.Count(), 1);                                             // untouched
    EXPECT_EQ(qx_LoadLocalService(&local_, L"..", vars, datasets, 0), -1);  // refused job
    EXPECT_EQ(vars.Count(), 1);
    EXPECT_EQ(qx_LoadLocalService(&local_, L"demo_fail", vars, datasets, 0), -1);  // a failed run
    EXPECT_EQ(vars.Count() + datasets.Count(), 0);
    EXPECT_TRUE(messages_.Texts().empty());  // local runs show nothing
}
}  // namespace

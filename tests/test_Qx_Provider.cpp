#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "runtime/internal/QxSocket.h"
#include "support/LoopbackListener.h"
#include "support/RuntimeTestSupport.h"
#include "support/StatusAssertions.h"
#include <ws2tcpip.h>

namespace {

std::string Narrow(const Qx_WString& text) { return Qx_AString(text.c_str(), -1, CP_UTF8).str(); }

}  // namespace

TEST(Provider, EnvironmentStringsLookUpOwnThenParentThenEnvironmentProvider) {
    Qx_EnvProvider env;
    env.SetEnvStr(L"A", L"env");
    env.SetEnvStr(L"B", L"env");
    env.SetEnvStr(L"C", L"env");
    Qx_Provider parent(&env);
    parent.SetEnvStr(L"B", L"parent");
    parent.SetEnvStr(L"C", L"parent");
    Qx_Provider provider(&env, &parent);
    provider.SetEnvStr(L"C", L"old");
    provider.SetEnvStr(L"c", L"own");  // names ignore case; the value is replaced
    EXPECT_STREQ(provider.GetEnvStr(L"A"), L"env");
    EXPECT_STREQ(provider.GetEnvStr(L"B"), L"parent");
    EXPECT_STREQ(provider.GetEnvStr(L"C"), L"own");
    EXPECT_EQ(provider.GetEnvStr(L"D"), nullptr);
    EXPECT_EQ(provider.GetEnvList().Count(), 1);

    Qx_VariableList envs(1);
    envs.AddStr(L"D", L"loaded");
    Qx_Variant n;
    n.SetInt(7);
    envs.Add(L"E", n);
    provider.LoadEnvs(envs);
    EXPECT_STREQ(provider.GetEnvStr(L"D"), L"loaded");
    EXPECT_STREQ(provider.GetEnvStr(L"E"), L"7");
}

TEST(Provider, VariablesAndDatasetsAreCopiesAndFreeAllDropsThem) {
    Qx_Provider provider;
    provider.SetEnvStr(L"X", L"1");
    provider.GetSafeVarList().AddStr(L"v", L"1");
    Qx_Dataset ds(L"ignored id");
    ds.AddColumn(L"c", QX_VT_STRING, 10, 0);
    ds.AppendRow();
    EXPECT_EQ(provider.AddDataset(L"d", ds), 0);
    ds.AppendRow();
    EXPECT_EQ(provider.AddDataset(L"D", ds), 0);  // same id: replaced in place
    EXPECT_EQ(provider.GetDatasetList().Count(), 1);
    EXPECT_EQ(provider.GetDatasetList().GetItem(L"d")->GetRowCount(), 2);
    EXPECT_EQ(provider.GetDatasetList().GetItem(L"d")->GetId(), L"D");
    provider.FreeAll();
    EXPECT_EQ(provider.GetVarList().Count(), 0);
    EXPECT_EQ(provider.GetDatasetList().Count(), 0);
    EXPECT_EQ(provider.GetEnvStr(L"X"), nullptr);
}

TEST(Provider, MissingModuleOrEntryPointIsReportedWithModuleAndFolder) {
    const std::wstring bin = QxTestBinDir();
    struct Case {
        std::wstring dir;
        const wchar_t* module;
        long code;
    } cases[] = {
        {bin, L"NoSuchAdaptor320U", QX_RT_E_MODULE_LOAD},
        {bin + L"\\no_such_folder", L"QxTcpAdaptor320U", QX_RT_E_MODULE_LOAD},
        {bin, L"", QX_RT_E_MODULE_LOAD},
        {bin, L"QxQVInfo320U", QX_RT_E_ENTRY_POINT},  // a DLL without QxCreateAdaptor
    };
    for (const Case& c : cases) {
        Qx_Provider provider;
        Qx_AdapterComWrapper* untouched = reinterpret_cast<Qx_AdapterComWrapper*>(0x1);
        EXPECT_EQ(provider.CreateFrameService(c.dir.c_str(), c.module, L"", L"", 1, L"", untouched, 1), c.code)
            << Narrow(Qx_WString(c.module));
        EXPECT_EQ(untouched, reinterpret_cast<Qx_AdapterComWrapper*>(0x1));
        EXPECT_NE(provider.GetLastErrorText().Find(c.module), -1) << Narrow(provider.GetLastErrorText());
        EXPECT_NE(provider.GetLastErrorText().Find(c.dir.c_str()), -1) << Narrow(provider.GetLastErrorText());
        EXPECT_EQ(provider.GetLastResult().GetCode(), c.code);
    }
}

TEST(Provider, FrameServicesByKind) {
    Qx_Provider provider;
    Qx_AdapterComWrapper* tcp = nullptr;
    Qx_AdapterComWrapper* odbc = nullptr;
    ASSERT_EQ(provider.CreateFrameService(QxTestBinDir().c_str(), L"QxTcpAdaptor320U", L"", L"", 1, L"", tcp, 1), 0);
    ASSERT_EQ(provider.CreateFrameService((QxTestBinDir() + L"\\").c_str(), L"QxOdbcAdaptor320U.dll", L"", L"", 1, L"",
                                          odbc, 1),
              0);
    EXPECT_NE(tcp->GetComAdaptor(), nullptr);
    EXPECT_EQ(tcp->GetDbAdaptor(), nullptr);
    EXPECT_NE(odbc->GetDbAdaptor(), nullptr);
    EXPECT_TRUE(provider.GetLastErrorText().IsEmpty());
    EXPECT_EQ(tcp->GetProvider(), &provider);
    // A database adaptor cannot send requests.
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    EXPECT_EQ(odbc->SendReq(vars, datasets, L"127.0.0.1", 1, 1, 1, 0), QX_RT_E_ADAPTOR);
    EXPECT_FALSE(odbc->GetLastErrorText().IsEmpty());
    provider.ReleaseFrameService(odbc);
    provider.ReleaseFrameService(odbc);  // unknown by now: ignored
}

TEST(AdapterComWrapper, ConnectFailureAndTimeOutAreReported) {
    Qx_Provider provider;
    provider.SetEnvStr(L"GROUP_NAME", L"demo");
    provider.SetEnvStr(L"SERVICE_NAME", L"anything");
    Qx_AdapterComWrapper* tcp = nullptr;
    ASSERT_EQ(provider.CreateFrameService(QxTestBinDir().c_str(), L"QxTcpAdaptor320U", L"", L"", 1, L"", tcp, 1), 0);

    QxLoopbackListener silent;
    ASSERT_NE(silent.Port(), 0);
    Qx_VariableList vars(1);
    vars.AddStr(L"kept", L"1");
    Qx_DatasetList datasets;
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(tcp->SendReq(vars, datasets, L"127.0.0.1", silent.Port(), 1, 1, 0), QX_RT_E_TIMEOUT);
    ULONGLONG took = GetTickCount64() - start;
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 5000u);
    EXPECT_NE(tcp->GetLastErrorText().Find(L"timed out"), -1) << Narrow(tcp->GetLastErrorText());
    EXPECT_EQ(vars.Count(), 1);  // nothing added

    silent.Close();
    EXPECT_EQ(tcp->SendReq(vars, datasets, L"127.0.0.1", silent.Port(), 2, 1, 0), QX_RT_E_CONNECT);
    EXPECT_FALSE(tcp->GetLastErrorText().IsEmpty());
    EXPECT_EQ(tcp->SendReq(vars, datasets, L"", 80, 2, 1, 0), QX_RT_E_CONNECT);
    EXPECT_EQ(tcp->SendReq(vars, datasets, L"127.0.0.1", 0, 2, 1, 0), QX_RT_E_CONNECT);
    EXPECT_EQ(tcp->GetLastResult().GetCode(), QX_RT_E_CONNECT);
}

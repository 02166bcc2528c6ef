#include <gtest/gtest.h>
#include "platform/QxBarrier.h"
#include <stdexcept>
#include <string>
#include <vector>
#include "QxQVInfo320U.h"
#include "support/AllocationFailure.h"
#include "support/MessageRecorder.h"
#include "support/ScratchFolder.h"
#include <shlwapi.h>

namespace {

TEST(QxBarrier, AnExceptionBecomesTheFailureResultAndIsReported) {
    std::string told;
    auto tell = [&](const char* what) { told = what; };
    EXPECT_EQ(QxBarrier(
                  -1, [] { return 7; }, tell),
              7);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(QxBarrier(
                  -1, []() -> int { throw std::bad_alloc(); }, tell),
              -1);
    EXPECT_EQ(told, "out of memory");
    EXPECT_EQ(QxBarrier(
                  -2, []() -> int { throw std::length_error("too long"); }, tell),
              -2);
    EXPECT_EQ(told, "too long");
    EXPECT_EQ(QxBarrier(
                  -3, []() -> int { throw 42; }, tell),
              -3);
    EXPECT_EQ(told, "an unexpected failure");
}

TEST(QxBarrier, AReportThatFailsTooStillGivesTheResult) {
    auto failingTell = [](const char*) { throw std::bad_alloc(); };
    EXPECT_EQ(QxBarrier(
                  -1, []() -> int { throw std::bad_alloc(); }, failingTell),
              -1);
    bool ran = false;
    QxBarrierVoid([&] {
        ran = true;
        std::vector<char> huge;
        huge.reserve(static_cast<size_t>(-1) / 2);  // more than any address space holds
    });
    EXPECT_TRUE(ran);
}

}  // namespace

// Memory running out at every step of an exported call: at each allocation in turn, until
// the call needs no more. No exception may leave the export, the answer is the export's own
// failure result, and what the caller handed in is left as each export promises.
namespace {

const char kServers[] =
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<environments><server>"
    "<e name=\"one\" ip=\"127.0.0.1\" port=\"1\"/><e name=\"two\" grpname=\"caf\xE9\"/><e name=\"three\"/>"
    "</server></environments>\r\n";
const char kAdaptors[] =
    "<adaptors><a adaptor=\"ADO\" moudle=\"m\" id=\"i\" type=\"t\" name=\"n\" ver=\"1\"/>"
    "<a adaptor=\"TCP\" moudle=\"m2\" id=\"i2\" type=\"t2\" name=\"n2\" ver=\"2\"/></adaptors>";
const char kModules[] = "<adaptors><m name=\"a\" module=\"A\"/><m name=\"b\" module=\"B\"/></adaptors>";
const char kMembers[] =
    "<objectlist><o name=\"A\" type=\"TA\"><var name=\"v\" type=\"int\"/><method name=\"m\" prototype=\"m()\"/></o>"
    "<o name=\"B\" type=\"TB\"/></objectlist>";

class ExportBarrierTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.Write(L"qrx_serverenv.xml", kServers);
        folder_.Write(L"qrx_adaptor.xml", kAdaptors);
        folder_.Write(L"qrx_environment.xml", kModules);
        folder_.Write(L"members.xml", kMembers);
        qx_SetWorkingDir(folder_.Path().c_str());
    }
    void TearDown() override { qx_SetWorkingDir(L""); }

    QxScratchFolder folder_;
    QxMessageRecorder messages_;
};

// The records a failed read leaves are the first ones of the file, each one whole.
void ExpectLeadingServers(Qx_PtrList& list, int allowed) {
    const wchar_t* names[] = {L"one", L"two", L"three"};
    ASSERT_LT(list.Count(), 3) << allowed;
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(static_cast<SERVER_INFO*>(list.Items(i))->name, names[i]);
    qx_ClearServerInformation(list);
}

TEST_F(ExportBarrierTest, ConfigurationReadersAnswerFailure) {
    Qx_PtrList list;
    EXPECT_GT(SweepAllocationFailures([&] { return qx_ReadServerList(list); },
                                      [&](bool read, int allowed) {
                                          EXPECT_FALSE(read) << allowed;
                                          ExpectLeadingServers(list, allowed);
                                      }),
              0);
    EXPECT_EQ(list.Count(), 3);  // the run that met no failure
    qx_ClearServerInformation(list);

    EXPECT_GT(SweepAllocationFailures([&] { return qx_ReadEnvironmentList(list); },
                                      [&](bool read, int allowed) {
                                          EXPECT_FALSE(read) << allowed;
                                          EXPECT_LT(list.Count(), 2) << allowed;
                                          for (int i = 0; i < list.Count(); ++i)
                                              delete static_cast<ENVIRONMENT_INFO*>(list.Items(i));
                                          list.Clear();
                                      }),
              0);
    for (int i = 0; i < list.Count(); ++i) delete static_cast<ENVIRONMENT_INFO*>(list.Items(i));
    list.Clear();

    EXPECT_GT(SweepAllocationFailures([&] { return qx_ReadAdapterInformation(list); },
                                      [&](long read, int allowed) {
                                          EXPECT_EQ(read, -1) << allowed;
                                          EXPECT_LT(list.Count(), 2) << allowed;
                                          qx_ClearAdapterInfoList(list);
                                      }),
              0);
    EXPECT_EQ(list.Count(), 2);
    qx_ClearAdapterInfoList(list);
}

TEST_F(ExportBarrierTest, AdaptorLookUpLeavesOutAsItWas) {
    ADAPTER_INFO out;
    out.adaptor = L"before";
    out.dir = L"dir";
    EXPECT_GT(SweepAllocationFailures([&] { return qx_GetAdapterInfo(L"TCP", out); },
                                      [&](long found, int allowed) {
                                          EXPECT_EQ(found, -1) << allowed;
                                          EXPECT_EQ(out.adaptor, L"before") << allowed;
                                          EXPECT_EQ(out.dir, L"dir") << allowed;
                                          EXPECT_TRUE(out.module.IsEmpty()) << allowed;
                                      }),
              0);
    EXPECT_EQ(out.module, L"m2");
}

TEST_F(ExportBarrierTest, MemberListKeepsTheObjectsAlreadyAdded) {
    CObjectList catalogue;
    const std::wstring path = folder_.File(L"members.xml");
    EXPECT_GT(SweepAllocationFailures([&] { return catalogue.ReadMemberList(path.c_str()); },
                                      [&](int read, int allowed) {
                                          EXPECT_EQ(read, 0) << allowed;
                                          EXPECT_LT(catalogue.Count(), 2) << allowed;
                                          if (catalogue.Count() == 1) {
                                              EXPECT_EQ(catalogue.Items(0)->name, L"A");
                                          }
                                          catalogue.ClearObject();
                                      }),
              0);
    EXPECT_EQ(catalogue.Count(), 2);
    catalogue.ClearObject();
}

TEST_F(ExportBarrierTest, TextFilesAnswerFailureAndKeepWhatWasThere) {
    const std::wstring path = folder_.File(L"members.xml");
    Qx_Buffer buffer;
    buffer.AppendStr("keep");
    EXPECT_GT(SweepAllocationFailures([&] { return qx_GetTextFileSource(path.c_str(), buffer); },
                                      [&](bool read, int allowed) {
                                          EXPECT_FALSE(read) << allowed;
                                          EXPECT_STREQ(buffer.GetData(), "keep") << allowed;
                                      }),
              0);

    // The text is handed over by value: each run gets a copy made before memory runs out.
    const Qx_WString text(L"new text\nof two lines");
    for (int allowed = 0;; ++allowed) {
        Qx_WString copy(text);
        long written = 0;
        int failed = 0;
        {
            AllocationFailure failure(allowed);
            ASSERT_TRUE(failure.Valid());
            written = qx_PutTextFileSource(path.c_str(), std::move(copy));
            failed = AllocationFailure::Failed();
        }
        if (failed == 0) break;
        EXPECT_EQ(written, -1) << allowed;
        EXPECT_EQ(ReadBytes(path), kMembers) << allowed;
    }
    EXPECT_EQ(ReadBytes(path), "new text\r\nof two lines");
}

TEST_F(ExportBarrierTest, RegistryTextReadAnswersZeroWithOutEmpty) {
    const std::wstring key = L"Software\\QxQVInfo320U-tests\\barrier-" + std::to_wstring(GetCurrentProcessId());
    CRegistry registry;
    ASSERT_EQ(registry.CreateKey(CRegistry::CurrentUser, key.c_str()), 1);
    ASSERT_EQ(registry.SetValue(L"long", std::wstring(5000, L'v').c_str(), 0), 1);
    CString out(L"stale");
    EXPECT_GT(SweepAllocationFailures([&] { return registry.GetValue(L"long", out); },
                                      [&](int read, int allowed) {
                                          EXPECT_EQ(read, 0) << allowed;
                                          EXPECT_TRUE(out.IsEmpty()) << allowed;
                                      }),
              0);
    EXPECT_EQ(out.GetLength(), 5000);
    registry.CloseKey();
    SHDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QxQVInfo320U-tests");
}

TEST_F(ExportBarrierTest, ServiceAccessAnswersFailure) {
    folder_.Write(L"svc.xml", "<service name=\"svc\"/>");
    SERVER_INFO local;
    local.svc_forder = folder_.Path().c_str();
    Qx_WString out(L"before");
    EXPECT_GT(SweepAllocationFailures([&] { return qx_GetSvcSource(&local, L"svc", out); },
                                      [&](long fetched, int allowed) {
                                          EXPECT_EQ(fetched, -1) << allowed;
                                          EXPECT_EQ(out, L"before") << allowed;
                                      }),
              0);
    EXPECT_EQ(out, L"<service name=\"svc\"/>");

    Qx_PtrList services;
    EXPECT_GT(SweepAllocationFailures([&] { return qx_GetSvcList(&local, services, false); },
                                      [&](long listed, int allowed) {
                                          EXPECT_EQ(listed, -1) << allowed;
                                          qx_ClearSvcList(services);
                                      }),
              0);
    qx_ClearSvcList(services);

    Qx_WString source(L"code\n/**__SERVICE XML BEGIN__\n<s/>\n__SERVICE XML END__**/\n");
    Qx_WString cut(L"before");
    EXPECT_GT(SweepAllocationFailures(
                  [&] {
                      qx_GetXMLSource(source, cut);
                      return 0;
                  },
                  [&](int, int allowed) { EXPECT_EQ(cut, L"before") << allowed; }),
              0);
    EXPECT_EQ(cut, L"\n<s/>\n\n");

    Qx_Buffer xml("<a><b/></a>", 11);
    EXPECT_GT(SweepAllocationFailures([&] { return qx_ValidXML(xml); },
                                      [&](int valid, int allowed) { EXPECT_EQ(valid, 0) << allowed; }),
              0);

    local.adaptor = L"no such adaptor";
    Qx_VariableList variables(1);
    Qx_DatasetList datasets;
    EXPECT_GT(SweepAllocationFailures([&] { return qx_LoadLocalService(&local, L"svc", variables, datasets, 0); },
                                      [&](long ran, int allowed) { EXPECT_EQ(ran, -1) << allowed; }),
              0);
}

}  // namespace

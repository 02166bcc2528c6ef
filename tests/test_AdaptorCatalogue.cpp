#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "config/ToolSettings.h"
#include "support/MessageRecorder.h"
#include "support/RegistryRootOverride.h"
#include "support/ScratchFolder.h"
#include "support/ToolSettingsGuard.h"
#include <string>
#include <vector>

namespace {

const char kTwoAdaptors[] =
    "<?xml version=\"1.0\"?>\n"
    "<adaptors>\n"
    "  <adaptor adaptor=\"ADO\" moudle=\"QxOdbcAdaptor320U\" id=\"ODBC\" type=\"DB\" name=\"ODBC db\" ver=\"1\"/>\n"
    "  <other adaptor=\"TCP\" moudle=\"QxTcpAdaptor320U\" id=\"TCP\" type=\"COM\" name=\" TCP \" ver=\"2.0\"/>\n"
    "</adaptors>\n";

class AdaptorCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { qx_SetWorkingDir(folder_.Path().c_str()); }
    void TearDown() override {
        qx_ClearAdapterInfoList(list_);
        qx_SetWorkingDir(L"");
    }
    void WriteCatalogue(const std::string& text) { folder_.Write(L"qrx_adaptor.xml", text); }
    const ADAPTER_INFO& At(int i) const { return *static_cast<const ADAPTER_INFO*>(list_.Items(i)); }

    QxScratchFolder folder_;
    QxMessageRecorder messages_;
    Qx_PtrList list_;
};

using Texts = std::vector<std::wstring>;

TEST_F(AdaptorCatalogueTest, ReadsEveryAdaptorInOrder) {
    WriteCatalogue(kTwoAdaptors);
    ASSERT_EQ(0, qx_ReadAdapterInformation(list_));
    ASSERT_EQ(2, list_.Count());
    const ADAPTER_INFO& ado = At(0);
    EXPECT_EQ(ado.adaptor, L"ADO");
    EXPECT_EQ(ado.module, L"QxOdbcAdaptor320U");
    EXPECT_EQ(ado.id, L"ODBC");
    EXPECT_EQ(ado.type, L"DB");
    EXPECT_EQ(ado.name, L"ODBC db");
    EXPECT_EQ(ado.ver, L"1");
    EXPECT_EQ(ado.dir, folder_.Path().c_str());
    // Any tag is an adaptor, and values are kept as they stand.
    EXPECT_EQ(At(1).adaptor, L"TCP");
    EXPECT_EQ(At(1).name, L" TCP ");
    EXPECT_EQ(At(1).ver, L"2.0");
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(AdaptorCatalogueTest, AppendsWithoutEmptyingTheList) {
    WriteCatalogue(kTwoAdaptors);
    ASSERT_EQ(0, qx_ReadAdapterInformation(list_));
    ASSERT_EQ(0, qx_ReadAdapterInformation(list_));
    EXPECT_EQ(4, list_.Count());
    EXPECT_EQ(At(2).adaptor, L"ADO");
}

TEST_F(AdaptorCatalogueTest, EmptyRootGivesNoAdaptors) {
    WriteCatalogue("<adaptors></adaptors>");
    EXPECT_EQ(0, qx_ReadAdapterInformation(list_));
    EXPECT_EQ(0, list_.Count());
    ADAPTER_INFO out;
    EXPECT_EQ(-1, qx_GetAdapterInfo(L"ADO", out));
    EXPECT_TRUE(messages_.Texts().empty());
}

// Each broken catalogue: what the reader answers and which messages it shows.
struct BrokenCase {
    const char* label;
    const char* text;  // null: no file at all
    Texts messages;
};

class BrokenCatalogue : public AdaptorCatalogueTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenCatalogue, FailsWithItsMessageAndLeavesTheListAlone) {
    const BrokenCase& c = GetParam();
    if (c.text) WriteCatalogue(c.text);
    ADAPTER_INFO* earlier = new ADAPTER_INFO;
    list_.Add(earlier);
    EXPECT_EQ(-1, qx_ReadAdapterInformation(list_)) << c.label;
    ASSERT_EQ(1, list_.Count()) << c.label;
    EXPECT_EQ(earlier, list_.Items(0));
    EXPECT_EQ(c.messages, messages_.Texts()) << c.label;
    for (unsigned type : messages_.Types()) EXPECT_EQ(0u, type) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenCatalogue,
    ::testing::Values(
        BrokenCase{"missing", nullptr, {L"XML load failed"}}, BrokenCase{"empty", "", {L"Invalid XML"}},
        BrokenCase{"truncated", "<adaptors><adaptor adaptor=\"ADO\" moudle=\"m\" id=\"i\"", {L"Invalid XML"}},
        BrokenCase{"unclosed",
                   "<adaptors><adaptor adaptor=\"ADO\" moudle=\"m\" id=\"i\" type=\"t\" name=\"n\" ver=\"1\"/>",
                   {L"Invalid XML"}},
        BrokenCase{"no root", "<catalogue><adaptor adaptor=\"ADO\"/></catalogue>", {}}));

// An adaptor without one of its six attributes ends the reading; those before it stay.
class MissingAttribute : public AdaptorCatalogueTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingAttribute, StopsWithInvalidXmlAndKeepsEarlierAdaptors) {
    const std::string missing = GetParam();
    std::string second = "<adaptor";
    for (const char* attr : {"adaptor", "moudle", "id", "type", "name", "ver"})
        if (missing != attr) second += std::string(" ") + attr + "=\"x\"";
    second += "/>";
    WriteCatalogue("<adaptors><adaptor adaptor=\"A\" moudle=\"m\" id=\"i\" type=\"t\" name=\"n\" ver=\"1\"/>" + second +
                   "<adaptor adaptor=\"C\" moudle=\"m\" id=\"i\" type=\"t\" name=\"n\" ver=\"1\"/></adaptors>");
    EXPECT_EQ(-1, qx_ReadAdapterInformation(list_)) << missing;
    ASSERT_EQ(1, list_.Count()) << missing;
    EXPECT_EQ(At(0).adaptor, L"A");
    EXPECT_EQ(Texts{L"Invalid XML"}, messages_.Texts());
}

INSTANTIATE_TEST_SUITE_P(Attributes, MissingAttribute,
                         ::testing::Values("adaptor", "moudle", "id", "type", "name", "ver"));

TEST_F(AdaptorCatalogueTest, TheCorrectlySpelledModuleAttributeIsNotRead) {
    WriteCatalogue(
        "<adaptors><adaptor adaptor=\"A\" module=\"m\" id=\"i\" type=\"t\" name=\"n\" ver=\"1\"/></adaptors>");
    EXPECT_EQ(-1, qx_ReadAdapterInformation(list_));
    EXPECT_EQ(0, list_.Count());
}

class AdaptorLookupTest : public AdaptorCatalogueTest {
protected:
    QxToolSettingsGuard settings_;
};

TEST_F(AdaptorLookupTest, FindsTheFirstExactKeyAndUsesTheComponentFolder) {
    WriteCatalogue(
        "<adaptors>"
        "<a adaptor=\"ADO\" moudle=\"first\" id=\"1\" type=\"DB\" name=\"n1\" ver=\"1\"/>"
        "<a adaptor=\"ADO\" moudle=\"second\" id=\"2\" type=\"DB\" name=\"n2\" ver=\"2\"/>"
        "</adaptors>");
    settings_.SetText(kQxSettingComponentPath, L"C:\\Tools\\Components");
    ADAPTER_INFO out;
    ASSERT_EQ(0, qx_GetAdapterInfo(L"ADO", out));
    EXPECT_EQ(out.adaptor, L"ADO");
    EXPECT_EQ(out.module, L"first");
    EXPECT_EQ(out.id, L"1");
    EXPECT_EQ(out.type, L"DB");
    EXPECT_EQ(out.name, L"n1");
    EXPECT_EQ(out.ver, L"1");
    EXPECT_EQ(out.dir, L"C:\\Tools\\Components");
}

TEST_F(AdaptorLookupTest, ComponentFolderIsDotWhenMissingOrEmpty) {
    WriteCatalogue(kTwoAdaptors);
    settings_.Remove(kQxSettingComponentPath);
    ADAPTER_INFO out;
    ASSERT_EQ(0, qx_GetAdapterInfo(L"TCP", out));
    EXPECT_EQ(out.dir, L".");
    settings_.SetText(kQxSettingComponentPath, L"");
    ADAPTER_INFO again;
    ASSERT_EQ(0, qx_GetAdapterInfo(L"TCP", again));
    EXPECT_EQ(again.dir, L".");
    if (settings_.RemoveKey()) {  // only when the settings key is ours to delete
        ADAPTER_INFO noKey;
        ASSERT_EQ(0, qx_GetAdapterInfo(L"TCP", noKey));
        EXPECT_EQ(noKey.dir, L".");
    }
}

TEST_F(AdaptorCatalogueTest, ComponentFolderComesFromASettingsKeyThatOnlyAllowsReading) {
    QxRegistryRootOverride user(HKEY_CURRENT_USER);
    ASSERT_TRUE(user.Active()) << "HKEY_CURRENT_USER cannot be redirected here";
    user.SetText(kQxToolSettingsKey, kQxSettingComponentPath, L"C:\\Tools\\Components");
    ASSERT_TRUE(user.MakeReadOnly(kQxToolSettingsKey));
    WriteCatalogue(kTwoAdaptors);
    ADAPTER_INFO out;
    ASSERT_EQ(0, qx_GetAdapterInfo(L"TCP", out));
    EXPECT_EQ(out.dir, L"C:\\Tools\\Components");
}

TEST_F(AdaptorLookupTest, FailedLookupLeavesTheOutputAlone) {
    WriteCatalogue(kTwoAdaptors);
    ADAPTER_INFO out;
    out.adaptor = L"keep";
    out.dir = L"mine";
    EXPECT_EQ(-1, qx_GetAdapterInfo(L"ado", out));  // case counts
    EXPECT_EQ(-1, qx_GetAdapterInfo(L"", out));
    EXPECT_EQ(-1, qx_GetAdapterInfo(nullptr, out));
    EXPECT_EQ(out.adaptor, L"keep");
    EXPECT_EQ(out.dir, L"mine");
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(AdaptorLookupTest, MissingCatalogueShowsItsMessage) {
    ADAPTER_INFO out;
    EXPECT_EQ(-1, qx_GetAdapterInfo(L"ADO", out));
    EXPECT_EQ(Texts{L"XML load failed"}, messages_.Texts());
}

TEST_F(AdaptorLookupTest, AdaptorsReadBeforeABrokenEntryAreStillFound) {
    WriteCatalogue(
        "<adaptors><a adaptor=\"ADO\" moudle=\"m\" id=\"i\" type=\"t\" name=\"n\" ver=\"1\"/>"
        "<a adaptor=\"TCP\"/></adaptors>");
    ADAPTER_INFO out;
    EXPECT_EQ(0, qx_GetAdapterInfo(L"ADO", out));
    EXPECT_EQ(out.module, L"m");
    EXPECT_EQ(-1, qx_GetAdapterInfo(L"TCP", out));
    EXPECT_EQ((Texts{L"Invalid XML", L"Invalid XML"}), messages_.Texts());
}

TEST(AdaptorCatalogueDemo, ShippedCatalogueHoldsBothAdaptors) {
    const char* source = getenv("QX_SOURCE_DIR");
    if (!source) GTEST_SKIP() << "QX_SOURCE_DIR is not set";
    std::wstring demo;
    for (const char* c = source; *c; ++c) demo += static_cast<wchar_t>(*c);
    demo += L"\\demo";
    qx_SetWorkingDir(demo.c_str());
    Qx_PtrList list;
    EXPECT_EQ(0, qx_ReadAdapterInformation(list));
    ASSERT_EQ(2, list.Count());
    EXPECT_EQ(static_cast<ADAPTER_INFO*>(list.Items(0))->module, L"QxOdbcAdaptor320U");
    EXPECT_EQ(static_cast<ADAPTER_INFO*>(list.Items(1))->module, L"QxTcpAdaptor320U");
    qx_ClearAdapterInfoList(list);
    qx_SetWorkingDir(L"");
}

}  // namespace

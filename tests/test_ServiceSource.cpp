#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"
#include "platform/QxWin.h"

namespace {
struct CutCase {
    const char* what;
    const wchar_t* source;
    const wchar_t* definition;
};

class XmlSourceCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(XmlSourceCut, KeepsOnlyTheBlock) {
    Qx_WString source(GetParam().source), out(L"stale");
    qx_GetXMLSource(source, out);
    EXPECT_EQ(out.str(), GetParam().definition) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, XmlSourceCut,
    ::testing::Values(
        CutCase{"no markers", L"int main() {}\n", L""}, CutCase{"empty", L"", L""},
        CutCase{"one block", L"code\n/**__SERVICE XML BEGIN__\n<s>\n</s>\n__SERVICE XML END__**/\nmore\n",
                L"\n<s>\n</s>\n\n"},
        CutCase{"text beside markers", L"x /**__SERVICE XML BEGIN__<a>\n<b/>\n</a>__SERVICE XML END__**/ y\n",
                L"x <a>\n<b/>\n</a> y\n"},
        CutCase{
            "org source lines dropped",
            L"/**__SERVICE XML "
            L"BEGIN__\n<a>\n//____ORG_SOURCE_BEGIN____\nkept\n//____ORG_SOURCE_END____\n</a>\n__SERVICE XML END__**/",
            L"\n<a>\nkept\n</a>\n"},
        CutCase{"two blocks",
                L"/**__SERVICE XML BEGIN__\n1\n__SERVICE XML END__**/\nx\n/**__SERVICE XML BEGIN__\n2\n__SERVICE XML "
                L"END__**/\n",
                L"\n1\n\n\n2\n\n"},
        CutCase{"end marker alone", L"a\n__SERVICE XML END__**/ tail\nb\n", L" tail\n"},
        CutCase{"begin without end", L"/**__SERVICE XML BEGIN__\n<a/>\nrest", L"\n<a/>\nrest"},
        CutCase{"both markers on one line", L"/**__SERVICE XML BEGIN__ x __SERVICE XML END__**/\nstill in\n",
                L" x __SERVICE XML END__**/\nstill in\n"},
        CutCase{"carriage returns kept", L"/**__SERVICE XML BEGIN__\r\n<a/>\r\n__SERVICE XML END__**/\r\n",
                L"\r\n<a/>\r\n\r\n"}));

TEST(ServiceSourceHelpers, CDataTextOrOwnText) {
    Qx_XmlDOM dom(0);
    ASSERT_EQ(dom.LoadXML(L"<r><sql>own<![CDATA[SELECT 1 < 2]]></sql><plain>text</plain><none/></r>"), 1);
    const Qx_DOMElemList* kids = dom.GetItem(0)->GetChildList();
    Qx_WString out;
    qx_GetCDataStr(kids->GetItem(0), out);
    EXPECT_EQ(out, L"SELECT 1 < 2");
    qx_GetCDataStr(kids->GetItem(1), out);
    EXPECT_EQ(out, L"text");
    qx_GetCDataStr(kids->GetItem(2), out);
    EXPECT_EQ(out, L"");
}

TEST(ServiceSourceHelpers, DatasetColumnsReplaceWhatWasThere) {
    Qx_Dataset ds;
    ds.AddColumn(L"old", QX_VT_INT, 4, 0);
    ds.AppendRow();
    qx_MakeDatasetColumns(ds);
    ASSERT_EQ(ds.GetColumnCount(), 4);
    EXPECT_EQ(ds.GetRowCount(), 0);
    const wchar_t* names[] = {L"name", L"type", L"size", L"comment"};
    const int sizes[] = {255, 255, 255, 1024};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ds.GetColumnInfo(i)->name, names[i]);
        EXPECT_EQ(ds.GetColumnInfo(i)->size, sizes[i]);
        EXPECT_EQ(ds.GetColumnInfo(i)->type, QX_VT_STRING);
    }
}

TEST(ServiceSourceHelpers, ValidXml) {
    Qx_Buffer good("<a/>", 4), bad("<a>", 3), empty;
    EXPECT_EQ(qx_ValidXML(good), 1);
    EXPECT_EQ(qx_ValidXML(bad), 0);
    EXPECT_EQ(qx_ValidXML(empty), 0);
}

// The local folder: <svc_forder>\<name>.xml read whole, and the service list from it.
class LocalServices : public ::testing::Test {
protected:
    void SetUp() override {
        server_.svc_forder = dir_.Path().c_str();
        server_.name = L"Local";
        server_.grpname = L"grp";
        dir_.Write(L"orders.xml", "<service name=\"orders\"/>\n");
        dir_.Write(L"twice.xml.xml", "<service/>");
        dir_.Write(L"notes.txt", "x");
    }
    void TearDown() override { qx_ClearSvcList(list_); }
    TempDir dir_;
    SERVER_INFO server_;
    Qx_PtrList list_;
};

TEST_F(LocalServices, DefinitionIsTheWholeFile) {
    Qx_WString out(L"untouched");
    EXPECT_EQ(qx_GetSvcSource(&server_, L"orders", out), 0);
    EXPECT_EQ(out, L"<service name=\"orders\"/>\n");
    server_.svc_forder += L"\\";  // a trailing backslash is not doubled
    EXPECT_EQ(qx_GetSvcSource(&server_, L"orders", out), 0);
    out = L"untouched";
    EXPECT_EQ(qx_GetSvcSource(&server_, L"missing", out), -1);
    EXPECT_EQ(out, L"untouched");
    server_.svc_forder.Empty();
    EXPECT_EQ(qx_GetSvcSource(&server_, L"orders", out), -1);
    EXPECT_EQ(out, L"untouched");
}

TEST_F(LocalServices, ListsXmlFilesWithoutTheirExtension) {
    EXPECT_EQ(qx_GetSvcList(&server_, list_, false), 0);
    ASSERT_EQ(list_.Count(), 2);
    const SVC_INFO* first = static_cast<const SVC_INFO*>(list_.Items(0));
    EXPECT_EQ(first->name, L"orders");
    EXPECT_EQ(first->grpname, L"grp");
    EXPECT_EQ(first->svrname, L"Local");
    EXPECT_EQ(first->class_name, L"");
    EXPECT_EQ(static_cast<const SVC_INFO*>(list_.Items(1))->name, L"twice");
    EXPECT_EQ(qx_GetSvcList(&server_, list_, false), 0);  // appends again
    EXPECT_EQ(list_.Count(), 4);
}

TEST_F(LocalServices, MissingOrUnsetFolderListsNothing) {
    server_.svc_forder = dir_.File(L"nope").c_str();
    EXPECT_EQ(qx_GetSvcList(&server_, list_, false), 0);
    server_.svc_forder.Empty();
    EXPECT_EQ(qx_GetSvcList(&server_, list_, false), 0);
    EXPECT_EQ(list_.Count(), 0);
}

TEST_F(LocalServices, WorkerCommonReadsByNameAndExtension) {
    TempDir dotted;
    std::wstring folder = dotted.File(L"v1.2");
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(folder + L"\\svc.xml", "<service/>");
    WriteBytes(folder + L"\\svc.def", "def");
    Qx_TarnWorkerCommon reader;
    Qx_Buffer buffer;
    EXPECT_EQ(reader.ReadServiceXml(Qx_WString(folder.c_str()), Qx_WString(L"svc"), buffer), 0);
    EXPECT_EQ(std::string(buffer.GetData()), "<service/>");
    EXPECT_EQ(reader.ReadServiceXml(Qx_WString(folder.c_str()), Qx_WString(L"svc.def"), buffer), 0);
    EXPECT_EQ(std::string(buffer.GetData()), "def");
    EXPECT_EQ(reader.ReadServiceXml(Qx_WString(folder.c_str()), Qx_WString(L"none"), buffer), -1);
}

}  // namespace

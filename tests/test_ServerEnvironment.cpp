#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"

namespace {
// A working directory of its own with the given server environment file.
class ServerEnvironment : public ::testing::Test {
protected:
    void Write(const std::string& xml) {
        ASSERT_TRUE(WriteBytes(dir_.File(L"qrx_serverenv.xml"), xml));
        qx_SetWorkingDir(dir_.Path().c_str());
    }
    void TearDown() override {
        qx_ClearServerInformation(list_);
        qx_SetWorkingDir(L"");
    }
    const SERVER_INFO& At(int i) const { return *static_cast<const SERVER_INFO*>(list_.Items(i)); }

    TempDir dir_;
    Qx_PtrList list_;
};

const char kFull[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<environments>
  <local>
    <env name="L1" DBUser="u" DBPass="p" connection_str="cs" svc_forder="C:\svc" baseurl="ignored"/>
    <other name="L2" adaptor="" bindmethod="Bind"/>
  </local>
  <AspJsp>
    <x name="A1" DBUser="ignored" connection_str="acs" baseurl="http://h" DbType="Oracle"/>
  </AspJsp>
  <server>
    <s name="S1" grpname="g" ip="127.0.0.1" port="7311" TimeOut="30" DBUser="su"/>
    <s name="S2" adaptor="TCP" PrgmType="Java" bindmethod=""/>
  </server>
  <local><env name="L3"/></local>
</environments>)";
}  // namespace

TEST_F(ServerEnvironment, LocalEntriesGetTheirGroupDefaults) {
    Write(kFull);
    ASSERT_TRUE(qx_ReadLocalList(list_));
    ASSERT_EQ(list_.Count(), 2);  // the second local group is ignored
    EXPECT_EQ(At(0).name, L"L1");
    EXPECT_EQ(At(0).DBUser, L"u");
    EXPECT_EQ(At(0).DBPass, L"p");
    EXPECT_EQ(At(0).connection_str, L"cs");
    EXPECT_EQ(At(0).svc_forder, L"C:\\svc");
    EXPECT_EQ(At(0).adaptor, L"ADO");
    EXPECT_EQ(At(0).bindmethod, L"Replace");
    EXPECT_EQ(At(0).baseurl, L"");
    EXPECT_EQ(At(0).remote, 0);
    EXPECT_EQ(At(1).adaptor, L"");  // present but empty: no default
    EXPECT_EQ(At(1).bindmethod, L"Bind");
}

TEST_F(ServerEnvironment, AspJspAndServerEntries) {
    Write(kFull);
    ASSERT_TRUE(qx_ReadAspJspList(list_));
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(At(0).PrgmType, L"ASP");
    EXPECT_EQ(At(0).DBUser, L"");
    EXPECT_EQ(At(0).baseurl, L"http://h");
    EXPECT_EQ(At(0).DbType, L"Oracle");
    EXPECT_EQ(At(0).connection_str, L"acs");
    EXPECT_EQ(At(0).remote, 1);
    qx_ClearServerInformation(list_);

    ASSERT_TRUE(qx_ReadServerList(list_));
    ASSERT_EQ(list_.Count(), 2);
    EXPECT_EQ(At(0).grpname, L"g");
    EXPECT_EQ(At(0).ip, L"127.0.0.1");
    EXPECT_EQ(At(0).port, L"7311");
    EXPECT_EQ(At(0).TimeOut, L"30");
    EXPECT_EQ(At(0).PrgmType, L"C++");
    EXPECT_EQ(At(0).adaptor, L"");
    EXPECT_EQ(At(0).bindmethod, L"Replace");
    EXPECT_EQ(At(0).remote, 1);
    EXPECT_EQ(At(1).PrgmType, L"Java");
    EXPECT_EQ(At(1).bindmethod, L"");
    EXPECT_EQ(At(1).adaptor, L"TCP");
}

TEST_F(ServerEnvironment, ReadingTwiceAppendsTwice) {
    Write(kFull);
    ASSERT_TRUE(qx_ReadServerList(list_));
    ASSERT_TRUE(qx_ReadServerList(list_));
    EXPECT_EQ(list_.Count(), 4);
}

TEST_F(ServerEnvironment, MissingGroupsAreEmptySuccesses) {
    Write("<environments><server><s name='only'/></server></environments>");
    EXPECT_TRUE(qx_ReadLocalList(list_));
    EXPECT_TRUE(qx_ReadAspJspList(list_));
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_TRUE(qx_ReadServerList(list_));
    EXPECT_EQ(list_.Count(), 1);
    Write("<environments/>");
    EXPECT_TRUE(qx_ReadServerList(list_));
    EXPECT_EQ(list_.Count(), 1);
}

TEST_F(ServerEnvironment, EntryWithoutNameStopsButKeepsEarlierRecords) {
    Write("<environments><local><e name='a'/><e adaptor='x'/><e name='c'/></local></environments>");
    EXPECT_FALSE(qx_ReadLocalList(list_));
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(At(0).name, L"a");
}

TEST_F(ServerEnvironment, BadFilesLeaveTheListUnchanged) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"byte-order mark only", "\xEF\xBB\xBF"},
        {"truncated", "<environments><local><e name='a'/>"},
        {"not xml", "name=a"},
        {"other root", "<servers><local><e name='a'/></local></servers>"},
        {"dtd with entities", "<!DOCTYPE environments [<!ENTITY x 'y'>]><environments/>"},
    };
    SERVER_INFO* sentinel = new SERVER_INFO;
    list_.Add(sentinel);
    for (const Case& c : cases) {
        Write(c.bytes);
        EXPECT_FALSE(qx_ReadLocalList(list_)) << c.what;
        EXPECT_EQ(list_.Count(), 1) << c.what;
    }
    qx_SetWorkingDir(dir_.File(L"missing").c_str());
    EXPECT_FALSE(qx_ReadServerList(list_));
    EXPECT_EQ(list_.Items(0), sentinel);
}

TEST_F(ServerEnvironment, NonAsciiNamesInEveryEncoding) {
    const std::wstring name = L"\uC11C\uBC84 caf\u00E9";
    const std::wstring doc = L"<environments><server><s name=\"" + name + L"\"/></server></environments>";
    Qx_WString wide(doc.c_str());
    for (const std::string& bytes : {Qx_AString(wide, 65001).str(), Utf16Bytes(doc)}) {
        Write(bytes);
        ASSERT_TRUE(qx_ReadServerList(list_));
        EXPECT_EQ(At(list_.Count() - 1).name, name.c_str());
    }
    // Bytes in the ANSI code page with no declaration.
    const std::wstring latin = L"<environments><server><s name=\"caf\u00E9\"/></server></environments>";
    Write(Qx_AString(Qx_WString(latin.c_str()), 0).str());
    ASSERT_TRUE(qx_ReadServerList(list_));
    EXPECT_EQ(At(list_.Count() - 1).name, L"caf\u00E9");
}

TEST_F(ServerEnvironment, TrailingBackslashInTheWorkingDirectoryStillReads) {
    Write(kFull);
    qx_SetWorkingDir((dir_.Path() + L"\\").c_str());
    EXPECT_TRUE(qx_ReadLocalList(list_));
    EXPECT_EQ(list_.Count(), 2);
}

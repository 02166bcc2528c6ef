#include <gtest/gtest.h>
#include "ServiceFolder.h"
#include "support/RuntimeTestSupport.h"
#include "platform/QxHandle.h"
#include "support/StatusAssertions.h"
#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Source(const std::string& className, size_t padding = 0) {
    return "/**__SERVICE XML BEGIN__\n<service name=\"s\" class_name=\"" + className +
           "\"/>\n__SERVICE XML END__**/\n" + std::string(padding, ' ');
}

struct Row {
    std::wstring className, size, date, time;
};

// name -> row, and the names in the order listed.
struct Listing {
    std::map<std::wstring, Row> rows;
    std::vector<std::wstring> order;
};

Listing List(const ServiceFolder& folder) {
    Listing out;
    Qx_Dataset ds(L"output");
    EXPECT_TRUE(IsOk(folder.ListSources(ds)));
    for (int r = 0; r < ds.GetRowCount(); ++r) {
        std::wstring name = ds.GetColumn(r, L"name")->ToString().str();
        out.order.push_back(name);
        out.rows[name] = {ds.GetColumn(r, L"class_name")->ToString().str(), ds.GetColumn(r, L"size")->ToString().str(),
                          ds.GetColumn(r, L"date")->ToString().str(), ds.GetColumn(r, L"time")->ToString().str()};
    }
    return out;
}

FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info);
    return info.ftLastWriteTime;
}

void SetWriteTime(const std::wstring& path, FILETIME time) {
    QxFileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    EXPECT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &time));
}

FILETIME HoursLater(FILETIME time, int hours) {
    ULARGE_INTEGER t;
    t.LowPart = time.dwLowDateTime;
    t.HighPart = time.dwHighDateTime;
    t.QuadPart += static_cast<ULONGLONG>(hours) * 3600ULL * 10000000ULL;
    return FILETIME{t.LowPart, t.HighPart};
}

}  // namespace

TEST(ServiceFolderIndex, ListsSourcesSortedWithTheirClassNames) {
    QxTestTempFolder dir;
    dir.Write(L"b_svc.cpp", Source("CB"));
    dir.Write(L"A_svc.cpp", Source("CA", 10));
    dir.Write(L"zz_broken.cpp", "no service block here");
    dir.Write(L"c_svc.xml", Source("CX"));  // a definition, not a source
    dir.Write(L"x.cppx", Source("CY"));
    CreateDirectoryW(dir.File(L"sub.cpp").c_str(), nullptr);
    ServiceFolder folder(dir.Path());
    Listing list = List(folder);
    EXPECT_EQ(list.order, (std::vector<std::wstring>{L"A_svc.cpp", L"b_svc.cpp", L"zz_broken.cpp"}));
    EXPECT_EQ(list.rows[L"A_svc.cpp"].className, L"CA");
    EXPECT_EQ(list.rows[L"A_svc.cpp"].size, std::to_wstring(Source("CA", 10).size()));
    EXPECT_EQ(list.rows[L"b_svc.cpp"].className, L"CB");
    EXPECT_EQ(list.rows[L"zz_broken.cpp"].className, L"");
    EXPECT_EQ(list.rows[L"b_svc.cpp"].date.size(), 10u);
    EXPECT_EQ(list.rows[L"b_svc.cpp"].time.size(), 8u);
}

TEST(ServiceFolderIndex, ChangedAddedAndRemovedSourcesShowAtTheNextListing) {
    QxTestTempFolder dir;
    dir.Write(L"keep.cpp", Source("CKeep"));
    dir.Write(L"grow.cpp", Source("COld"));
    dir.Write(L"retime.cpp", Source("COne"));
    dir.Write(L"gone.cpp", Source("CGone"));
    ServiceFolder folder(dir.Path());
    Listing before = List(folder);
    ASSERT_EQ(before.order.size(), 4u);

    dir.Write(L"grow.cpp", Source("CNewAndLonger"));  // another size
    FILETIME first = WriteTime(dir.File(L"retime.cpp"));
    dir.Write(L"retime.cpp", Source("CTwo"));  // the same size, another time
    SetWriteTime(dir.File(L"retime.cpp"), HoursLater(first, 30));
    ASSERT_TRUE(DeleteFileW(dir.File(L"gone.cpp").c_str()));
    dir.Write(L"new.cpp", Source("CNew"));

    Listing after = List(folder);
    EXPECT_EQ(after.order, (std::vector<std::wstring>{L"grow.cpp", L"keep.cpp", L"new.cpp", L"retime.cpp"}));
    EXPECT_EQ(after.rows[L"keep.cpp"].className, L"CKeep");
    EXPECT_EQ(after.rows[L"grow.cpp"].className, L"CNewAndLonger");
    EXPECT_EQ(after.rows[L"grow.cpp"].size, std::to_wstring(Source("CNewAndLonger").size()));
    EXPECT_EQ(after.rows[L"retime.cpp"].className, L"CTwo");
    EXPECT_NE(after.rows[L"retime.cpp"].date + after.rows[L"retime.cpp"].time,
              before.rows[L"retime.cpp"].date + before.rows[L"retime.cpp"].time);
    EXPECT_EQ(after.rows[L"new.cpp"].className, L"CNew");

    ASSERT_TRUE(DeleteFileW(dir.File(L"keep.cpp").c_str()));
    ASSERT_TRUE(DeleteFileW(dir.File(L"new.cpp").c_str()));
    EXPECT_EQ(List(folder).order, (std::vector<std::wstring>{L"grow.cpp", L"retime.cpp"}));
}

TEST(ServiceFolderIndex, AnUnchangedSourceIsNotReadAgain) {
    QxTestTempFolder dir;
    dir.Write(L"s.cpp", Source("CAlpha"));
    ServiceFolder folder(dir.Path());
    EXPECT_EQ(List(folder).rows[L"s.cpp"].className, L"CAlpha");
    // Same size and time: the index answers from what it read before.
    FILETIME written = WriteTime(dir.File(L"s.cpp"));
    dir.Write(L"s.cpp", Source("COmega"));
    SetWriteTime(dir.File(L"s.cpp"), written);
    EXPECT_EQ(List(folder).rows[L"s.cpp"].className, L"CAlpha");
    SetWriteTime(dir.File(L"s.cpp"), HoursLater(written, 1));
    EXPECT_EQ(List(folder).rows[L"s.cpp"].className, L"COmega");
}

TEST(ServiceFolderIndex, EmptiedOrMissingFolder) {
    QxTestTempFolder dir;
    dir.Write(L"s.cpp", Source("C"));
    ServiceFolder folder(dir.Path());
    EXPECT_EQ(List(folder).order.size(), 1u);
    EXPECT_EQ(List(ServiceFolder(dir.Path() + L"\\")).order.size(), 1u) << "a folder given with a trailing backslash";
    ASSERT_TRUE(DeleteFileW(dir.File(L"s.cpp").c_str()));
    EXPECT_TRUE(List(folder).order.empty());
    ServiceFolder missing(dir.File(L"nowhere"));
    Qx_Dataset ds;
    const QxStatus listed = missing.ListSources(ds);
    EXPECT_TRUE(Fails(listed, QxCode::kReadFailed));
    EXPECT_NE(listed.number(), 0) << "the system's reason is kept";
}

// More entries than one read of the directory holds (the reads take 256 KiB): every
// source is listed once, and changes show whichever read brings their entries.
TEST(ServiceFolderIndex, AFolderOfManyReadsListsEverySource) {
    QxTestTempFolder dir;
    const std::wstring padding(180, L'p');  // a record of some 450 bytes: two reads or more
    const int kSources = 900;
    for (int i = 0; i < kSources; ++i) dir.Write(L"s" + std::to_wstring(i) + padding + L".cpp", Source("C"));
    ServiceFolder folder(dir.Path());
    Listing first = List(folder);
    ASSERT_EQ(first.rows.size(), static_cast<size_t>(kSources));
    EXPECT_EQ(first.order.size(), static_cast<size_t>(kSources)) << "no source is listed twice";
    for (int i : {0, kSources - 1}) dir.Write(L"s" + std::to_wstring(i) + padding + L".cpp", Source("CChanged"));
    Listing second = List(folder);
    EXPECT_EQ(second.order, first.order);
    EXPECT_EQ(second.rows[L"s0" + padding + L".cpp"].className, L"CChanged");
    EXPECT_EQ(second.rows[L"s" + std::to_wstring(kSources - 1) + padding + L".cpp"].className, L"CChanged");
}

TEST(ServiceFolderIndex, ListsFromSeveralThreadsWhileSourcesChange) {
    QxTestTempFolder dir;
    for (int i = 0; i < 50; ++i) dir.Write(L"s" + std::to_wstring(i) + L".cpp", Source("C" + std::to_string(i)));
    ServiceFolder folder(dir.Path());
    std::atomic<bool> stop{false};
    std::atomic<int> faults{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&] {
            while (!stop) {
                Qx_Dataset ds;
                if (!folder.ListSources(ds).ok() || ds.GetRowCount() < 50 || ds.GetRowCount() > 60) ++faults;
            }
        });
    for (int i = 0; i < 10; ++i) {
        dir.Write(L"extra" + std::to_wstring(i) + L".cpp", Source("CExtra"));
        dir.Write(L"s0.cpp", Source("CChanged" + std::string(static_cast<size_t>(i), 'x')));  // a new size each time
    }
    stop = true;
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(faults.load(), 0);
    Listing last = List(folder);
    EXPECT_EQ(last.order.size(), 60u);
    EXPECT_EQ(last.rows[L"s0.cpp"].className, L"CChangedxxxxxxxxx");
}

// The block between the marks, the marks themselves taken out of their lines, the original
// source's marker lines dropped, and nothing outside the block.
TEST(ServiceFolderCut, TheDefinitionBlockComesOutWithItsLineBreaks) {
    const Qx_WString source(
        L"int before;\r\n/**__SERVICE XML BEGIN__<service name=\"s\">\r\n  <statement/>\r\n"
        L"//____ORG_SOURCE_BEGIN____\r\n</service>__SERVICE XML END__**/\r\n//____ORG_SOURCE_END____\r\nint after;");
    EXPECT_EQ(ServiceFolder::CutServiceXml(source).str(), L"<service name=\"s\">\r\n  <statement/>\r\n</service>\r\n");
    EXPECT_EQ(ServiceFolder::CutServiceXml(Qx_WString(L"no block at all\n")).str(), L"");
    // A source cut short keeps what the block held so far; one without a last line break too.
    EXPECT_EQ(ServiceFolder::CutServiceXml(Qx_WString(L"/**__SERVICE XML BEGIN__\n<a/>")).str(), L"\n<a/>");
}

// A source or definition by name: what each kind of name gives.
TEST(ServiceFolderRead, SourcesAndDefinitionsByName) {
    QxTestTempFolder dir;
    dir.Write(L"s.cpp", Source("CS"));
    dir.Write(L"plain.cpp", "no service block here");
    dir.Write(L"d.xml", "<service name=\"d\"/>");
    ServiceFolder folder(dir.Path());
    struct Case {
        const wchar_t* name;
        QxCode source;      // what ReadSource gives
        QxCode definition;  // what ReadDefinition gives
    } cases[] = {
        {L"s", QxCode::kOk, QxCode::kOk},
        {L"s.cpp", QxCode::kOk, QxCode::kOk},
        {L"plain", QxCode::kOk, QxCode::kNotFound},
        {L"d", QxCode::kNotFound, QxCode::kOk},
        {L"missing", QxCode::kNotFound, QxCode::kNotFound},
        {L"..", QxCode::kBadInput, QxCode::kBadInput},
        {L"sub\\s", QxCode::kBadInput, QxCode::kBadInput},
        {L"NUL", QxCode::kBadInput, QxCode::kBadInput},
    };
    for (const Case& c : cases) {
        const std::string label = Qx_AString(c.name, -1, CP_UTF8).str();
        Qx_WString text;
        Qx_Buffer definition;
        const QxStatus source = folder.ReadSource(Qx_WString(c.name), text);
        const QxStatus read = folder.ReadDefinition(Qx_WString(c.name), definition);
        EXPECT_EQ(source.code(), c.source) << label << ": " << ::testing::PrintToString(source);
        EXPECT_EQ(read.code(), c.definition) << label << ": " << ::testing::PrintToString(read);
        EXPECT_TRUE(source.ok() || !source.reason().empty()) << label;
        EXPECT_TRUE(read.ok() || !read.reason().empty()) << label;
    }
}

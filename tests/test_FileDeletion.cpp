#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/ScratchFolder.h"
#include <string>

namespace {

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Under Wine the recycle bin is the desktop's trash folder of the Unix user, "files" and
// "info" below ~/.local/share/Trash; Wine names the home folder in WINEHOMEDIR ("\??\Z:\...").
// Empty when it cannot be told.
std::wstring WineTrash() {
    const wchar_t* home = _wgetenv(L"WINEHOMEDIR");
    if (!home) return std::wstring();
    std::wstring trash = home;
    if (trash.compare(0, 4, L"\\??\\") == 0) trash.erase(0, 4);
    return trash + L"\\.local\\share\\Trash";
}

// A name no earlier run has left in the recycle bin.
std::wstring UniqueName(const wchar_t* stem) {
    return std::wstring(stem) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) +
           L".txt";
}

// Checks that a recycled file reached the recycle bin and takes it out again, where the
// recycle bin can be looked into (Wine); elsewhere the file is left to the user's bin.
void ExpectRecycledAndRemove(const std::wstring& name) {
    const std::wstring trash = UnderWine() ? WineTrash() : std::wstring();
    if (trash.empty()) return;
    const std::wstring file = trash + L"\\files\\" + name;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str())) << "not in the trash: " << name;
    EXPECT_TRUE(DeleteFileW(file.c_str())) << GetLastError();
    DeleteFileW((trash + L"\\info\\" + name + L".trashinfo").c_str());
}

// Each test deletes files of its own in a fresh temporary folder. Whether a recycled file
// really sits in the recycle bin is the shell's business and differs between systems; the
// tests check what is the same everywhere: the file has left its folder and the answer.
class FileDeletionTest : public ::testing::Test {
protected:
    QxScratchFolder folder_;
};

TEST_F(FileDeletionTest, DeletesForGoodOrIntoTheRecycleBin) {
    for (int recycle : {0, 1}) {
        const std::wstring name = UniqueName(L"doomed");
        const std::wstring path = folder_.Write(name, "bytes");
        ASSERT_TRUE(folder_.Exists(name));
        EXPECT_EQ(1, qx_DeleteFile(path.c_str(), recycle)) << "recycle " << recycle;
        EXPECT_FALSE(folder_.Exists(name)) << "recycle " << recycle;
        if (recycle) ExpectRecycledAndRemove(name);
    }
}

TEST_F(FileDeletionTest, MissingPathAnswersZero) {
    EXPECT_EQ(0, qx_DeleteFile(folder_.PathOf(L"never-there.txt").c_str(), 0));
    EXPECT_EQ(0, qx_DeleteFile(folder_.PathOf(L"never-there.txt").c_str(), 1));
}

TEST_F(FileDeletionTest, NullOrEmptyPathDeletesNothing) {
    EXPECT_EQ(0, qx_DeleteFile(nullptr, 0));
    EXPECT_EQ(0, qx_DeleteFile(L"", 1));
}

TEST_F(FileDeletionTest, WildcardDeletesOnlyMatchingFiles) {
    folder_.Write(L"a.tmp", "a");
    folder_.Write(L"b.tmp", "b");
    folder_.Write(L"keep.txt", "k");
    CreateDirectoryW(folder_.PathOf(L"sub.tmp").c_str(), nullptr);  // files only: no folder
    EXPECT_EQ(1, qx_DeleteFile(folder_.PathOf(L"*.tmp").c_str(), 0));
    EXPECT_FALSE(folder_.Exists(L"a.tmp"));
    EXPECT_FALSE(folder_.Exists(L"b.tmp"));
    EXPECT_TRUE(folder_.Exists(L"keep.txt"));
    EXPECT_TRUE(folder_.Exists(L"sub.tmp"));
}

TEST_F(FileDeletionTest, RelativePathIsResolvedAgainstTheCurrentFolder) {
    const std::wstring name = UniqueName(L"relative");
    folder_.Write(name, "r");
    wchar_t previous[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryW(MAX_PATH, previous));
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.Path().c_str()));
    const int result = qx_DeleteFile(name.c_str(), 1);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(1, result);
    EXPECT_FALSE(folder_.Exists(name));
    ExpectRecycledAndRemove(name);
}

}  // namespace

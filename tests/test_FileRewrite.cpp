// qx_PutTextFileSource rewriting an existing file, and qx_GetTextFileSource on UTF-16.
//
// What Wine cannot show: it keeps no ACL or owner of its own for a file (a DACL set is not
// read back), its "alternate streams" are files of their own beside the file, and it lets
// a write through whatever byte-range lock another handle holds, so the failed write is
// made here by pointing the library's WriteFile import at a function that fails.
#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/ImportPatch.h"
#include "support/TestFiles.h"
#include "platform/QxHandle.h"
#include <aclapi.h>
#include <sddl.h>
#include <string>

namespace {

BY_HANDLE_FILE_INFORMATION Identity(const std::wstring& path) {
    BY_HANDLE_FILE_INFORMATION info = {};
    QxFileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (file) GetFileInformationByHandle(file.Get(), &info);
    return info;
}

std::wstring Dacl(const std::wstring& path) {
    QxLocalMem<void> sd;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, sd.Put()) != ERROR_SUCCESS)
        return L"?";
    QxLocalMem<wchar_t> text;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(
        sd.Get(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION, text.Put(), nullptr);
    return text ? text.Get() : L"?";
}

void ProtectWithDacl(const std::wstring& path, const wchar_t* sddl) {
    QxLocalMem<void> sd;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, sd.Put(), nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(sd.Get(), &present, &dacl, &defaulted);
    SetNamedSecurityInfoW(const_cast<LPWSTR>(path.c_str()), SE_FILE_OBJECT,
                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                          nullptr);
}

TEST(TextFileRewrite, AnExistingFileStaysTheSameFile) {
    TempDir dir;
    const std::wstring path = dir.Write(L"qrx_serverenv.xml", "old text that is longer than the new one\r\n");
    const std::wstring link = dir.File(L"link.xml");
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), path.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(path + L":note", "stream"));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE));
    ProtectWithDacl(path, L"D:P(A;;FA;;;WD)(A;;FR;;;BU)");
    const BY_HANDLE_FILE_INFORMATION before = Identity(path);
    const std::wstring dacl = Dacl(path);

    ASSERT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString(L"<a/>\n")), 0);
    EXPECT_EQ(ReadBytes(path), "<a/>\r\n");
    EXPECT_EQ(ReadBytes(link), "<a/>\r\n");  // the hard link still names the file
    const BY_HANDLE_FILE_INFORMATION after = Identity(path);
    EXPECT_EQ(after.nFileIndexLow, before.nFileIndexLow);
    EXPECT_EQ(after.nFileIndexHigh, before.nFileIndexHigh);
    EXPECT_EQ(after.nNumberOfLinks, 2u);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(ReadBytes(path + L":note"), "stream");
    EXPECT_EQ(Dacl(path), dacl);

    ASSERT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString(L"grown: " + std::wstring(100000, L'x'))), 0);
    EXPECT_EQ(ReadBytes(link).size(), 100007u);
}

TEST(TextFileRewrite, TargetsThatOpeningWithWtRefusesAreLeftAlone) {
    TempDir dir;
    for (DWORD attribute : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        const std::wstring path = dir.Write(L"target.xml", "precious");
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), attribute));
        const DWORD attributes = GetFileAttributesW(path.c_str());
        EXPECT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString(L"overwrite")), -1) << attribute;
        EXPECT_EQ(GetFileAttributesW(path.c_str()), attributes);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadBytes(path), "precious") << attribute;
    }
}

TEST(TextFileRewrite, AFileOpenElsewhereWithoutSharedWritingIsLeftAlone) {
    TempDir dir;
    const std::wstring path = dir.Write(L"target.xml", "precious");
    QxFileHandle holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString(L"overwrite")), -1);
    holder.Reset();
    EXPECT_EQ(ReadBytes(path), "precious");
}

// WriteFile that writes the first three bytes of its first call, then fails the second as
// a full disk does; every later call goes through.
int g_writeCalls = 0;
BOOL WINAPI WriteFileThatFillsTheDisk(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
                                      LPOVERLAPPED overlapped) {
    ++g_writeCalls;
    if (g_writeCalls == 1 && count > 3) count = 3;
    if (g_writeCalls == 2) {
        if (written) *written = 0;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(file, data, count, written, overlapped);
}

TEST(TextFileRewrite, AWriteThatFailsPutsTheOldBytesBack) {
    TempDir dir;
    const std::wstring path = dir.Write(L"target.xml", "precious old content");
    {
        g_writeCalls = 0;
        ImportPatch patch(L"QxQVInfo320U.dll", GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "WriteFile"),
                          AsFarProc(&WriteFileThatFillsTheDisk));
        ASSERT_TRUE(patch.Valid());
        EXPECT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString(L"new content, longer than the old one")), -1);
        EXPECT_EQ(g_writeCalls, 3);  // two for the new text, one for the old bytes
    }
    EXPECT_EQ(ReadBytes(path), "precious old content");
    Qx_WStrList leftovers;
    EXPECT_LE(Qx_Dir::GetList(dir.Path().c_str(), leftovers, L"tmp"), 0);
}

TEST(TextFileRewrite, ANewFileIsCreatedWhole) {
    TempDir dir;
    const std::wstring path = dir.File(L"new.xml");
    EXPECT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString(L"a\nb")), 0);
    EXPECT_EQ(ReadBytes(path), "a\r\nb");
    Qx_WStrList leftovers;
    EXPECT_LE(Qx_Dir::GetList(dir.Path().c_str(), leftovers, L"tmp"), 0);
}

TEST(TextFileRead, Utf16IsReadAsItIsOnDiskOtherTextInTextMode) {
    TempDir dir;
    // U+041A holds the byte 0x1A; U+0D0A after U+0D00 puts CR LF side by side.
    const std::string utf16 = Utf16Bytes(L"<a n=\"\u041A\u0D0D\u0A0A\r\n\"/>");
    dir.Write(L"utf16.xml", utf16);
    Qx_Buffer buffer;
    ASSERT_TRUE(qx_GetTextFileSource(dir.File(L"utf16.xml").c_str(), buffer));
    EXPECT_EQ(std::string(buffer.GetData(), static_cast<size_t>(buffer.GetLength())), utf16);
    EXPECT_EQ(qx_ValidXML(buffer), 1);

    dir.Write(L"ansi.txt",
              "a\r\nb\x1A"
              "after the end");
    ASSERT_TRUE(qx_GetTextFileSource(dir.File(L"ansi.txt").c_str(), buffer));
    EXPECT_EQ(std::string(buffer.GetData(), static_cast<size_t>(buffer.GetLength())), "a\nb");
}

TEST(TextFileRead, AUtf16ConfigurationFileWithU041AReadsWhole) {
    TempDir dir;
    dir.Write(L"qrx_serverenv.xml",
              Utf16Bytes(L"<environments><local><e name=\"\u041A\u0410\"/></local></environments>"));
    qx_SetWorkingDir(dir.Path().c_str());
    Qx_PtrList list;
    EXPECT_TRUE(qx_ReadLocalList(list));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(static_cast<SERVER_INFO*>(list.Items(0))->name, L"\u041A\u0410");
    qx_ClearServerInformation(list);
    qx_SetWorkingDir(L"");
}

}  // namespace

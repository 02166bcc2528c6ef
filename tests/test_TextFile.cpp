#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"
#include "platform/QxWin.h"

TEST(TextFileRead, DeliversBytesAndOneZero) {
    TempDir dir;
    Qx_Buffer buffer;
    buffer.AppendStr("keep");
    EXPECT_FALSE(qx_GetTextFileSource(dir.File(L"missing").c_str(), buffer));
    EXPECT_EQ(std::string(buffer.GetData()), "keep");  // untouched

    ASSERT_TRUE(WriteBytes(dir.File(L"empty"), ""));
    EXPECT_TRUE(qx_GetTextFileSource(dir.File(L"empty").c_str(), buffer));
    EXPECT_EQ(buffer.GetLength(), 0);

    ASSERT_TRUE(WriteBytes(dir.File(L"bom"), "\xEF\xBB\xBF<a/>"));
    EXPECT_TRUE(qx_GetTextFileSource(dir.File(L"bom").c_str(), buffer));
    EXPECT_EQ(std::string(buffer.GetData(), buffer.GetLength()), "\xEF\xBB\xBF<a/>");

    // Text mode drops carriage returns; the length is what was read, then a zero.
    ASSERT_TRUE(WriteBytes(dir.File(L"crlf"), "a\r\nb\r\n"));
    EXPECT_TRUE(qx_GetTextFileSource(dir.File(L"crlf").c_str(), buffer));
    EXPECT_EQ(std::string(buffer.GetData(), buffer.GetLength()), "a\nb\n");
    EXPECT_EQ(buffer.GetData()[buffer.GetLength()], '\0');
}

TEST(TextFileRead, AFolderIsNotAFile) {
    TempDir dir;
    Qx_Buffer buffer;
    EXPECT_FALSE(qx_GetTextFileSource(dir.Path().c_str(), buffer));
}

TEST(TextFileWrite, WritesAnsiTextModeWithoutMarkOrTerminator) {
    TempDir dir;
    const std::wstring path = dir.File(L"out.txt");
    EXPECT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString(L"one\ntwo")), 0);
    EXPECT_EQ(ReadBytes(path), "one\r\ntwo");
    Qx_WString accented(L"caf\u00E9");
    EXPECT_EQ(qx_PutTextFileSource(path.c_str(), accented), 0);
    EXPECT_EQ(ReadBytes(path), Qx_AString(accented, 0).str());
    EXPECT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString()), 0);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadBytes(path), "");
}

TEST(TextFileWrite, FailureLeavesTheOldFileAndNoTemporaries) {
    TempDir dir;
    EXPECT_EQ(qx_PutTextFileSource(dir.File(L"no\\such\\folder\\x.txt").c_str(), Qx_WString(L"x")), -1);

    const std::wstring path = dir.File(L"locked.txt");
    ASSERT_TRUE(WriteBytes(path, "precious"));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(qx_PutTextFileSource(path.c_str(), Qx_WString(L"overwrite")), -1);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(path), "precious");

    // A folder in the target's place cannot be replaced either.
    CreateDirectoryW(dir.File(L"folder").c_str(), nullptr);
    EXPECT_EQ(qx_PutTextFileSource(dir.File(L"folder").c_str(), Qx_WString(L"x")), -1);

    Qx_WStrList leftovers;
    EXPECT_LE(Qx_Dir::GetList(dir.Path().c_str(), leftovers, L"tmp"), 0);
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"
#include "platform/QxWin.h"

TEST(QxFile, OpenReadWriteAndFailures) {
    TempDir dir;
    Qx_File file;
    EXPECT_LT(file.Open(dir.File(L"missing.txt").c_str(), "rt"), 0);
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_EQ(file.Read(nullptr, 0), -1);
    ASSERT_EQ(file.Open(dir.File(L"a.bin").c_str(), "wb"), 0);
    EXPECT_EQ(file.Write("abc", 3), 3);
    EXPECT_EQ(file.Close(), 0);
    ASSERT_EQ(file.Open(dir.File(L"a.bin").c_str(), "rb"), 0);
    EXPECT_EQ(file.GetSize(), 3);
    char got[8] = {};
    EXPECT_EQ(file.Read(got, 8), 3);
    EXPECT_STREQ(got, "abc");

    Qx_Buffer buffer;
    EXPECT_EQ(Qx_File::ReadFile(dir.File(L"a.bin").c_str(), buffer), 3);
    EXPECT_EQ(buffer.GetLength(), 3);
    EXPECT_EQ(buffer.GetData()[3], '\0');
    EXPECT_LT(Qx_File::ReadFile(dir.File(L"none").c_str(), buffer), 0);
    EXPECT_EQ(buffer.GetLength(), 3);  // untouched on failure
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"
#include "platform/QxWin.h"

TEST(QxDir, ExistsAndListsByExtension) {
    TempDir dir;
    EXPECT_TRUE(Qx_Dir::IsExist(dir.Path().c_str()));
    EXPECT_TRUE(Qx_Dir::IsExist((dir.Path() + L"\\").c_str()));
    EXPECT_FALSE(Qx_Dir::IsExist(dir.File(L"nope").c_str()));
    EXPECT_FALSE(Qx_Dir::IsExist(L""));
    for (const wchar_t* name : {L"b.xml", L"A.XML", L"c.xmlx", L"d.txt", L"e.xml.xml"})
        ASSERT_TRUE(WriteBytes(dir.File(name), "x"));
    CreateDirectoryW(dir.File(L"sub.xml").c_str(), nullptr);
    Qx_WStrList names;
    EXPECT_EQ(Qx_Dir::GetList(dir.Path().c_str(), names, L"xml"), 3);
    ASSERT_EQ(names.Count(), 3);
    EXPECT_STREQ(names.GetItemNN(0), L"A.XML");
    EXPECT_STREQ(names.GetItemNN(1), L"b.xml");
    EXPECT_STREQ(names.GetItemNN(2), L"e.xml.xml");
    Qx_WStrList none;
    EXPECT_LE(Qx_Dir::GetList(dir.File(L"missing").c_str(), none, L"xml"), 0);
    EXPECT_EQ(none.Count(), 0);
}

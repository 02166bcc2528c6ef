#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"

TEST(QxWString, ConstructsSetsAndAppends) {
    EXPECT_EQ(Qx_WString().GetLength(), 0);
    EXPECT_EQ(Qx_WString(nullptr), L"");
    EXPECT_EQ(Qx_WString(L"abcdef", 3), L"abc");
    Qx_WString s(L"x");
    s += Qx_WString(L"y");
    s += L"z";
    s += L'!';
    s += -42;
    EXPECT_EQ(s, L"xyz!-42");
    EXPECT_EQ(s.GetLength(), 7);
    s.Set("caf\xC3\xA9", -1, CP_UTF8);
    EXPECT_EQ(s, L"caf\u00E9");
    s.Set("ab\0cd", 5, CP_UTF8);
    EXPECT_EQ(s.GetLength(), 5);  // an explicit count keeps embedded zeros
}

TEST(QxWString, FindReplaceAndSlices) {
    Qx_WString s(L"a.cpp.cpp b.cpp");
    EXPECT_EQ(s.Find(L'.'), 1);
    EXPECT_EQ(s.Find(L'.', 2), 5);
    EXPECT_EQ(s.Find(L"cpp", 6), 6);
    EXPECT_EQ(s.Find(L"zzz"), -1);
    EXPECT_EQ(s.Find(L"a", 99), -1);
    EXPECT_EQ(s.Replace(L".cpp", L""), 3);
    EXPECT_EQ(s, L"a b");
    EXPECT_EQ(s.Replace(L"", L"x"), 0);
    Qx_WString overlap(L"aaaa");
    overlap.Replace(L"aa", L"a");  // non-overlapping, left to right
    EXPECT_EQ(overlap, L"aa");
    EXPECT_EQ(Qx_WString(L"hello").Left(2), L"he");
    EXPECT_EQ(Qx_WString(L"hello").Left(-1), L"");
    EXPECT_EQ(Qx_WString(L"hello").GetAt(9), L'\0');
    EXPECT_EQ(Qx_WString(L"hello").Mid(3), L"lo");
}

TEST(QxWString, ToIntegerNeverFails) {
    struct Case {
        const wchar_t* text;
        int value;
    };
    const Case cases[] = {{L"8080", 8080},
                          {L"  -17x", -17},
                          {L"+5", 5},
                          {L"", 0},
                          {L"port", 0},
                          {L"99999999999", 2147483647},
                          {L"-99999999999", -2147483647 - 1}};
    for (const Case& c : cases) EXPECT_EQ(Qx_WString(c.text).ToInteger(), c.value) << c.text;
    Qx_WString n;
    n.FromInteger(-123);
    EXPECT_EQ(n, L"-123");
}

TEST(QxWString, FormatTakesWideStringsAndGrows) {
    Qx_WString s;
    s.Format(L"%s%s", L"C:\\dir", L"\\qrx_serverenv.xml");
    EXPECT_EQ(s, L"C:\\dir\\qrx_serverenv.xml");
    std::wstring big(5000, L'q');
    s.Format(L"[%s] %d", big.c_str(), 7);
    EXPECT_EQ(s.GetLength(), 1 + 5000 + 2 + 1);
    s.Format(L"%s", L"100% sure");  // a '%' in an argument is copied, not interpreted
    EXPECT_EQ(s, L"100% sure");
}

TEST(QxWString, SafeBufferIsWritable) {
    Qx_WString s;
    wchar_t* p = s.GetSafeBuffer(3);
    p[0] = L'a';
    p[1] = L'b';
    p[2] = L'c';
    EXPECT_EQ(s, L"abc");
    EXPECT_STREQ(Qx_WString().GetSafeBuffer(), L"");
}

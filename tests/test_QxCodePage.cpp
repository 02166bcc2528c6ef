#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"
#include "support/RegistryRootOverride.h"
#include <string>

TEST(CodePages, NamesAndCharsets) {
    EXPECT_EQ(qx_findcodepageW(L"UTF-8"), 65001u);
    EXPECT_EQ(qx_findcodepageW(L"euc-kr"), 949u);
    EXPECT_EQ(qx_findcodepageW(L"windows-1252"), 1252u);
    EXPECT_EQ(qx_findcodepageW(L"shift_jis"), 932u);
    EXPECT_EQ(qx_findcodepageW(L"no-such-charset"), 0u);
    EXPECT_EQ(qx_findcodepageW(nullptr), 0u);
    EXPECT_EQ(qx_activecodepage(0), GetACP());
    EXPECT_EQ(qx_activecodepage(949), 949u);
    EXPECT_EQ(qx_getcharset(949), HANGUL_CHARSET);
    EXPECT_EQ(qx_getcharset(1252), ANSI_CHARSET);
    EXPECT_NE(QxGetLocaleCP(), 0u);
}

namespace {

// The code page and GDI character set that a charset name must give. kAnsi: the name is not
// known, so the code page is 0 and the character set that of the ANSI code page.
struct CharsetRow {
    const wchar_t* name;
    unsigned codePage;
    int charset;
};
const int kAnsi = -1;

template <size_t N>
void ExpectRows(const CharsetRow (&rows)[N]) {
    for (const CharsetRow& row : rows) {
        const unsigned codePage = qx_findcodepageW(row.name);
        const int charset = row.charset == kAnsi ? qx_getcharset(GetACP()) : row.charset;
        EXPECT_EQ(row.codePage, codePage) << row.name;
        EXPECT_EQ(charset, qx_getcharset(codePage)) << row.name;
    }
}

// Names that the system's own MIME database knows (Windows' and Wine's alike) and the
// built-in table does not.
TEST(CodePagesOfTheSystemDatabase, AliasesOfTheEastAsianCodePages) {
    // clang-format off
    const CharsetRow rows[] = {
        {L"ms_Kanji", 932, SHIFTJIS_CHARSET},       {L"csShiftJIS", 932, SHIFTJIS_CHARSET},
        {L"x-ms-cp932", 932, SHIFTJIS_CHARSET},     {L"chinese", 936, GB2312_CHARSET},
        {L"csGB2312", 936, GB2312_CHARSET},         {L"GB_2312-80", 936, GB2312_CHARSET},
        {L"CN-GB", 936, GB2312_CHARSET},            {L"csbig5", 950, CHINESEBIG5_CHARSET},
        {L"x-x-big5", 950, CHINESEBIG5_CHARSET},    {L"KSC5601", 949, HANGUL_CHARSET},
        {L"ks_c_5601-1989", 949, HANGUL_CHARSET},   {L"csKSC56011987", 949, HANGUL_CHARSET},
        {L"MS_KANJI", 932, SHIFTJIS_CHARSET},
    };
    // clang-format on
    ExpectRows(rows);
}

// A database of the test's own making in place of the machine's.
class CodePagesOfADatabase : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(machine_.Active()) << "HKEY_LOCAL_MACHINE cannot be redirected here";
        Number(L"Test-Direct", L"InternetEncoding", 932);
        Number(L"Test-Direct", L"Codepage", 932);
        Number(L"test-family-only", L"Codepage", 949);
        Number(L"test-both", L"Codepage", 1252);
        Number(L"test-both", L"InternetEncoding", 1251);
        Alias(L"test-alias", L"test-direct");
        Alias(L"chain-1", L"chain-2");
        Alias(L"chain-2", L"chain-3");
        Alias(L"chain-3", L"TEST-ALIAS");
        Alias(L"loop-a", L"loop-b");
        Alias(L"loop-b", L"loop-a");
        Alias(L"big5", L"big5");
        Number(L"latin1", L"InternetEncoding", 1252);
        machine_.SetText(kCharsets + std::wstring(L"gb2312"), L"BodyCharset", L"gb2312");
        Alias(L"dangling", L"no-such-entry");
        machine_.SetText(kCharsets + std::wstring(L"test-text"), L"Codepage", L"932");
        Number(L"Test-Direct\\nested", L"Codepage", 1250);
    }
    void Number(const wchar_t* name, const wchar_t* value, DWORD codePage) {
        machine_.SetNumber(kCharsets + std::wstring(name), value, codePage);
    }
    void Alias(const wchar_t* name, const wchar_t* target) {
        machine_.SetText(kCharsets + std::wstring(name), L"AliasForCharset", target);
    }

    static constexpr const wchar_t* kCharsets = L"SOFTWARE\\Classes\\MIME\\Database\\Charset\\";
    QxRegistryRootOverride machine_{HKEY_LOCAL_MACHINE};
};

TEST_F(CodePagesOfADatabase, NamesAliasesAndTheBuiltInTable) {
    // clang-format off
    const CharsetRow rows[] = {
        {L"Test-Direct", 932, SHIFTJIS_CHARSET},
        {L"tEST-dIRECT", 932, SHIFTJIS_CHARSET},         // letter case is not looked at
        {L"test-family-only", 949, HANGUL_CHARSET},      // "Codepage" when nothing else
        {L"test-both", 1251, RUSSIAN_CHARSET},           // "InternetEncoding" before "Codepage"
        {L"test-alias", 932, SHIFTJIS_CHARSET},          // alias named in another case
        {L"chain-1", 932, SHIFTJIS_CHARSET},             // four aliases deep
        {L"loop-a", 0, kAnsi},                           // a circle, unknown to the table
        {L"big5", 950, CHINESEBIG5_CHARSET},             // aliases in a circle: the table answers
        {L"latin1", 1252, ANSI_CHARSET},                 // the database before the table (28591)
        {L"gb2312", 936, GB2312_CHARSET},                // an entry without a code page
        {L"sjis", 932, SHIFTJIS_CHARSET},                // known to the table alone
        {L"windows-1251", 1251, RUSSIAN_CHARSET},        // a numbered name
        {L"dangling", 0, kAnsi},                         // alias of a missing entry
        {L"test-text", 0, kAnsi},                        // a code page stored as text
        {L"Test-Direct\\nested", 0, kAnsi},              // a path, not a name
        {L"no-such-charset", 0, kAnsi},
    };
    // clang-format on
    ExpectRows(rows);
}

}  // namespace

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "config/ToolSettings.h"
#include "platform/QxHandle.h"
#include "support/RegistryRootOverride.h"
#include "support/ToolSettingsGuard.h"
#include <string>

namespace {

const wchar_t kCodepageRoot[] = L"SOFTWARE\\Classes\\MIME\\Database\\Codepage\\";
const wchar_t kCharsetRoot[] = L"SOFTWARE\\Classes\\MIME\\Database\\Charset\\";

// The font's LOGFONTW as GDI keeps it; the font is deleted.
LOGFONTW ReadBack(HFONT font) {
    CFont owned;
    owned.Attach(font);
    LOGFONTW logFont = {};
    EXPECT_EQ(static_cast<int>(sizeof logFont), GetObjectW(font, sizeof logFont, &logFont));
    return logFont;
}

int ExpectedHeight() {
    QxScreenDC screen(GetDC(nullptr));
    return -MulDiv(9, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
}

// What the MIME database says, read without the wrapper: the face, or "Tahoma" when the
// key or the value is missing.
std::wstring ExpectedFace(unsigned codePage) {
    std::wstring path = kCodepageRoot + std::to_wstring(qx_activecodepage(codePage));
    wchar_t face[256] = L"";
    DWORD size = sizeof face;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), L"FixedWidthFont", RRF_RT_REG_SZ, nullptr, face, &size) !=
        ERROR_SUCCESS)
        return L"Tahoma";
    return face;
}

bool CodepageKeyExists(unsigned codePage) {
    QxRegKey key;
    std::wstring path = kCodepageRoot + std::to_wstring(codePage);
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

TEST(FontByCharset, NullOrEmptyNameGivesNoFont) {
    EXPECT_EQ(nullptr, qx_GetFontByCharset(nullptr));
    EXPECT_EQ(nullptr, qx_GetFontByCharset(L""));
}

class FontByCharset : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(FontByCharset, NinePointFixedPitchWithTheDatabaseFace) {
    const wchar_t* name = GetParam();
    const unsigned codePage = qx_findcodepageW(name);
    HFONT font = qx_GetFontByCharset(name);
    ASSERT_NE(nullptr, font) << name;
    const LOGFONTW f = ReadBack(font);
    EXPECT_EQ(ExpectedHeight(), f.lfHeight) << name;
    EXPECT_EQ(0, f.lfWidth);
    EXPECT_EQ(0, f.lfEscapement);
    EXPECT_EQ(0, f.lfOrientation);
    EXPECT_EQ(FW_NORMAL, f.lfWeight);
    EXPECT_EQ(0, f.lfItalic);
    EXPECT_EQ(0, f.lfUnderline);
    EXPECT_EQ(0, f.lfStrikeOut);
    EXPECT_EQ(qx_getcharset(codePage), f.lfCharSet) << name;
    EXPECT_EQ(FIXED_PITCH | FF_DONTCARE, f.lfPitchAndFamily);
    EXPECT_EQ(ExpectedFace(codePage), f.lfFaceName) << name;
}

INSTANTIATE_TEST_SUITE_P(Charsets, FontByCharset,
                         ::testing::Values(L"euc-kr", L"windows-1252", L"shift_jis", L"utf-8", L"no-such-charset",
                                           L"x-cp10000"));

// Names that the system's database knows and the built-in table does not get the face and
// the character set of their script.
TEST(FontByCharsetOfTheSystem, AliasesGetTheirScriptsFace) {
    const std::pair<const wchar_t*, unsigned> rows[] = {
        {L"ms_Kanji", 932}, {L"x-ms-cp932", 932}, {L"chinese", 936}, {L"csbig5", 950}, {L"KSC5601", 949},
    };
    for (const auto& row : rows) {
        const LOGFONTW f = ReadBack(qx_GetFontByCharset(row.first));
        EXPECT_EQ(ExpectedFace(row.second), f.lfFaceName) << row.first;
        EXPECT_EQ(qx_getcharset(row.second), f.lfCharSet) << row.first;
    }
    const LOGFONTW kanji = ReadBack(qx_GetFontByCharset(L"ms_Kanji"));
    EXPECT_STREQ(L"MS Gothic", kanji.lfFaceName);
    EXPECT_EQ(SHIFTJIS_CHARSET, kanji.lfCharSet);
}

TEST(FontByCharsetFallback, CodePageWithoutAKeyGetsTahoma) {
    const unsigned codePage = qx_findcodepageW(L"x-cp10000");
    if (codePage == 0 || CodepageKeyExists(codePage)) GTEST_SKIP() << "code page 10000 is in this MIME database";
    const LOGFONTW f = ReadBack(qx_GetFontByCharset(L"x-cp10000"));
    EXPECT_STREQ(L"Tahoma", f.lfFaceName);
    EXPECT_EQ(qx_getcharset(codePage), f.lfCharSet);
}

TEST(FontByCharsetFallback, KeyWithoutAFaceGetsTahoma) {
    // utf-8 has a key in the database without a fixed-width face on some systems.
    std::wstring path = kCodepageRoot + std::to_wstring(65001u);
    wchar_t face[64];
    DWORD size = sizeof face;
    if (!CodepageKeyExists(65001) || RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), L"FixedWidthFont", RRF_RT_ANY,
                                                  nullptr, face, &size) == ERROR_SUCCESS)
        GTEST_SKIP() << "code page 65001 has no key or has a face here";
    EXPECT_STREQ(L"Tahoma", ReadBack(qx_GetFontByCharset(L"utf-8")).lfFaceName);
}

// A code-page key for x-cp10000 in a MIME database of the test's own making.
class OwnCodepageKey : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(machine_.Active()) << "HKEY_LOCAL_MACHINE cannot be redirected here"; }
    void SetFace(const std::wstring& face) {
        machine_.SetText(kCodepageRoot + std::wstring(L"10000"), L"FixedWidthFont", face);
    }

    QxRegistryRootOverride machine_{HKEY_LOCAL_MACHINE};
};

TEST_F(OwnCodepageKey, LongFaceIsCutToFitTheFontDescription) {
    const std::wstring longFace = L"A Font Face Name Far Longer Than Thirty-One Characters";
    SetFace(longFace);
    const LOGFONTW f = ReadBack(qx_GetFontByCharset(L"x-cp10000"));
    EXPECT_EQ(longFace.substr(0, LF_FACESIZE - 1), f.lfFaceName);
}

TEST_F(OwnCodepageKey, FaceOfExactlyThirtyOneCharactersIsKept) {
    const std::wstring face(LF_FACESIZE - 1, L'F');
    SetFace(face);
    EXPECT_EQ(face, ReadBack(qx_GetFontByCharset(L"x-cp10000")).lfFaceName);
}

TEST_F(OwnCodepageKey, EmptyFaceIsLeftToTheFontMapper) {
    SetFace(L"");
    EXPECT_STREQ(L"", ReadBack(qx_GetFontByCharset(L"x-cp10000")).lfFaceName);
}

// A MIME database of the test's own making in place of the machine's, whose keys only
// allow reading, as the machine's do for a standard user.
class ReadOnlyMimeDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(machine_.Active()) << "HKEY_LOCAL_MACHINE cannot be redirected here";
        const std::pair<unsigned, const wchar_t*> faces[] = {{932, L"Test Gothic"}, {949, L"Test Gulim"}};
        for (const auto& face : faces) {
            const std::wstring path = kCodepageRoot + std::to_wstring(face.first);
            machine_.SetText(path, L"FixedWidthFont", face.second);
            ASSERT_TRUE(machine_.MakeReadOnly(path));
        }
        const std::wstring alias = kCharsetRoot + std::wstring(L"ms_Kanji");
        const std::wstring target = kCharsetRoot + std::wstring(L"shift_jis");
        machine_.SetText(alias, L"AliasForCharset", L"shift_jis");
        machine_.SetNumber(target, L"InternetEncoding", 932);
        ASSERT_TRUE(machine_.MakeReadOnly(alias));
        ASSERT_TRUE(machine_.MakeReadOnly(target));
    }

    QxRegistryRootOverride machine_{HKEY_LOCAL_MACHINE};
};

TEST_F(ReadOnlyMimeDatabase, FontsTakeTheDatabaseFace) {
    struct Row {
        const wchar_t* name;
        const wchar_t* face;
        int charset;
    };
    const Row rows[] = {
        {L"shift_jis", L"Test Gothic", SHIFTJIS_CHARSET},
        {L"ms_Kanji", L"Test Gothic", SHIFTJIS_CHARSET},  // an alias in the database
        {L"euc-kr", L"Test Gulim", HANGUL_CHARSET},
        {L"windows-1251", L"Tahoma", RUSSIAN_CHARSET},  // no key for its code page
    };
    for (const Row& row : rows) {
        const LOGFONTW f = ReadBack(qx_GetFontByCharset(row.name));
        EXPECT_EQ(std::wstring(row.face), f.lfFaceName) << row.name;
        EXPECT_EQ(row.charset, f.lfCharSet) << row.name;
    }
}

// The language code, with the settings key put back as it was after each test.
class LanguageTest : public ::testing::Test {
protected:
    QxToolSettingsGuard settings_;
};

TEST_F(LanguageTest, ReadsTheLanguageOfTheSettings) {
    settings_.SetText(kQxSettingLang, L"ENG");
    CString language(L"stale");
    qx_GetLangStr(language);
    EXPECT_STREQ(L"ENG", language.GetString());
}

TEST_F(LanguageTest, MissingOrEmptyLanguageIsKorean) {
    settings_.Remove(kQxSettingLang);
    CString language(L"stale");
    qx_GetLangStr(language);
    EXPECT_STREQ(L"KOR", language.GetString());

    settings_.SetText(kQxSettingLang, L"");
    language = L"stale";
    qx_GetLangStr(language);
    EXPECT_STREQ(L"KOR", language.GetString());

    if (settings_.RemoveKey()) {  // only when the settings key is ours to delete
        language = L"stale";
        qx_GetLangStr(language);
        EXPECT_STREQ(L"KOR", language.GetString());
    }
}

TEST(LanguageReadOnly, ReadsASettingsKeyThatOnlyAllowsReading) {
    QxRegistryRootOverride user(HKEY_CURRENT_USER);
    ASSERT_TRUE(user.Active()) << "HKEY_CURRENT_USER cannot be redirected here";
    user.SetText(kQxToolSettingsKey, kQxSettingLang, L"ENG");
    ASSERT_TRUE(user.MakeReadOnly(kQxToolSettingsKey));
    CString language;
    qx_GetLangStr(language);
    EXPECT_STREQ(L"ENG", language.GetString());
}

}  // namespace

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"

namespace {

struct NameCase {
    const wchar_t* text;
    int basic;     // answer with the extended flag 0
    int extended;  // answer with the extended flag set
};

class NameValidation : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameValidation, AnswersPerMode) {
    const NameCase& c = GetParam();
    EXPECT_EQ(c.basic, qx_ValidationSpecialChar(Qx_WString(c.text), L"ignored", 5, 6, 0)) << "basic";
    EXPECT_EQ(c.extended, qx_ValidationSpecialChar(Qx_WString(c.text), nullptr, 0, 0, 1)) << "extended";
    EXPECT_EQ(c.extended, qx_ValidationSpecialChar(Qx_WString(c.text), nullptr, 0, 0, -7)) << "any non-zero flag";
}

INSTANTIATE_TEST_SUITE_P(Names, NameValidation,
                         ::testing::Values(NameCase{L"abc_123", 1, 1}, NameCase{L"1abc", 0, 0}, NameCase{L"9", 0, 0},
                                           NameCase{L"my name", 0, 1}, NameCase{L"a-b", 0, 0}, NameCase{L"a.b", 0, 0},
                                           NameCase{L"f(x),y", 0, 1}, NameCase{L"&'()*", 0, 1},
                                           NameCase{L"a%b", 0, 0},     // U+0025, just below the extended run
                                           NameCase{L"a+b", 0, 0},     // U+002B, just above it
                                           NameCase{L"\uD55C", 0, 0},  // a Hangul syllable
                                           NameCase{L"caf\u00E9", 0, 0}, NameCase{L"_", 1, 1},
                                           NameCase{L" 1", 0, 1},  // only a leading digit is refused
                                           NameCase{L"", 1, 1}));

struct AlphaCase {
    const wchar_t* text;
    int expected;
};

class AlphaTest : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(AlphaTest, EveryCharacterMustBeALetter) { EXPECT_EQ(GetParam().expected, qx_IsAlpha(GetParam().text)); }

INSTANTIATE_TEST_SUITE_P(Texts, AlphaTest,
                         ::testing::Values(AlphaCase{L"", 1}, AlphaCase{nullptr, 1}, AlphaCase{L"abc", 1},
                                           AlphaCase{L"ABCxyz", 1}, AlphaCase{L"ab1", 0}, AlphaCase{L"a b", 0},
                                           AlphaCase{L"a_b", 0}));

}  // namespace

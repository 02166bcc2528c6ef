// qx_stricmpW against the system's case-blind ordinal comparison, which it must answer
// exactly as: over every code unit, and over texts of several units.
#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

int SystemCompare(const wchar_t* a, const wchar_t* b) {
    int r = CompareStringOrdinal(a, -1, b, -1, TRUE);
    return r == CSTR_LESS_THAN ? -1 : (r == CSTR_GREATER_THAN ? 1 : 0);
}

int Sign(int r) { return r < 0 ? -1 : (r > 0 ? 1 : 0); }

}  // namespace

// Sorted by the system, every neighbouring pair compares the same way under qx_stricmpW.
// Both orders being transitive, they are then the same order on all pairs of single units
// (the terminator, the empty text, among them).
TEST(QxStricmpW, OrdersEverySingleUnitAsTheSystem) {
    std::vector<std::wstring> units;
    for (unsigned c = 0; c < 0x10000; ++c) units.push_back(c ? std::wstring(1, static_cast<wchar_t>(c)) : L"");
    std::stable_sort(units.begin(), units.end(), [](const std::wstring& a, const std::wstring& b) {
        return SystemCompare(a.c_str(), b.c_str()) < 0;
    });
    int differences = 0;
    for (size_t i = 1; i < units.size(); ++i) {
        const wchar_t* a = units[i - 1].c_str();
        const wchar_t* b = units[i].c_str();
        if (Sign(qx_stricmpW(a, b)) != SystemCompare(a, b) || Sign(qx_stricmpW(b, a)) != SystemCompare(b, a)) {
            if (++differences <= 10) ADD_FAILURE() << std::hex << "U+" << (a[0] + 0) << " against U+" << (b[0] + 0);
        }
    }
    EXPECT_EQ(differences, 0);
}

// Texts of several units: shared prefixes, case variants, surrogates, unpaired surrogates
// and units from every range, the first difference deciding and a prefix being smaller.
TEST(QxStricmpW, OrdersTextsAsTheSystem) {
    std::mt19937 random(12);
    const wchar_t pool[] = {L'a',   L'A',   L'z',   L'Z',   L'_',   L'0',   L'~',   0x00E9, 0x00C9, 0x00FF,
                            0x0178, 0x0131, 0x0130, 0x03C3, 0x03A3, 0x03C2, 0x1E9E, 0x00DF, 0x2C65, 0x023A,
                            0xD801, 0xDC00, 0xDC28, 0xFF41, 0xFF21, 0xFFFF, 0x10D0, 0x1C90};
    auto text = [&] {
        std::wstring t;
        int length = static_cast<int>(random() % 6);
        for (int i = 0; i < length; ++i)
            t += random() % 4 ? pool[random() % (sizeof pool / sizeof pool[0])]
                              : static_cast<wchar_t>(1 + random() % 0xFFFF);
        return t;
    };
    int differences = 0;
    for (int i = 0; i < 200000; ++i) {
        std::wstring a = text(), b = random() % 3 ? text() : a;
        if (random() % 2 && !b.empty()) b[random() % b.size()] ^= 0x20;  // often a case variant
        if (Sign(qx_stricmpW(a.c_str(), b.c_str())) != SystemCompare(a.c_str(), b.c_str()) && ++differences <= 10)
            ADD_FAILURE() << "texts of " << a.size() << " and " << b.size() << " units";
    }
    EXPECT_EQ(differences, 0);
}

TEST(QxStricmpW, AnswersMinusOneZeroOrOneAndTakesNullAsEmpty) {
    EXPECT_EQ(qx_stricmpW(L"abc", L"abd"), -1);
    EXPECT_EQ(qx_stricmpW(L"abd", L"ABC"), 1);
    EXPECT_EQ(qx_stricmpW(L"Straße", L"STRASSE"), SystemCompare(L"Straße", L"STRASSE"));
    EXPECT_EQ(qx_stricmpW(L"ab", L"ABC"), -1);
    EXPECT_EQ(qx_stricmpW(nullptr, L""), 0);
    EXPECT_EQ(qx_stricmpW(nullptr, L"a"), -1);
    EXPECT_EQ(qx_stricmpW(L"a", nullptr), 1);
    EXPECT_EQ(qx_stricmpW(nullptr, nullptr), 0);
}

TEST(StringFunctions, CompareNullSafeAndThreeWay) {
    EXPECT_EQ(qx_strlenW(nullptr), 0);
    EXPECT_EQ(qx_strlenW(L"abc"), 3);
    EXPECT_EQ(qx_strcmpW(L"a", L"a"), 0);
    EXPECT_LT(qx_strcmpW(L"A", L"a"), 0);
    EXPECT_EQ(qx_strcmpW(nullptr, L""), 0);
    EXPECT_EQ(qx_stricmpW(L"Customer", L"cUSTOMER"), 0);
    EXPECT_LT(qx_stricmpW(L"apple", L"Banana"), 0);
    EXPECT_GT(qx_stricmpW(L"b", L"A"), 0);
    EXPECT_EQ(qx_stricmpW(L"\u00C9T\u00C9", L"\u00E9t\u00E9"), 0);  // beyond ASCII
}

// Long documents through Qx_XmlDOM: XmlLite reads its input in pieces, and a document must
// come through whole whatever falls on the boundary of a piece.
#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include <string>

namespace {

// Entries with one-, two-, three- and four-byte UTF-8 characters in names, values and text.
std::wstring Entry(int i) {
    return L"<e n=\"\u00e9\u4e2d\U0001F600" + std::to_wstring(i) + L"\">\u00e9x\u4e2d" + std::to_wstring(i) + L"</e>\n";
}

void ExpectEntries(const Qx_XmlDOM& document, int count) {
    ASSERT_EQ(document.Count(), 1);
    const Qx_DOMElemList* entries = document.GetItem(0)->GetChildList();
    ASSERT_NE(entries, nullptr);
    ASSERT_EQ(entries->Count(), count);
    for (int i = 0; i < count; i += 7) {
        const Qx_DOMElement* e = entries->GetItem(i);
        ASSERT_NE(e->GetAttrItem(L"n"), nullptr);
        EXPECT_EQ(e->GetAttrItem(L"n")->value.str(), L"\u00e9\u4e2d\U0001F600" + std::to_wstring(i));
        EXPECT_EQ(e->GetText().str(), L"\u00e9x\u4e2d" + std::to_wstring(i));
    }
}

std::string Utf8(const std::wstring& text) {
    Qx_AString bytes(text.c_str(), static_cast<int>(text.size()), 65001);
    return bytes.str();
}

}  // namespace

TEST(XmlDomLongDocuments, WideTextOfManySizes) {
    for (int count : {1, 50, 400, 3000, 20000}) {
        std::wstring text = L"<list>\n";
        for (int i = 0; i < count; ++i) text += Entry(i);
        text += L"</list>";
        Qx_XmlDOM document(0);
        ASSERT_EQ(document.LoadXML(text.c_str()), 1) << count << ": " << testing::PrintToString(document.GetLastError().str());
        ExpectEntries(document, count);
    }
}

TEST(XmlDomLongDocuments, BytesInEveryEncodingForm) {
    const int count = 5000;
    std::wstring text = L"<list>\n";
    for (int i = 0; i < count; ++i) text += Entry(i);
    text += L"</list>";
    std::string utf8 = Utf8(text);

    std::string utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    const std::string forms[] = {
        utf8,
        "\xEF\xBB\xBF" + utf8,
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + utf8,
        "<?xml version='1.0' encoding='windows-1252'?>" + std::string("<list a='caf\xE9'/>"),
        "\xEF\xBB\xBF<?xml version='1.0' encoding='ISO-8859-1'?>" + utf8,  // the mark decides
        utf16,
    };
    for (size_t f = 0; f < sizeof forms / sizeof forms[0]; ++f) {
        Qx_Buffer buffer(forms[f].data(), static_cast<int>(forms[f].size()));
        Qx_XmlDOM document(0);
        int loaded = document.LoadXML(buffer);
        if (f == 3) {
            // A declared single-byte encoding takes the long way through UTF-16.
            ASSERT_EQ(loaded, 1) << testing::PrintToString(document.GetLastError().str());
            EXPECT_EQ(document.GetItem(0)->GetAttrItem(L"a")->value, L"caf\u00e9");
            continue;
        }
        ASSERT_EQ(loaded, 1) << "form " << f << ": " << testing::PrintToString(document.GetLastError().str());
        ExpectEntries(document, count);
    }
}

TEST(XmlDomLongDocuments, BadBytesStillFail) {
    Qx_Buffer empty;
    Qx_XmlDOM document(0);
    EXPECT_EQ(document.LoadXML(empty), 0);
    std::string bad = "\xEF\xBB\xBF<list>\xC3</list>";
    Qx_Buffer invalid(bad.data(), static_cast<int>(bad.size()));
    EXPECT_EQ(document.LoadXML(invalid), 0);
    EXPECT_EQ(document.Count(), 0);
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"
#include "platform/QxWin.h"
#include <string>

namespace {
int Load(Qx_XmlDOM& dom, const std::string& bytes) {
    Qx_Buffer buffer(bytes.data(), static_cast<int>(bytes.size()));
    return dom.LoadXML(buffer);
}

struct ParseCase {
    const char* what;
    std::string bytes;
    int expected;
};

class XmlDomParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(XmlDomParse, AnswersOneOnlyForWellFormedDocuments) {
    Qx_XmlDOM dom(0);
    EXPECT_EQ(Load(dom, GetParam().bytes), GetParam().expected)
        << GetParam().what << ": " << dom.GetLastError().c_str();
    if (GetParam().expected == 0) {
        EXPECT_EQ(dom.Count(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, XmlDomParse,
    ::testing::Values(ParseCase{"simple", "<a/>", 1},
                      ParseCase{"declaration", "<?xml version=\"1.0\"?><a x=\"1\"></a>", 1},
                      ParseCase{"empty buffer", "", 0}, ParseCase{"byte-order mark only", "\xEF\xBB\xBF", 0},
                      ParseCase{"utf-16 mark only", "\xFF\xFE", 0}, ParseCase{"truncated", "<a><b x=\"1\"/>", 0},
                      ParseCase{"truncated attribute", "<a x=\"1", 0}, ParseCase{"unclosed root", "<a>", 0},
                      ParseCase{"unclosed with text", "<a>text", 0}, ParseCase{"whitespace only", "  \r\n ", 0},
                      ParseCase{"not xml", "hello, world", 0}, ParseCase{"two roots", "<a/><b/>", 0},
                      ParseCase{"mismatched tags", "<a></b>", 0},
                      ParseCase{"dtd with entity", "<!DOCTYPE a [<!ENTITY e \"boom\">]><a>&e;</a>", 0},
                      ParseCase{"external entity", "<!DOCTYPE a SYSTEM \"file:///etc/passwd\"><a/>", 0},
                      ParseCase{"unknown declared encoding", "<?xml version=\"1.0\" encoding=\"x-no-such\"?><a/>", 0},
                      ParseCase{"comments and pi", "<!-- c --><?pi x?><a><!-- d --></a>", 1}));

TEST(XmlDom, ChildListHoldsElementsAndCDataButNoWhitespace) {
    Qx_XmlDOM dom(0);
    ASSERT_EQ(Load(dom, "<root>\n  <one/>\n  <!-- note -->\n  <two>text</two>\n  <![CDATA[raw <b>]]>\n</root>"), 1);
    ASSERT_EQ(dom.Count(), 1);
    const Qx_DOMElement* root = dom.GetItem(0);
    ASSERT_EQ(root->GetChildCount(), 3);
    EXPECT_EQ(root->GetChildList()->GetItem(0)->GetTag(), L"one");
    EXPECT_EQ(root->GetChildList()->GetItem(1)->GetText(), L"text");
    EXPECT_EQ(root->GetChildList()->GetItem(2)->GetNodeType(), QX_NODE_CDATA);
    EXPECT_EQ(root->GetChildList()->GetItem(2)->GetText(), L"raw <b>");
    EXPECT_EQ(root->GetChildList()->GetItem(0)->GetChildList(), nullptr);  // childless: no list
    EXPECT_EQ(root->GetChildList()->GetItem(3), nullptr);
    EXPECT_EQ(root->GetChildList()->GetItem(-1), nullptr);
}

TEST(XmlDom, FindTagIsExactAndStartsWhereAsked) {
    Qx_XmlDOM dom(0);
    ASSERT_EQ(Load(dom, "<r><a n='1'/><A n='2'/><a n='3'/></r>"), 1);
    const Qx_DOMElemList* kids = dom.GetItem(0)->GetChildList();
    EXPECT_EQ(kids->FindTag(L"a", 0), 0);
    EXPECT_EQ(kids->FindTag(L"a", 1), 2);
    EXPECT_EQ(kids->FindTag(L"A", 0), 1);
    EXPECT_EQ(kids->FindTag(L"b", 0), -1);
    EXPECT_EQ(kids->GetItem(L"a", 1)->GetAttrItem(L"n")->value, L"3");
    EXPECT_EQ(kids->GetItem(L"b", 0), nullptr);
    EXPECT_EQ(dom.FindTag(L"r", 0), 0);
}

TEST(XmlDom, AttributesAndTextExpandOnlyPredefinedAndNumericReferences) {
    Qx_XmlDOM dom(0);
    ASSERT_EQ(Load(dom, "<a v=\"&lt;&amp;&#65;&#x42;&quot;\" e=\"\">x &gt; y</a>"), 1);
    const Qx_DOMElement* a = dom.GetItem(0);
    EXPECT_EQ(a->GetAttrItem(L"v")->value, L"<&AB\"");
    ASSERT_NE(a->GetAttrItem(L"e"), nullptr);
    EXPECT_EQ(a->GetAttrItem(L"e")->value, L"");
    EXPECT_EQ(a->GetAttrItem(L"missing"), nullptr);
    EXPECT_EQ(a->GetAttrItem(L"V"), nullptr);
    EXPECT_EQ(a->GetText(), L"x > y");
}

TEST(XmlDom, ReadsNonAsciiNamesInEveryEncoding) {
    const std::wstring expected = L"\uD55C\uAE00 caf\u00E9";  // Hangul and a Latin-1 letter
    const std::wstring doc = L"<a name=\"" + expected + L"\"/>";
    Qx_WString wide(doc.c_str());
    Qx_AString utf8(wide, CP_UTF8);

    Qx_XmlDOM fromUtf8(0), fromUtf8Bom(0), fromUtf16(0), fromUtf16Be(0);
    ASSERT_EQ(Load(fromUtf8, utf8.str()), 1);
    ASSERT_EQ(Load(fromUtf8Bom, "\xEF\xBB\xBF" + utf8.str()), 1);
    ASSERT_EQ(Load(fromUtf16, Utf16Bytes(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + doc)), 1);
    std::string be = Utf16Bytes(doc);
    for (size_t i = 0; i < be.size(); i += 2) std::swap(be[i], be[i + 1]);
    ASSERT_EQ(Load(fromUtf16Be, be), 1);
    for (Qx_XmlDOM* dom : {&fromUtf8, &fromUtf8Bom, &fromUtf16, &fromUtf16Be})
        EXPECT_EQ(dom->GetItem(0)->GetAttrItem(L"name")->value, expected.c_str());
}

TEST(XmlDom, BytesThatAreNotUtf8AreReadInTheDeclaredOrAnsiCodePage) {
    Qx_XmlDOM declared(0), undeclared(0);
    ASSERT_EQ(Load(declared, "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a n=\"caf\xE9\"/>"), 1);
    EXPECT_EQ(declared.GetItem(0)->GetAttrItem(L"n")->value, L"caf\u00E9");
    ASSERT_EQ(Load(undeclared, "<a n=\"caf\xE9\"/>"), 1);  // not valid UTF-8: the ANSI code page
    Qx_WString ansi;
    ansi.Set("caf\xE9", -1, 0);
    EXPECT_EQ(undeclared.GetItem(0)->GetAttrItem(L"n")->value, ansi);
}

TEST(XmlDom, DeepNestingFailsWithoutCrashing) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<e>";
    for (int i = 0; i < 100000; ++i) deep += "</e>";
    Qx_XmlDOM dom(0);
    EXPECT_EQ(Load(dom, deep), 0);

    std::string fits;
    for (int i = 0; i < Qx_XmlDOM::kMaxDepth; ++i) fits += "<e>";
    for (int i = 0; i < Qx_XmlDOM::kMaxDepth; ++i) fits += "</e>";
    EXPECT_EQ(Load(dom, fits), 1);
}

TEST(XmlDom, LargeAttributeValueIsKeptWhole) {
    std::string value(10 * 1024 * 1024, 'v');
    Qx_XmlDOM dom(0);
    ASSERT_EQ(Load(dom, "<a big=\"" + value + "\"/>"), 1);
    EXPECT_EQ(dom.GetItem(0)->GetAttrItem(L"big")->value.GetLength(), static_cast<int>(value.size()));
}

TEST(XmlDom, ReloadingReplacesTheTreeAndAFailureEmptiesIt) {
    Qx_XmlDOM dom(0);
    ASSERT_EQ(Load(dom, "<a/>"), 1);
    ASSERT_EQ(Load(dom, "<b/>"), 1);
    EXPECT_EQ(dom.Count(), 1);
    EXPECT_EQ(dom.GetItem(0)->GetTag(), L"b");
    EXPECT_EQ(Load(dom, "<broken"), 0);
    EXPECT_EQ(dom.Count(), 0);
    EXPECT_FALSE(dom.GetLastError().IsEmpty());
}
}  // namespace

TEST(XmlDomLeadingBlanks, UnmarkedUtf8MayStartWithBlanks) {
    Qx_XmlDOM dom(0);
    EXPECT_EQ(Load(dom, "\n  <service name=\"s\"/>\n"), 1) << dom.GetLastError().c_str();
}

// Long documents through Qx_XmlDOM: XmlLite reads its input in pieces, and a document must
// come through whole whatever falls on the boundary of a piece.
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
        ASSERT_EQ(document.LoadXML(text.c_str()), 1)
            << count << ": " << testing::PrintToString(document.GetLastError().str());
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
        "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>" + utf8,  // a mark and a declaration that agree
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

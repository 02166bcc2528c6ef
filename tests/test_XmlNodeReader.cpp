// Damaged documents through Qx_XmlDOM: whatever the bytes, a load answers 1 only for one
// whole well-formed document, and it never ends the process (Wine's XmlLite aborts on some
// texts cut inside their declaration, and does not fail at an unclosed end).
#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"
#include <string>
#include <vector>

namespace {

int Load(const std::string& bytes) {
    Qx_XmlDOM dom(0);
    Qx_Buffer buffer(bytes.data(), static_cast<int>(bytes.size()));
    const int result = dom.LoadXML(buffer);
    if (result != 1) {
        EXPECT_EQ(dom.Count(), 0);
    }
    return result;
}

std::string Utf8(const std::wstring& text) {
    return Qx_AString(text.c_str(), static_cast<int>(text.size()), 65001).str();
}

std::string Utf16Be(const std::wstring& text) {
    std::string bytes = Utf16Bytes(text);
    for (size_t i = 0; i < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

struct Encoded {
    const char* name;
    std::string bytes;
    size_t unit;  // bytes per code unit: a cut inside a unit is no character
};

// One document in every encoding read. The ANSI forms hold one byte that is not ASCII, and
// not UTF-8 either, followed by a blank.
std::vector<Encoded> Encodings(const std::wstring& body, const std::string& ansi) {
    const std::wstring declared = L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n" + body;
    return {
        {"utf-8", Utf8(body), 1},
        {"utf-8 declared", Utf8(declared), 1},
        {"utf-8 with mark", "\xEF\xBB\xBF" + Utf8(declared), 1},
        {"utf-16le", Utf16Bytes(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body), 2},
        {"utf-16be", Utf16Be(body), 2},
        {"windows-1252 declared", "<?xml version='1.0' encoding='windows-1252'?>" + ansi, 1},
        {"ansi", ansi, 1},
    };
}

std::wstring Wide(const char* utf8) {
    Qx_WString text;
    text.Set(utf8, -1, 65001);
    return text.str();
}

TEST(XmlDomDamaged, EveryPrefixOfADocumentFailsInEveryEncoding) {
    const std::wstring body =
        L"<environments>\n  <local name=\"caf\u00e9 \U0001F600\" x='&amp;'><e/>t<![CDATA[<c>]]>"
        L"<!--n--><?p q?></local>\n</environments>\n";
    const std::string ansi = "<environments><local name=\"x\"/>caf\xE9 <!-- c --></environments>\n";
    for (const Encoded& e : Encodings(body, ansi)) {
        for (size_t n = 0; n <= e.bytes.size(); ++n) {
            // Whole: the document with or without its final line break, which is one unit.
            const bool expected = n == e.bytes.size() || n == e.bytes.size() - e.unit;
            ASSERT_EQ(Load(e.bytes.substr(0, n)), expected ? 1 : 0) << e.name << ", first " << n << " bytes";
        }
    }
}

TEST(XmlDomDamaged, TextsEndingInsideOrRightAfterTheDeclarationFail) {
    for (const char* text : {"<", "<?", "<?x", "<?xm", "<?xml", "<?xml ", "<?xml version=\"1.0\"?",
                             "<?xml version=\"1.0\"?>", "<?xml version=\"1.0\"?>\n", "<?xml version=\"1.0\"?><",
                             "\xEF\xBB\xBF<", "\xEF\xBB\xBF<?xml version='1.0'?>", "  <", "\n<?"}) {
        EXPECT_EQ(Load(text), 0) << text;
        EXPECT_EQ(Load(Utf16Bytes(Wide(text))), 0) << "utf-16: " << text;
    }
}

TEST(XmlDomDamaged, DeclarationMustBeWellFormedAndStandFirstAndOnce) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"<?xml version=\"1.0\"?><a/>", 1},
        {"<?xml version='1.10' encoding='utf-8' standalone='no' ?><a/>", 1},
        {"<?xml\tversion=\"1.0\"\r\n?>\n<a/>", 1},
        {"<?xml-stylesheet href='s'?><a/>", 1},  // a processing instruction, not a declaration
        {"<?xml?><a/>", 0},
        {"<?xml version=\"2.0\"?><a/>", 0},
        {"<?xml version=\"1.0\" standalone=\"maybe\"?><a/>", 0},
        {"<?xml encoding=\"utf-8\" version=\"1.0\"?><a/>", 0},
        {"<?xml version=\"1.0\"encoding=\"utf-8\"?><a/>", 0},
        {"<?xml version=\"1.0\" encoding=\"\"?><a/>", 0},
        {"<?xml version=\"1.0\"?><?xml version=\"1.0\"?><a/>", 0},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><?xml version=\"1.0\"?><a/>", 0},
        {"<?xml version=\"1.0\"?><?xml", 0},
        {" <?xml version=\"1.0\"?><a/>", 0},
        {"<a/><?xml version=\"1.0\"?>", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Load(c.text), c.expected) << c.text;
    // A declaration longer than XmlLite's first piece of input.
    EXPECT_EQ(Load("<?xml version=\"1.0\"" + std::string(20000, ' ') + "?><a/>"), 1);
    EXPECT_EQ(Load("<?xml version=\"1.0\"" + std::string(20000, ' ')), 0);
}

TEST(XmlDomDamaged, UnclosedEndsFailWhateverTheLastNode) {
    for (const char* text : {"<r><l></l>", "<r><l/>", "<r>text", "<r><!--c-->", "<r><![CDATA[x]]>", "<r><?p?>",
                             "<r>\n<l>\n</l>\n", "<environments><local><e name=\"x\"/></local>",
                             "<objectlist><o name=\"A\" type=\"T\"><var name=\"v\" type=\"int\"/></o>"}) {
        EXPECT_EQ(Load(text), 0) << text;
        EXPECT_EQ(Load(text + std::string("\n\n")), 0) << text << " and blanks";
    }
}

TEST(XmlDomDamaged, OnlyMarkupAndBlanksStandOutsideTheRoot) {
    EXPECT_EQ(Load("x<a/>"), 0);
    EXPECT_EQ(Load("<a/>x"), 0);
    EXPECT_EQ(Load("<a/><![CDATA[x]]>"), 0);
    EXPECT_EQ(Load("<a/></a>"), 0);
    EXPECT_EQ(Load("<a></b></a>"), 0);
    EXPECT_EQ(Load("<a/>\n<b/>"), 0);
    EXPECT_EQ(Load("<!--c--> <?p x?>\n<a/>\n<!--d-->\n"), 1);
}

TEST(XmlDomDamaged, BrokenCharactersFail) {
    EXPECT_EQ(Load(Utf16Bytes(L"<a/>") + "\n"), 0);                         // odd byte count
    EXPECT_EQ(Load(Utf16Bytes(L"<a v=\"\xD83D\"/>")), 0);                   // lone high surrogate
    EXPECT_EQ(Load(Utf16Bytes(L"<a v=\"\xDE00x\"/>")), 0);                  // lone low surrogate
    EXPECT_EQ(Load(Utf16Bytes(L"<a v=\"\xD83D\xDE00\"/>")), 1);             // a pair is one character
    EXPECT_EQ(Load("\xEF\xBB\xBF<a v=\"\xC3\"/>"), 0);                      // marked UTF-8 cut in a character
    EXPECT_EQ(Load(std::string("<a>\0</a>", 8)), 0);                        // U+0000 is in no document
    EXPECT_EQ(Load(Utf16Bytes(L"<?xml version=\"1.0\"?><a/>", false)), 0);  // UTF-16 without its mark
    EXPECT_EQ(Load("<?xml version='1.0' encoding='utf-8'?><a v=\"\xE4\xB8\"/>"), 0);
    Qx_XmlDOM dom(0);
    EXPECT_EQ(dom.LoadXML(L"<a v=\"\xD800\"/>"), 0);
    EXPECT_EQ(dom.LoadXML(L"<?xml version=\"1.0\""), 0);
    EXPECT_EQ(dom.LoadXML(L"<?xml version=\"1.0\" encoding=\"utf-16\"?><a/>"), 1);
}

}  // namespace

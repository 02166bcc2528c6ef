// The rules of well-formedness that Wine's XmlLite does not keep, a table per rule: each row
// a piece of a document and whether the document is well-formed with it. Every row is read
// in every encoding the library reads that can hold it, through qx_ValidXML, through
// Qx_XmlDOM from wide text and through qx_ReadServerList, and judged by the fuzz program's
// oracle; each must give the row's answer.
#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"
#include "tools/qxfuzz/FuzzOracle.h"
#include <string>
#include <vector>

namespace {

struct Row {
    std::wstring text;
    bool wellFormed;
};

// Where a row's text stands: inside the one entry of a server group, or before the root.
enum Place { kInEntry, kBeforeRoot };

std::wstring Document(const std::wstring& text, Place place) {
    const std::wstring root = L"<environments><server><e name=\"caf\u00e9\">";
    const std::wstring end = L"</e></server></environments>";
    return place == kInEntry ? root + text + end : text + root + end;
}

// The bytes of text in a code page; false when it cannot hold every character.
bool Encode(const std::wstring& text, unsigned codePage, std::string& bytes) {
    BOOL lossy = FALSE;
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      utf8 ? nullptr : &lossy);
    if (n <= 0 || lossy) return false;
    bytes.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    return true;
}

bool InUtf8(const std::wstring& text, std::string& out) { return Encode(text, CP_UTF8, out); }

bool InMarkedUtf8(const std::wstring& text, std::string& out) {
    if (!Encode(text, CP_UTF8, out)) return false;
    out.insert(0, "\xEF\xBB\xBF");
    return true;
}

bool InUtf16(const std::wstring& text, std::string& out) {
    out = Utf16Bytes(text);
    return true;
}

bool InUtf16Be(const std::wstring& text, std::string& out) {
    out = Utf16Bytes(text);
    for (size_t i = 0; i < out.size(); i += 2) std::swap(out[i], out[i + 1]);
    return true;
}

bool InDeclared1252(const std::wstring& text, std::string& out) {
    if (!Encode(text, 1252, out)) return false;
    out.insert(0, "<?xml version=\"1.0\" encoding=\"windows-1252\"?>");
    return true;
}

bool InAnsi(const std::wstring& text, std::string& out) { return Encode(text, CP_ACP, out); }

// Every encoding the library reads, each with the bytes of a document in it.
struct Form {
    const char* name;
    bool (*bytes)(const std::wstring& text, std::string& out);
    bool declares;  // puts a declaration of its own in front
};

// clang-format off
const Form kForms[] = {
    {"utf-8", InUtf8, false},
    {"utf-8 with mark", InMarkedUtf8, false},
    {"utf-16le", InUtf16, false},
    {"utf-16be", InUtf16Be, false},
    {"windows-1252 declared", InDeclared1252, true},
    {"ansi", InAnsi, false},
};
// clang-format on

class XmlRules : public ::testing::Test {
protected:
    void SetUp() override { qx_SetWorkingDir(folder_.Path().c_str()); }
    void TearDown() override { qx_SetWorkingDir(L""); }

    // Runs one table: every row in every form that can hold it, and from wide text.
    void Expect(const std::vector<Row>& rows, Place place = kInEntry) {
        for (const Row& row : rows) {
            const std::wstring text = Document(row.text, place);
            int forms = 0;
            for (const Form& form : kForms) {
                std::string bytes;
                if ((form.declares && place == kBeforeRoot) || !form.bytes(text, bytes)) continue;
                ++forms;
                ExpectBytes(bytes, row.wellFormed, Label(row, form.name));
            }
            Qx_XmlDOM dom(0);
            EXPECT_EQ(dom.LoadXML(text.c_str(), static_cast<int>(text.size())), row.wellFormed ? 1 : 0)
                << Label(row, "wide text") << dom.GetLastError().c_str();
            EXPECT_EQ(qxfuzz::IsWellFormed(text), row.wellFormed) << Label(row, "wide text, oracle");
            EXPECT_GT(forms, 0) << Label(row, "no encoding holds it");
        }
    }

    void ExpectBytes(const std::string& bytes, bool wellFormed, const std::string& label) {
        Qx_Buffer buffer(bytes.data(), static_cast<int>(bytes.size()));
        EXPECT_EQ(qx_ValidXML(buffer), wellFormed ? 1 : 0) << label;
        EXPECT_EQ(qxfuzz::IsWellFormed(bytes), wellFormed) << label << ", oracle";
        ASSERT_TRUE(WriteBytes(folder_.File(L"qrx_serverenv.xml"), bytes));
        Qx_PtrList list;
        EXPECT_EQ(qx_ReadServerList(list), wellFormed) << label << ", qx_ReadServerList";
        ASSERT_EQ(list.Count(), wellFormed ? 1 : 0) << label << ", qx_ReadServerList";
        if (wellFormed) {
            EXPECT_EQ(static_cast<SERVER_INFO*>(list.Items(0))->name, L"caf\u00e9") << label;
        }
        qx_ClearServerInformation(list);
    }

    static std::string Label(const Row& row, const char* form) {
        std::string printable;
        for (wchar_t c : row.text) {
            char escaped[16];
            if (c >= 0x20 && c < 0x7F) {
                printable += static_cast<char>(c);
            } else {
                snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
                printable += escaped;
            }
        }
        return "row " + printable + " (" + (row.wellFormed ? "well-formed" : "not well-formed") + "), " + form + ": ";
    }

    TempDir folder_;
};

// A character by code point, as UTF-16.
std::wstring Character(unsigned long c) {
    if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
    c -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
}

std::wstring Hex(unsigned long c) {
    wchar_t text[16];
    swprintf(text, 16, L"%lX", c);
    return text;
}

// [2] Char: both sides of every edge of the ranges, raw in text, CDATA, comments and
// attribute values, and referred to in hex and decimal.
TEST_F(XmlRules, CharactersRawAndReferredTo) {
    struct Edge {
        unsigned long c;
        bool legal;
    };
    // clang-format off
    const Edge edges[] = {{0x8, false},    {0x9, true},     {0xA, true},     {0xB, false},
                          {0xC, false},    {0xD, true},     {0xE, false},    {0x1B, false},
                          {0x1F, false},   {0x20, true},    {0x7F, true},    {0x85, true},
                          {0xD7FF, true},  {0xD800, false}, {0xDFFF, false}, {0xE000, true},
                          {0xFFFD, true},  {0xFFFE, false}, {0xFFFF, false}, {0x10000, true},
                          {0x10FFFF, true}};
    // clang-format on
    std::vector<Row> rows;
    for (const Edge& e : edges) {
        const std::wstring c = Character(e.c);
        for (const std::wstring& text :
             {L"a" + c + L"b", L"<t v=\"a" + c + L"b\"/>", L"<![CDATA[" + c + L"]]>", L"<!--" + c + L"-->",
              L"&#x" + Hex(e.c) + L";", L"<t v='&#" + std::to_wstring(e.c) + L";'/>"})
            rows.push_back({text, e.legal});
    }
    rows.push_back({Character(0xDC00) + Character(0xD800), false});  // a pair in the wrong order
    for (const wchar_t* reference :
         {L"&#0;", L"&#x0;", L"&#x110000;", L"&#1114112;", L"&#99999999999999999999;", L"&#xFFFFFFFF00000041;"})
        rows.push_back({reference, false});
    rows.push_back({L"&#1114111;&#x0000000000000041;&#x10FFFF;", true});
    Expect(rows);
    Expect({{L"<?p \x01?>", false}, {L"<?p \x7F?>", true}}, kBeforeRoot);
}

// Wine's XmlLite refuses a reference to a character beyond U+FFFF in an attribute value and
// hands one in text out as it is written: records hold the character, as when written raw.
TEST_F(XmlRules, ReferencesBeyondTheBasicPlaneGiveTheCharacter) {
    const std::wstring expected = L"\U0001F600\U00010000x\U0010FFFF";
    const std::wstring document =
        L"<environments><server><e name=\"&#x1F600;&#65536;x&#x10FFFF;\">"
        L"&#x1F600;&#65536;x&#x10FFFF;</e></server></environments>";
    Qx_XmlDOM dom(0);
    ASSERT_EQ(dom.LoadXML(document.c_str()), 1) << dom.GetLastError().c_str();
    const Qx_DOMElement* entry = dom.GetItem(0)->GetChildList()->GetItem(0)->GetChildList()->GetItem(0);
    EXPECT_EQ(entry->GetAttrItem(L"name")->value.str(), expected);
    EXPECT_EQ(entry->GetText().str(), expected);

    std::string bytes;
    ASSERT_TRUE(Encode(document, CP_UTF8, bytes));
    ASSERT_TRUE(WriteBytes(folder_.File(L"qrx_serverenv.xml"), bytes));
    Qx_PtrList list;
    ASSERT_TRUE(qx_ReadServerList(list));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(static_cast<SERVER_INFO*>(list.Items(0))->name.str(), expected);
    qx_ClearServerInformation(list);
}

// [4], [5] Name: both sides of every edge of NameStartChar and NameChar, as the first
// character and as a later one of element, attribute and target names.
TEST_F(XmlRules, NamesStartWithANameStartCharacter) {
    struct Edge {
        unsigned long c;
        bool start, name;
    };
    // clang-format off
    const Edge edges[] = {
        {'A', true, true},       {'z', true, true},        {'_', true, true},
        {'-', false, true},      {'.', false, true},       {'0', false, true},
        {'9', false, true},      {0xB7, false, true},      {0xBF, false, false},
        {0xC0, true, true},      {0xD6, true, true},       {0xD7, false, false},
        {0xD8, true, true},      {0xF6, true, true},       {0xF7, false, false},
        {0xF8, true, true},      {0x2FF, true, true},      {0x300, false, true},
        {0x36F, false, true},    {0x370, true, true},      {0x37D, true, true},
        {0x37E, false, false},   {0x37F, true, true},      {0x1FFF, true, true},
        {0x2000, false, false},  {0x200B, false, false},   {0x200C, true, true},
        {0x200D, true, true},    {0x200E, false, false},   {0x203E, false, false},
        {0x203F, false, true},   {0x2040, false, true},    {0x2041, false, false},
        {0x206F, false, false},  {0x2070, true, true},     {0x218F, true, true},
        {0x2190, false, false},  {0x2BFF, false, false},   {0x2C00, true, true},
        {0x2FEF, true, true},    {0x2FF0, false, false},   {0x3000, false, false},
        {0x3001, true, true},    {0xD7FF, true, true},     {0xE000, false, false},
        {0xF8FF, false, false},  {0xF900, true, true},     {0xFDCF, true, true},
        {0xFDD0, false, false},  {0xFDEF, false, false},   {0xFDF0, true, true},
        {0xFFFD, true, true},    {0x10000, true, true},    {0xEFFFF, true, true},
        {0xF0000, false, false}, {0x10FFFF, false, false},
    };
    // clang-format on
    std::vector<Row> rows, targets;
    for (const Edge& e : edges) {
        const std::wstring c = Character(e.c);
        rows.push_back({L"<" + c + L"t/>", e.start});
        rows.push_back({L"<t" + c + L"></t" + c + L">", e.name});
        rows.push_back({L"<t " + c + L"a=\"1\"/>", e.start});
        rows.push_back({L"<t a" + c + L"=\"1\"/>", e.name});
        targets.push_back({L"<?" + c + L"p?>", e.start});
        targets.push_back({L"<?p" + c + L" x?>", e.name});
    }
    Expect(rows);
    Expect(targets, kBeforeRoot);
}

// [66] CharRef, [68] EntityRef: exact forms, and without a DTD only the five predefined
// entities.
TEST_F(XmlRules, ReferencesKeepTheirForm) {
    std::vector<Row> rows = {
        {L"&#65;&#x41;&#x4a;&#x4A;&#0065;", true},
        {L"&#X41;", false},
        {L"&#x41 ;", false},
        {L"&# 65;", false},
        {L"&#65a;", false},
        {L"&#;", false},
        {L"&#x;", false},
        {L"&#xg;", false},
        {L"&#65 b", false},
        {L"&#-65;", false},
        {L"&#x-41;", false},
        {L"&lt;&gt;&amp;&apos;&quot;", true},
        {L"&amp ;", false},
        {L"& amp;", false},
        {L"&AMP;", false},
        {L"&undefined;", false},
        {L"&", false},
        {L"a & b", false},
        {L"&amp", false},
        {L"&.ent;", false},
        {L"&1a;", false},
        {L"&#", false},
        {L"&&amp;", false},
    };
    const size_t textRows = rows.size();
    for (size_t i = 0; i < textRows; ++i) rows.push_back({L"<t v=\"" + rows[i].text + L"\"/>", rows[i].wellFormed});
    Expect(rows);
}

// [40]-[44] tags: blanks between attributes, Eq, quotes, no '<' in a value, each attribute
// once (pairwise among few, sorted among many).
TEST_F(XmlRules, TagsPartAttributesAndGiveEachOnce) {
    std::wstring many, manyTwice;
    for (int i = 0; i < 40; ++i) many += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    manyTwice = many + L" a17=\"x\"";
    Expect({
        {L"<t a='1' b=\"2\"/>", true},
        {L"<t a='1'b='2'/>", false},
        {L"<t a=\"1\"b=\"2\"/>", false},
        {L"<t\ta = \"1\"\r\nb\n=\n'2' />", true},
        {L"<t a=\"1\" a=\"2\"/>", false},
        {L"<t a=\"1\" A=\"2\"/>", true},
        {L"<t a=\"1\" b=\"2\" a=\"3\"/>", false},
        {L"<t" + many + L"/>", true},
        {L"<t" + manyTwice + L"/>", false},
        {L"<t a=1/>", false},
        {L"<t a/>", false},
        {L"<t a=\"<\"/>", false},
        {L"<t a='\"' b=\"'\" c=\">\"/>", true},
        {L"<t/ >", false},
        {L"<t a=\"1\"/ >", false},
        {L"<t></t >", true},
        {L"<t></ t>", false},
        {L"< t/>", false},
        {L"<t a=\"1\" b=\"1\"></t>", true},
        {L"<t a='1'></t a='1'>", false},
        {L"<t></tt>", false},
        {L"<t></t\u020f>", false},
        {L"<t><u></t></u>", false},
        {L"<\u00e9><\u00e9/></\u00e9>", true},
        {L"<t a=\"x", false},
    });
}

// Namespaces in XML, which XmlLite reads every document with: a tag or attribute name is a
// QName [7], one colon at most and not at either end; a target has no colon.
TEST_F(XmlRules, NamesAreQualifiedNames) {
    Expect({
        {L"<p:t xmlns:p=\"u\"/>", true},
        {L"<p:t xmlns:p=\"u\"></p:t>", true},
        {L"<t xmlns:p=\"u\" p:a=\"1\" a=\"2\"/>", true},
        {L"<t xml:lang=\"en\"/>", true},
        {L"<:t/>", false},
        {L"<t:/>", false},
        {L"<p::t/>", false},
        {L"<p:q:t/>", false},
        {L"<t :a=\"1\"/>", false},
        {L"<t a:=\"1\"/>", false},
        {L"<t p:q:a=\"1\"/>", false},
        {L"<t></:t>", false},
        {L"<?p:q x?>", false},
        {L"<?:p?>", false},
    });
    // "<?xml" followed by anything but a blank starts a processing instruction, also where
    // the next byte is a character of the ANSI code page that the text is read in.
    std::string bytes;
    ASSERT_TRUE(Encode(L"<?xml\u02c6 version='1.0'?>" + Document(L"", kInEntry), 1252, bytes));
    ExpectBytes(bytes, true, "\"<?xml\" and a byte of the ANSI code page");
    ASSERT_TRUE(Encode(L"<?xml\u2026 version='1.0'?>" + Document(L"", kInEntry), 1252, bytes));
    ExpectBytes(bytes, false, "\"<?xml\" and an ellipsis, no name character");
}

// [14] CharData: no "]]>" outside a CDATA section; [18]-[21] CDATA; [15] comments.
TEST_F(XmlRules, CharDataCDataAndComments) {
    Expect({
        {L"a]]>b", false},
        {L"a]]b a]>b a>b ]]", true},
        {L"a]]]>b", false},
        {L"<t v=\"]]>\"/>", true},
        {L"<![CDATA[<&>]]]]>", true},
        {L"<![CDATA[a]]>b]]>", false},
        {L"<![cdata[x]]>", false},
        {L"<![CDATA[x]>", false},
        {L"<!-- a - b -->", true},
        {L"<!---->", true},
        {L"<!-- a -- b -->", false},
        {L"<!-- a --->", false},
        {L"<!- a -->", false},
        {L"<!DOCTYPE t>", false},
        {L"<!ELEMENT t ANY>", false},
    });
}

// [16], [17] PI: a name for a target, followed by a blank or "?>"; "xml" in no case but
// the declaration's, which stands first and only there; [23] XMLDecl's own form.
TEST_F(XmlRules, ProcessingInstructionsAndTheDeclaration) {
    Expect({
        {L"<?p?>", true},
        {L"<?p  x y ?>", true},
        {L"<?p x ?? >?>", true},
        {L"<?xml-stylesheet x?>", true},
        {L"<?xmlx?>", true},
        {L"<?xml x?>", false},
        {L"<?XML x?>", false},
        {L"<?XmL x?>", false},
        {L"<?xMl?>", false},
        {L"<?name& x?>", false},
        {L"<?xx#?>", false},
        {L"<? p?>", false},
        {L"<?p?x?>", false},
        {L"<?p x", false},
    });
    Expect(
        {
            {L"<?xml version=\"1.0\"?>", true},
            {L"<?xml  version = '1.0'  standalone = \"no\" ?>", true},
            {L"<?xml version=\"1.0\"?><?pi x?><!--c-->\n", true},
            {L"<!-- c --><?xml version=\"1.0\"?>", false},
            {L" <?xml version=\"1.0\"?>", false},
            {L"<?XML version=\"1.0\"?>", false},
            {L"<?Xml version=\"1.0\"?>", false},
            {L"<?xml?>", false},
            {L"<?xml version=\"1.0'?>", false},
            {L"<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?>", false},
            {L"<?xml encoding=\"UTF-8\" version=\"1.0\"?>", false},
            {L"<?xml version=\"1.0\"encoding=\"UTF-8\"?>", false},
            {L"<?xml version=\"1.0\" VERSION=\"1.0\"?>", false},
        },
        kBeforeRoot);
}

// 4.3.3: a byte-order mark and a declared encoding must name the same encoding.
TEST_F(XmlRules, AMarkAndTheDeclaredEncodingAgree) {
    struct Case {
        const char* what;
        std::string bytes;
        bool wellFormed;
    };
    auto utf16 = [](const wchar_t* encoding, bool bigEndian) {
        std::string bytes = Utf16Bytes(
            Document(L"", kInEntry).insert(0, L"<?xml version=\"1.0\" encoding=\"" + std::wstring(encoding) + L"\"?>"));
        if (bigEndian)
            for (size_t i = 0; i < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
        return bytes;
    };
    auto utf8 = [](const char* mark, const char* encoding) {
        std::string body;
        Encode(Document(L"", kInEntry), CP_UTF8, body);
        return std::string(mark) + "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>" + body;
    };
    const Case cases[] = {
        {"utf-8 mark, UTF-8", utf8("\xEF\xBB\xBF", "UTF-8"), true},
        {"utf-8 mark, ISO-8859-1", utf8("\xEF\xBB\xBF", "ISO-8859-1"), false},
        {"utf-8 mark, UTF-16", utf8("\xEF\xBB\xBF", "UTF-16"), false},
        {"utf-8 mark, unknown", utf8("\xEF\xBB\xBF", "x-no-such"), false},
        {"no mark, UTF-8", utf8("", "UTF-8"), true},
        {"no mark, UTF-16 in single bytes", utf8("", "UTF-16"), false},
        {"utf-16le mark, UTF-16", utf16(L"UTF-16", false), true},
        {"utf-16le mark, UTF-16LE", utf16(L"utf-16le", false), true},
        {"utf-16le mark, UTF-16BE", utf16(L"UTF-16BE", false), false},
        {"utf-16le mark, UTF-8", utf16(L"UTF-8", false), false},
        {"utf-16le mark, windows-1252", utf16(L"windows-1252", false), false},
        {"utf-16be mark, UTF-16", utf16(L"UTF-16", true), true},
        {"utf-16be mark, UTF-16BE", utf16(L"UTF-16BE", true), true},
        {"utf-16be mark, UTF-16LE", utf16(L"UTF-16LE", true), false},
        {"utf-16be mark, UTF-8", utf16(L"UTF-8", true), false},
    };
    for (const Case& c : cases) ExpectBytes(c.bytes, c.wellFormed, c.what);
}

}  // namespace

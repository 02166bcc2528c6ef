#include "tools/qxfuzz/FuzzDocuments.h"
#include "platform/QxWin.h"

namespace qxfuzz {
namespace {

const char* const kNames[kKindCount] = {"server-environment", "adaptor-catalogue",  "module-list",
                                        "member-list",        "service-definition", "service-source"};

struct Seed {
    const wchar_t* name;
    const wchar_t* text;  // the document, ending with its last '>'
};

// Two seeds per kind: the shape the tool writes, and one with what XML allows besides
// (comments, processing instructions, CDATA, references, blanks, characters beyond ASCII).
std::vector<Seed> Seeds(Kind kind) {
    switch (kind) {
    case Kind::ServerEnvironment:
        return {{L"plain",
                 L"<environments>\n  <local>\n    <env name=\"Demo\" adaptor=\"ADO\" svc_forder=\"services\""
                 L" connection_str=\"Driver=SQLite3;Database=demo.db;\" DBUser=\"demo\" DBPass=\"secret\"/>\n"
                 L"  </local>\n  <AspJsp>\n    <env name=\"Pages\" PrgmType=\"ASP\" baseurl=\"http://h/app\"/>\n"
                 L"  </AspJsp>\n  <server>\n    <env name=\"Server\" grpname=\"demo\" ip=\"127.0.0.1\" port=\"7311\""
                 L" TimeOut=\"10\"/>\n    <env name=\"Second\"/>\n  </server>\n</environments>"},
                {L"rich",
                 L"<!-- environments -->\n<?tool keep?>\n<environments>\n  <server>\n"
                 L"    <e name=\"caf\u00e9 &amp; &#x41;\" ip='10.0.0.1' port=\"1\">text<![CDATA[<x>]]></e>\n"
                 L"    <e name=\"\u00e0 &lt;b&gt;\"/>\n  </server>\n  <local><e name=\"l\"/></local>\n"
                 L"</environments>"}};
    case Kind::AdaptorCatalogue:
        return {{L"plain",
                 L"<adaptors>\n  <adaptor adaptor=\"ADO\" moudle=\"QxOdbcAdaptor320U\" id=\"ODBC\" type=\"DB\""
                 L" name=\"ODBC database adaptor\" ver=\"1\"/>\n  <adaptor adaptor=\"TCP\" moudle=\"QxTcpAdaptor320U\""
                 L" id=\"TCP\" type=\"COM\" name=\"TCP adaptor\" ver=\"1\"/>\n</adaptors>"},
                {L"rich",
                 L"<?xml-stylesheet href=\"a.xsl\"?>\n<adaptors><!-- one -->\n  <a adaptor=\"ADO\" moudle=\"m\""
                 L" id=\"\u00e9\" type=\"t\" name=\"n &quot;q&quot;\" ver=\"2\"></a>\n</adaptors>"}};
    case Kind::ModuleList:
        return {
            {L"plain",
             L"<adaptors>\n  <module name=\"Standard\" module=\"QxSvcEnv\"/>\n"
             L"  <module name=\"Batch\" module=\"QxBatchEnv\"/>\n</adaptors>"},
            {L"rich",
             L"<adaptors><m name=\"\u00e9t\u00e9\" module='A&amp;B'/><!--x--><m name=\"b\" module=\"\"/></adaptors>"}};
    case Kind::MemberList:
        return {
            {L"plain",
             L"<objectlist>\n  <object name=\"Customer\" type=\"CCustomer\" comment=\"A customer\">\n"
             L"    <var name=\"Id\" type=\"long\" comment=\"Key\"/>\n    <Method name=\"Load\""
             L" prototype=\"bool Load(long id)\"/>\n  </object>\n  <object name=\"Order\" type=\"COrder\">\n"
             L"    <METHOD name=\"Cancel\" prototype=\"void Cancel()\"/>\n  </object>\n</objectlist>"},
            {L"rich",
             L"<objectlist><!-- c --><o name=\"\u00e9\" type=\"T\" comment=\"a &lt; b\"><var name=\"v\" type=\"int\">"
             L"<![CDATA[ignored]]></var><other/></o>\n<o name=\"B\" type=\"\"/></objectlist>"}};
    case Kind::ServiceDefinition:
    case Kind::ServiceSource:
        return {
            {L"plain",
             L"<service name=\"demo_customers_by_city\" class_name=\"CCustomersByCity\">\n"
             L"  <description>The customers of one city.</description>\n  <input>\n"
             L"    <variable name=\"city\" type=\"string\" required=\"1\"/>\n  </input>\n  <output>\n"
             L"    <variable name=\"customer_count\"/>\n    <dataset name=\"customers\"/>\n  </output>\n"
             L"  <statement dataset=\"customers\"><![CDATA[\n    SELECT id, name FROM customers WHERE city = :city\n"
             L"  ]]></statement>\n</service>"},
            {L"rich",
             L"<service name=\"s\">\n  <description>caf\u00e9 &amp; more</description>\n"
             L"  <statement variables=\"1\"><![CDATA[SELECT 1 AS one]]></statement>\n</service>"}};
    }
    return {};
}

// A third seed per kind, longer than the pieces XmlLite reads its input in (8 KB): many
// entries, each with a character beyond ASCII.
std::wstring LongSeed(Kind kind) {
    std::wstring head, entry, tail;
    switch (kind) {
    case Kind::ServerEnvironment:
        head = L"<environments>\n<server>\n";
        entry = L"  <env name=\"caf\u00e9 #\" grpname=\"g\" ip=\"10.0.0.1\" port=\"#\" TimeOut=\"10\"/>\n";
        tail = L"</server>\n</environments>";
        break;
    case Kind::AdaptorCatalogue:
        head = L"<adaptors>\n  <a adaptor=\"ADO\" moudle=\"m\" id=\"i\" type=\"t\" name=\"n\" ver=\"1\"/>\n";
        entry = L"  <a adaptor=\"A#\" moudle=\"m#\" id=\"i\" type=\"t\" name=\"\u00e9 #\" ver=\"1\"/>\n";
        tail = L"</adaptors>";
        break;
    case Kind::ModuleList:
        head = L"<adaptors>\n";
        entry = L"  <module name=\"\u00e9 #\" module=\"QxEnv#\"/>\n";
        tail = L"</adaptors>";
        break;
    case Kind::MemberList:
        head = L"<objectlist>\n";
        entry = L"  <o name=\"O#\" type=\"T\"><var name=\"v\" type=\"int\" comment=\"\u00e9\"/></o>\n";
        tail = L"</objectlist>";
        break;
    case Kind::ServiceDefinition:
    case Kind::ServiceSource:
        head = L"<service name=\"long\">\n";
        entry = L"  <statement variables=\"1\"><![CDATA[SELECT # AS n -- caf\u00e9]]></statement>\n";
        tail = L"</service>";
        break;
    }
    std::wstring text = head;
    for (int i = 0; i < 300; ++i) {
        std::wstring one = entry;
        for (size_t at = one.find(L'#'); at != std::wstring::npos; at = one.find(L'#'))
            one.replace(at, 1, std::to_wstring(i));
        text += one;
    }
    return text + tail;
}

std::string Encode(const std::wstring& text, unsigned codePage, bool* exact = nullptr) {
    if (text.empty()) return std::string();
    BOOL lossy = FALSE;
    const bool utf = codePage == CP_UTF8;
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                utf ? nullptr : &lossy);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr,
                        utf ? nullptr : &lossy);
    if (exact) *exact = !lossy;
    return bytes;
}

std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string bytes;
    for (wchar_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

std::string Narrow(const wchar_t* text) { return Encode(text, CP_UTF8); }

// A document: head, the seed, then a tail of blanks; the whole document ends before the tail.
Document Make(const std::string& name, const std::string& head, const std::string& body, const std::string& tail,
              size_t unit) {
    Document d;
    d.name = name;
    d.bytes = head + body;
    d.wholeFrom = d.bytes.size();
    d.bytes += tail;
    d.unit = unit;
    return d;
}

void AddXmlEncodings(const Seed& seed, std::vector<Document>& out) {
    const std::string name = Narrow(seed.name);
    const std::wstring text = seed.text;
    const char decl8[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    out.push_back(Make(name + ", utf-8", "", Encode(text, CP_UTF8), "\n", 1));
    out.push_back(Make(name + ", utf-8 declared, CR LF", decl8, Encode(WithCrLf(text), CP_UTF8), "\r\n", 1));
    out.push_back(
        Make(name + ", utf-8 with mark", std::string("\xEF\xBB\xBF") + decl8, Encode(text, CP_UTF8), " \n", 1));
    out.push_back(Make(name + ", utf-16le", "\xFF\xFE" + Utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n", false),
                       Utf16(text, false), Utf16(L"\n", false), 2));
    out.push_back(Make(name + ", utf-16be", "\xFE\xFF", Utf16(text, true), Utf16(L"\r\n", true), 2));
    bool exact = false;
    const std::string latin = Encode(text, 1252, &exact);
    if (exact)
        out.push_back(Make(name + ", windows-1252 declared",
                           "<?xml version='1.0' encoding='windows-1252' standalone='yes'?>", latin, "\n", 1));
    const std::string ansi = Encode(text, CP_ACP, &exact);
    if (exact) out.push_back(Make(name + ", ansi", "", ansi, "\n", 1));
}

// A server-side source: code, the definition in its comment block with ORG_SOURCE lines
// inside, code again. The whole definition is there once the end marker is.
void AddSources(const Seed& seed, std::vector<Document>& out) {
    const std::string name = Narrow(seed.name);
    bool exact = false;
    const std::string ansi = Encode(seed.text, CP_ACP, &exact);
    if (!exact) return;
    const std::string head = "// A service.\n#include \"svc.h\"\n/**__SERVICE XML BEGIN__\n";
    // Marker lines are left out of the definition; what stands between them stays.
    const std::string org = "//____ORG_SOURCE_BEGIN____\n  \n//____ORG_SOURCE_END____\n";
    const std::string body = ansi + "\n" + org + "__SERVICE XML END__**/";
    out.push_back(Make(name + ", source", head, body, "\n\nclass CService {};\n", 1));
    std::string crlf;
    for (char c : head + body) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    out.push_back(Make(name + ", source, CR LF", "", crlf, "\r\nclass CService {};\r\n", 1));
}

}  // namespace

const char* KindName(Kind kind) { return kNames[static_cast<int>(kind)]; }

std::vector<size_t> Document::PrefixLengths() const {
    const size_t size = bytes.size();
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= size; ++n) {
        const size_t aroundPiece = (n + 24) % 4096;
        if (size <= 2048 || n <= 512 || n + 1024 >= size || aroundPiece < 48) lengths.push_back(n);
    }
    return lengths;
}

bool KindByName(const std::string& name, Kind& kind) {
    for (int i = 0; i < kKindCount; ++i) {
        if (name == kNames[i]) {
            kind = static_cast<Kind>(i);
            return true;
        }
    }
    return false;
}

std::vector<Document> Documents(Kind kind) {
    std::vector<Document> out;
    const std::wstring longText = LongSeed(kind);
    std::vector<Seed> seeds = Seeds(kind);
    seeds.push_back({L"long", longText.c_str()});
    for (const Seed& seed : seeds) {
        if (kind == Kind::ServiceSource)
            AddSources(seed, out);
        else
            AddXmlEncodings(seed, out);
    }
    return out;
}

}  // namespace qxfuzz

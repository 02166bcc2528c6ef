#include "tools/qxfuzz/FuzzOracle.h"
#include "QxQVInfo320U.h"
#include "foundation/XmlCharacters.h"
#include "platform/QxWin.h"
#include <algorithm>
#include <set>

namespace qxfuzz {
namespace {

using Text = std::u32string;

// Code points of UTF-16; a lone surrogate is kept as it is, and is no Char.
Text FromUtf16(const wchar_t* units, size_t count) {
    Text text;
    for (size_t i = 0; i < count; ++i) {
        const char32_t u = units[i];
        const bool pair =
            u >= 0xD800 && u <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        text += pair ? 0x10000 + ((u - 0xD800) << 10) + (static_cast<char32_t>(units[++i]) - 0xDC00) : u;
    }
    return text;
}

// The grammar over code points, one production a method. Every method moves on only over
// what it accepts, or answers false.
class Grammar {
public:
    explicit Grammar(const Text& text) : t_(text) {}

    bool Document() {
        if (StartsWith(U"<?xml") && !IsName(At(5)) && !XmlDecl()) return false;
        Misc();
        if (StartsWith(U"<!DOCTYPE")) return false;  // the library refuses every DTD
        if (!Element(1)) return false;
        Misc();
        return i_ == t_.size();
    }

    // [23] XMLDecl; the encoding's name when one is declared.
    bool XmlDecl() {
        if (!Skip(U"<?xml") || !S() || !Skip(U"version") || !Eq()) return false;
        const char32_t quote = Quote();
        if (!quote || !Skip(U"1.") || !Digits() || !Skip(quote)) return false;
        size_t back = i_;
        if (S() && Skip(U"encoding")) {
            if (!Eq() || !EncName()) return false;
            back = i_;
        }
        i_ = back;
        if (S() && Skip(U"standalone")) {
            const char32_t q = Eq() ? Quote() : 0;
            if (!q || !(Skip(U"yes") || Skip(U"no")) || !Skip(q)) return false;
            back = i_;
        }
        i_ = back;
        S();
        return Skip(U"?>");
    }

    size_t Position() const { return i_; }
    const Text& Encoding() const { return encoding_; }

private:
    static const int kMaxDepth = 512;  // Qx_XmlDOM::kMaxDepth

    char32_t At(size_t at) const { return at < t_.size() ? t_[at] : 0; }
    bool StartsWith(const char32_t* word) const {
        return t_.compare(i_, std::char_traits<char32_t>::length(word), word) == 0;
    }
    bool Skip(const char32_t* word) {
        if (!StartsWith(word)) return false;
        i_ += std::char_traits<char32_t>::length(word);
        return true;
    }
    bool Skip(char32_t c) {
        if (i_ == t_.size() || t_[i_] != c) return false;
        ++i_;
        return true;
    }
    static bool IsBlank(char32_t c) { return c == 0x20 || c == 0x9 || c == 0xD || c == 0xA; }
    static bool IsName(char32_t c) { return QxIsXmlNameChar(c); }
    bool S() {
        const size_t from = i_;
        while (i_ < t_.size() && IsBlank(t_[i_])) ++i_;
        return i_ > from;
    }
    bool Eq() {
        S();
        if (!Skip(U'=')) return false;
        S();
        return true;
    }
    char32_t Quote() { return Skip(U'"') ? U'"' : Skip(U'\'') ? U'\'' : 0; }
    bool Digits() {
        const size_t from = i_;
        while (At(i_) >= '0' && At(i_) <= '9') ++i_;
        return i_ > from;
    }
    bool EncName() {
        const char32_t quote = Quote();
        const size_t from = i_;
        auto letter = [](char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
        if (!quote || !letter(At(i_))) return false;
        while (letter(At(i_)) || (At(i_) >= '0' && At(i_) <= '9') || At(i_) == '.' || At(i_) == '_' || At(i_) == '-')
            ++i_;
        encoding_ = t_.substr(from, i_ - from);
        return Skip(quote);
    }

    // [5] Name, into name.
    bool Name(Text& name) {
        const size_t from = i_;
        if (i_ == t_.size() || !QxIsXmlNameStartChar(t_[i_])) return false;
        while (i_ < t_.size() && QxIsXmlNameChar(t_[i_])) ++i_;
        name = t_.substr(from, i_ - from);
        return true;
    }
    // Namespaces in XML [7] QName: Prefix ':' LocalPart, or a LocalPart alone; neither
    // holds a colon.
    static bool IsQName(const Text& name) {
        const size_t colon = name.find(U':');
        return colon == Text::npos ||
               (colon > 0 && colon + 1 < name.size() && name.find(U':', colon + 1) == Text::npos);
    }
    // One Char, any.
    bool Char() {
        if (i_ == t_.size() || !QxIsXmlChar(t_[i_])) return false;
        ++i_;
        return true;
    }
    // Chars up to and past end.
    bool CharsUntil(const char32_t* end) {
        while (!Skip(end))
            if (!Char()) return false;
        return true;
    }

    // [27] Misc*
    void Misc() {
        while (S() || (StartsWith(U"<!--") && Comment()) || (StartsWith(U"<?") && PI())) {}
    }
    // [15] Comment
    bool Comment() {
        const size_t from = i_;
        Skip(U"<!--");
        while (!StartsWith(U"--"))
            if (!Char()) return i_ = from, false;
        if (Skip(U"-->")) return true;
        i_ = from;
        return false;
    }
    // [16] PI, [17] PITarget
    bool PI() {
        const size_t from = i_;
        Skip(U"<?");
        Text target;
        bool ok = Name(target) && target.find(U':') == Text::npos;
        if (ok && target.size() == 3) {
            Text lower = target;
            for (char32_t& c : lower) c |= 0x20;
            ok = lower != U"xml";
        }
        ok = ok && (Skip(U"?>") || (S() && CharsUntil(U"?>")));
        if (!ok) i_ = from;
        return ok;
    }
    // [39] element, [40] STag, [44] EmptyElemTag, [42] ETag
    bool Element(int depth) {
        Text name;
        if (depth > kMaxDepth || !Skip(U'<') || !Name(name) || !IsQName(name)) return false;
        std::set<Text> attributes;
        for (;;) {
            const bool spaced = S();
            if (Skip(U"/>")) return true;
            if (Skip(U'>')) break;
            Text attribute;
            if (!spaced || !Name(attribute) || !IsQName(attribute) || !attributes.insert(attribute).second || !Eq() ||
                !AttValue())
                return false;
        }
        Text end;
        if (!Content(depth) || !Skip(U"</") || !Name(end) || end != name) return false;
        S();
        return Skip(U'>');
    }
    // [10] AttValue
    bool AttValue() {
        const char32_t quote = Quote();
        if (!quote) return false;
        while (!Skip(quote)) {
            if (At(i_) == '<') return false;
            if (At(i_) == '&' ? !Reference() : !Char()) return false;
        }
        return true;
    }
    // [43] content: up to the end tag that closes it.
    bool Content(int depth) {
        while (!StartsWith(U"</")) {
            bool ok;
            if (StartsWith(U"<!--"))
                ok = Comment();
            else if (Skip(U"<![CDATA["))
                ok = CharsUntil(U"]]>");
            else if (StartsWith(U"<?"))
                ok = PI();
            else if (At(i_) == '<')
                ok = Element(depth + 1);
            else if (At(i_) == '&')
                ok = Reference();
            else
                ok = !StartsWith(U"]]>") && Char();
            if (!ok) return false;
        }
        return true;
    }
    // [67] Reference: [66] CharRef, [68] EntityRef of a predefined entity.
    bool Reference() {
        Skip(U'&');
        if (Skip(U'#')) {
            const bool hex = Skip(U'x');
            unsigned long long value = 0;
            size_t digits = 0;
            for (int d; (d = Digit(At(i_), hex)) >= 0; ++i_, ++digits)
                value = std::min(value * (hex ? 16 : 10) + d, 0x110000ull);
            return digits > 0 && Skip(U';') && QxIsXmlChar(static_cast<unsigned long>(value));
        }
        Text name;
        if (!Name(name) || !Skip(U';')) return false;
        return name == U"lt" || name == U"gt" || name == U"amp" || name == U"apos" || name == U"quot";
    }
    static int Digit(char32_t c, bool hex) {
        if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
        if (hex && c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
        if (hex && c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
        return -1;
    }

    const Text& t_;
    size_t i_ = 0;
    Text encoding_;
};

// The declaration at the start of text, if any: false when one starts there but is broken.
bool ReadDeclaration(const Text& text, size_t& end, std::wstring& encoding) {
    Grammar grammar(text);
    end = 0;
    encoding.clear();
    // Only a blank after "<?xml" starts a declaration: anything else starts a processing
    // instruction, or breaks one, which the grammar judges on the decoded text. (On bytes,
    // a byte above 0x7F here is a character of the code page still to be chosen.)
    const bool blank = text.size() > 5 && (text[5] == 0x20 || text[5] == 0x9 || text[5] == 0xD || text[5] == 0xA);
    if (text.compare(0, 5, U"<?xml") != 0 || (text.size() > 5 && !blank)) return true;
    if (!grammar.XmlDecl()) return false;
    end = grammar.Position();
    for (char32_t c : grammar.Encoding()) encoding += static_cast<wchar_t>(c);
    return true;
}

bool MarkAgrees(unsigned markCodePage, const std::wstring& encoding) {
    if (encoding.empty()) return true;
    const unsigned named = qx_findcodepageW(encoding.c_str());
    return named == markCodePage || (markCodePage != CP_UTF8 && _wcsicmp(encoding.c_str(), L"utf-16") == 0);
}

// Bytes in a code page as code points; UTF-8 only when valid. False when Windows cannot decode
// them.
bool DecodeCodePage(unsigned codePage, const std::string& bytes, Text& text) {
    if (bytes.empty()) return text.clear(), true;
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return false;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
    text = FromUtf16(wide.data(), wide.size());
    return true;
}

bool DecodeUtf16(const std::string& bytes, bool bigEndian, Text& text) {
    if (bytes.size() % 2) return false;
    std::wstring wide;
    for (size_t i = 2; i < bytes.size(); i += 2) {
        const unsigned char a = bytes[i], b = bytes[i + 1];
        wide += static_cast<wchar_t>(bigEndian ? a << 8 | b : b << 8 | a);
    }
    text = FromUtf16(wide.data(), wide.size());
    size_t end;
    std::wstring encoding;
    return ReadDeclaration(text, end, encoding) && MarkAgrees(bigEndian ? 1201 : 1200, encoding);
}

// Bytes of an encoding that keeps ASCII as it is: the declaration is read on the bytes, and
// what follows it is decoded in the encoding chosen.
bool DecodeBytes(const std::string& bytes, Text& text) {
    const bool utf8Mark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::string body = bytes.substr(utf8Mark ? 3 : 0);
    Text latin;
    for (unsigned char c : body) latin += c;
    size_t end;
    std::wstring encoding;
    if (!ReadDeclaration(latin, end, encoding)) return false;
    unsigned codePage = CP_UTF8;
    if (utf8Mark && !MarkAgrees(CP_UTF8, encoding)) return false;
    if (!encoding.empty() && (codePage = qx_findcodepageW(encoding.c_str())) == 0) return false;
    Text content;
    const std::string rest = body.substr(end);
    if (!DecodeCodePage(codePage, rest, content)) {
        if (codePage != CP_UTF8 || utf8Mark || !encoding.empty() || !DecodeCodePage(CP_ACP, rest, content))
            return false;
    }
    text = Text(latin.begin(), latin.begin() + static_cast<std::ptrdiff_t>(end)) + content;
    return true;
}

}  // namespace

bool IsWellFormed(const std::string& bytes) {
    Text text;
    const bool utf16 =
        bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    if (!(utf16 ? DecodeUtf16(bytes, bytes[0] == '\xFE', text) : DecodeBytes(bytes, text))) return false;
    return Grammar(text).Document();
}

bool IsWellFormed(const std::wstring& text) {
    const Text points = FromUtf16(text.data(), text.size());
    return Grammar(points).Document();
}

}  // namespace qxfuzz

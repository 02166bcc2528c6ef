#include "foundation/XmlSyntaxCheck.h"
#include "foundation/XmlCharacters.h"
#include "foundation/Qx_XmlDOM.h"
#include <algorithm>
#include <cstring>

namespace {

// Classes of the bytes, looked up once per byte on the hot paths.
enum : unsigned char {
    kLegal = 1,        // a Char
    kBlank = 2,        // S
    kNameStart = 4,    // NameStartChar
    kName = 8,         // NameChar
    kPlainText = 16,   // character data that needs no closer look: not '<', '&' or ']'
    kPlainValue = 32,  // an attribute value's character that needs no closer look: not '<',
                       // '&' or a quote
};

// Bytes of 0x80 and above, parts of characters beyond ASCII, are in no class: each takes
// the slower look of its own.
struct ByteClasses {
    unsigned char of[256];
};

constexpr ByteClasses MakeByteClasses() {
    ByteClasses classes = {};
    for (int c = 0; c < 128; ++c) {
        const bool legal = c >= 0x20 || c == '\t' || c == '\n' || c == '\r';
        const bool nameStart = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
        const bool name = nameStart || (c >= '0' && c <= '9') || c == '-' || c == '.';
        unsigned char f = 0;
        if (legal) f |= kLegal;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') f |= kBlank;
        if (nameStart) f |= kNameStart;
        if (name) f |= kName;
        if (legal && c != '<' && c != '&' && c != ']') f |= kPlainText;
        if (legal && c != '<' && c != '&' && c != '"' && c != '\'') f |= kPlainValue;
        classes.of[c] = f;
    }
    return classes;
}

constexpr ByteClasses kClasses = MakeByteClasses();

bool Is(unsigned char c, unsigned char flags) { return kClasses.of[c] & flags; }

// Past the bytes of one class.
const unsigned char* SkipClass(const unsigned char* p, const unsigned char* end, unsigned char flags) {
    while (p < end && Is(*p, flags)) ++p;
    return p;
}

const unsigned long kNotUtf8 = 0xFFFFFFFFul;  // in no class

// The character whose UTF-8 form starts at p, a byte of 0x80 or above, moving p behind it;
// kNotUtf8, and p where it was, for bytes that are no such form (overlong, a surrogate,
// beyond U+10FFFF, cut short).
unsigned long DecodeUtf8(const unsigned char*& p, const unsigned char* end) {
    const unsigned lead = *p;
    int more = 0;
    unsigned long c = 0;
    unsigned lowest = 0x80, highest = 0xBF;  // of the byte after the lead
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        c = lead & 0x0F;
        if (lead == 0xE0) lowest = 0xA0;
        if (lead == 0xED) highest = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        c = lead & 0x07;
        if (lead == 0xF0) lowest = 0x90;
        if (lead == 0xF4) highest = 0x8F;
    } else {
        return kNotUtf8;
    }
    if (end - p <= more) return kNotUtf8;
    for (int i = 1; i <= more; ++i) {
        if (p[i] < lowest || p[i] > highest) return kNotUtf8;
        lowest = 0x80;
        highest = 0xBF;
        c = c << 6 | (p[i] & 0x3F);
    }
    p += more + 1;
    return c;
}

int DigitValue(unsigned char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// CharRef behind its "&#": digits, hex after a lower-case 'x' only, and ';'. Moves p behind
// it and answers its value, above U+10FFFF for any larger number; false for a broken form.
bool ParseCharacterReference(const unsigned char*& p, const unsigned char* end, unsigned long& value) {
    const bool hex = p < end && *p == 'x';
    if (hex) ++p;
    const unsigned char* digits = p;
    value = 0;
    for (int digit = 0; p < end && (digit = DigitValue(*p, hex)) >= 0; ++p)
        if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<unsigned long>(digit);  // no overflow
    if (p == digits || p == end || *p != ';') return false;
    ++p;
    return true;
}

bool SpanIs(const unsigned char* start, size_t length, const char* word) {
    return length == strlen(word) && memcmp(start, word, length) == 0;
}

const wchar_t kCutShort[] = L"the document ends inside markup";
const wchar_t kBadCharacter[] = L"a character that XML does not allow";

}  // namespace

bool QxXmlSyntaxCheck::Check(const char* text, size_t size) {
    begin_ = p_ = reinterpret_cast<const unsigned char*>(text);
    end_ = p_ + size;
    error_ = nullptr;
    wideReferences_.clear();
    open_.clear();
    while (p_ < end_) {
        if (!CharData()) return false;
        if (p_ < end_ && !(*p_ == '<' ? Markup() : Reference())) return false;
    }
    return true;
}

void QxXmlSyntaxCheck::Position(unsigned& line, unsigned& column) const {
    line = column = 1;
    for (const unsigned char* p = begin_; p < errorAt_ && p < end_; ++p) {
        if (*p == '\n') {
            ++line;
            column = 1;
        } else if ((*p & 0xC0) != 0x80) {
            ++column;  // a character's first byte
        }
    }
}

bool QxXmlSyntaxCheck::Fail(const wchar_t* what, const unsigned char* at) {
    error_ = what;
    errorAt_ = at;
    return false;
}

// Character data up to the next '<' or '&'.
bool QxXmlSyntaxCheck::CharData() {
    while ((p_ = SkipClass(p_, end_, kPlainText)) < end_) {
        const unsigned char c = *p_;
        if (c == '<' || c == '&') {
            return true;
        } else if (c == ']') {
            if (end_ - p_ >= 3 && p_[1] == ']' && p_[2] == '>') return Fail(L"\"]]>\" outside a CDATA section");
            ++p_;
        } else if (!TakeCharacter()) {
            return false;
        }
    }
    return true;
}

// One character of any kind; fails for one that XML does not allow.
bool QxXmlSyntaxCheck::TakeCharacter() {
    if (*p_ < 0x80) {
        if (!Is(*p_, kLegal)) return Fail(kBadCharacter);
        ++p_;
        return true;
    }
    const unsigned char* next = p_;
    if (!QxIsXmlChar(DecodeUtf8(next, end_))) return Fail(kBadCharacter);
    p_ = next;
    return true;
}

bool QxXmlSyntaxCheck::Take(const char* word) {
    const size_t length = strlen(word);
    if (static_cast<size_t>(end_ - p_) < length || memcmp(p_, word, length) != 0) return false;
    p_ += length;
    return true;
}

namespace {

// Namespaces in XML, [7] QName: a prefix and a local part, each without a colon. XmlLite
// reads every document with namespaces, and Windows' XmlLite refuses a tag or attribute
// name with a colon at its start or end, or with two; Wine's refuses only some of them.
// ':' is ASCII, so the UTF-8 bytes of the name show it.
bool IsQualifiedName(const unsigned char* name, size_t length) {
    const void* colon = memchr(name, ':', length);
    if (!colon) return true;
    const size_t at = static_cast<size_t>(static_cast<const unsigned char*>(colon) - name);
    return at > 0 && at + 1 < length && !memchr(name + at + 1, ':', length - at - 1);
}

}  // namespace

bool QxXmlSyntaxCheck::Blanks() {
    const unsigned char* from = p_;
    p_ = SkipClass(p_, end_, kBlank);
    return p_ > from;
}

// A Name that is a QName as well; the caller says what was missing or wrong.
bool QxXmlSyntaxCheck::TakeQualifiedName(Span* name) {
    Span taken;
    if (!TakeName(&taken)) return false;
    if (name) *name = taken;
    return IsQualifiedName(taken.start, taken.length);
}

// A Name, if one starts here; never fails, the caller says what was missing.
bool QxXmlSyntaxCheck::TakeName(Span* name) {
    const unsigned char* start = p_;
    if (!TakeNameCharacter(true)) return false;
    while ((p_ = SkipClass(p_, end_, kName)) < end_ && *p_ >= 0x80 && TakeNameCharacter(false)) {}
    if (name) *name = {start, static_cast<size_t>(p_ - start)};
    return true;
}

bool QxXmlSyntaxCheck::TakeNameCharacter(bool first) {
    if (p_ == end_) return false;
    if (*p_ < 0x80) {
        if (!Is(*p_, first ? kNameStart : kName)) return false;
        ++p_;
        return true;
    }
    const unsigned char* next = p_;
    const unsigned long c = DecodeUtf8(next, end_);
    if (!(first ? QxIsXmlNameStartChar(c) : QxIsXmlNameChar(c))) return false;
    p_ = next;
    return true;
}

bool QxXmlSyntaxCheck::Markup() {
    ++p_;  // '<'
    if (p_ == end_) return Fail(kCutShort);
    if (Take("/")) return EndTag();
    if (Take("?")) return ProcessingInstruction();
    if (Take("!")) return Declaration();
    return StartTag();
}

bool QxXmlSyntaxCheck::StartTag() {
    Span name;
    if (!TakeQualifiedName(&name)) return Fail(L"a tag whose name is no name, or has a colon at an end or two");
    attributes_.clear();
    for (;;) {
        const bool spaced = Blanks();
        if (p_ == end_) return Fail(kCutShort);
        if (Take("/>")) return UniqueAttributes();
        if (Take(">")) {
            if (open_.size() >= static_cast<size_t>(Qx_XmlDOM::kMaxDepth))
                return Fail(L"elements nested too deep", name.start);
            open_.push_back(name);
            return UniqueAttributes();
        }
        if (!spaced) return Fail(L"a tag broken where a blank, an attribute or its end should stand");
        if (!Attribute()) return false;
    }
}

bool QxXmlSyntaxCheck::Attribute() {
    Span name;
    if (!TakeQualifiedName(&name)) return Fail(L"an attribute whose name is no name, or has a colon at an end or two");
    attributes_.push_back(name);
    Blanks();
    if (!Take("=")) return Fail(L"an attribute without '='");
    Blanks();
    if (p_ == end_ || (*p_ != '"' && *p_ != '\'')) return Fail(L"an attribute value without quotes");
    return AttributeValue(*p_++);
}

bool QxXmlSyntaxCheck::AttributeValue(unsigned char quote) {
    while ((p_ = SkipClass(p_, end_, kPlainValue)) < end_) {
        const unsigned char c = *p_;
        if (c == quote) {
            ++p_;
            return true;
        } else if (c == '<') {
            return Fail(L"'<' in an attribute value");
        } else if (!(c == '&' ? Reference() : TakeCharacter())) {
            return false;
        }
    }
    return Fail(kCutShort);
}

// Each attribute once in a tag. A tag has few attributes: they are compared pair by pair,
// and only a tag with many is sorted, so that no tag costs more than n log n comparisons.
bool QxXmlSyntaxCheck::UniqueAttributes() {
    const size_t count = attributes_.size();
    const auto same = [](const Span& a, const Span& b) {
        return a.length == b.length && memcmp(a.start, b.start, a.length) == 0;
    };
    const wchar_t* twice = L"an attribute given twice in one tag";
    if (count <= 16) {
        for (size_t i = 1; i < count; ++i)
            for (size_t j = 0; j < i; ++j)
                if (same(attributes_[i], attributes_[j])) return Fail(twice, attributes_[i].start);
        return true;
    }
    std::sort(attributes_.begin(), attributes_.end(), [](const Span& a, const Span& b) {
        if (a.length != b.length) return a.length < b.length;
        const int order = memcmp(a.start, b.start, a.length);
        return order != 0 ? order < 0 : a.start < b.start;
    });
    for (size_t i = 1; i < count; ++i)
        if (same(attributes_[i], attributes_[i - 1])) return Fail(twice, attributes_[i].start);
    return true;
}

bool QxXmlSyntaxCheck::EndTag() {
    Span name;
    if (!TakeQualifiedName(&name)) return Fail(L"an end tag whose name is no name, or has a colon at an end or two");
    if (open_.empty() || open_.back().length != name.length || memcmp(open_.back().start, name.start, name.length) != 0)
        return Fail(L"end tag without its start tag", name.start);
    open_.pop_back();
    Blanks();
    if (!Take(">")) return Fail(L"an end tag broken after its name");
    return true;
}

// What may follow "<!" in a document without a DTD: a comment or a CDATA section.
bool QxXmlSyntaxCheck::Declaration() {
    if (Take("--")) return Comment();
    if (Take("[CDATA[")) return Until("]]>");
    if (Take("DOCTYPE")) return Fail(L"DTDs are not accepted");
    return Fail(L"\"<!\" that starts neither a comment nor a CDATA section");
}

bool QxXmlSyntaxCheck::Comment() {
    while (p_ < end_) {
        if (*p_ != '-') {
            if (!TakeCharacter()) return false;
        } else if (end_ - p_ >= 2 && p_[1] == '-') {
            return Take("-->") || Fail(L"\"--\" inside a comment");
        } else {
            ++p_;
        }
    }
    return Fail(kCutShort);
}

// Legal characters up to and past the terminator.
bool QxXmlSyntaxCheck::Until(const char* terminator) {
    while (p_ < end_) {
        if (*p_ == static_cast<unsigned char>(terminator[0]) && Take(terminator)) return true;
        if (!TakeCharacter()) return false;
    }
    return Fail(kCutShort);
}

// PITarget, then "?>" or a blank and anything up to "?>". The declaration was taken off
// the text before: a target "xml" here is one out of place.
bool QxXmlSyntaxCheck::ProcessingInstruction() {
    Span target;
    if (!TakeName(&target)) return Fail(L"a processing instruction whose target is no name");
    // Namespaces in XML: no colon in a target.
    if (memchr(target.start, ':', target.length)) return Fail(L"a processing instruction target with a colon");
    if (target.length == 3 && (target.start[0] | 0x20) == 'x' && (target.start[1] | 0x20) == 'm' &&
        (target.start[2] | 0x20) == 'l')
        return Fail(L"a processing instruction named \"xml\", or an XML declaration not at the start", target.start);
    if (Take("?>")) return true;
    if (!Blanks()) return Fail(L"a processing instruction target followed by neither a blank nor \"?>\"");
    return Until("?>");
}

// An entity reference of a predefined entity, or a character reference.
bool QxXmlSyntaxCheck::Reference() {
    const unsigned char* at = p_++;
    if (p_ < end_ && *p_ == '#') return CharacterReference(at);
    Span name;
    if (!TakeName(&name)) return Fail(L"'&' that starts no reference", at);
    if (!Take(";")) return Fail(L"an entity reference without its ';'", at);
    for (const char* entity : {"lt", "gt", "amp", "apos", "quot"})
        if (SpanIs(name.start, name.length, entity)) return true;
    return Fail(L"a reference to an undeclared entity (without a DTD only lt, gt, amp, apos and quot)", at);
}

bool QxXmlSyntaxCheck::CharacterReference(const unsigned char* at) {
    ++p_;  // '#'
    unsigned long value = 0;
    if (!ParseCharacterReference(p_, end_, value)) return Fail(L"a broken character reference", at);
    if (!QxIsXmlChar(value)) return Fail(L"a reference to a character that XML does not allow", at);
    if (value > 0xFFFF) wideReferences_.push_back(at);
    return true;
}

bool QxXmlSyntaxCheck::SpellOutWideReferences(std::string& out) const {
    if (wideReferences_.empty()) return false;
    std::string text;
    text.reserve(static_cast<size_t>(end_ - begin_));
    const unsigned char* from = begin_;
    for (const unsigned char* at : wideReferences_) {
        text.append(from, at);
        from = at + 2;  // "&#"
        unsigned long c = 0;
        ParseCharacterReference(from, end_, c);  // read whole by the check
        const char utf8[] = {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                             static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        text.append(utf8, 4);  // beyond U+FFFF: four bytes
    }
    text.append(from, end_);
    out.swap(text);
    return true;
}

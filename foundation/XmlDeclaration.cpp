#include "foundation/XmlDeclaration.h"
#include <type_traits>

namespace {

// A code unit as a number: a byte of 0x80 or above stays one, rather than turning negative.
template <class Ch>
unsigned Unit(Ch c) {
    return static_cast<std::make_unsigned_t<Ch>>(c);
}

// A cursor over the declaration's characters; every look past the end sees 0.
template <class Ch>
class Cursor {
public:
    Cursor(const Ch* text, size_t count) : text_(text), count_(count) {}

    size_t Position() const { return at_; }
    unsigned Peek() const { return at_ < count_ ? Unit(text_[at_]) : 0u; }
    bool Blank() const {
        unsigned c = Peek();
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    }
    bool SkipBlanks() {
        const size_t from = at_;
        while (Blank()) ++at_;
        return at_ > from;
    }
    bool Take(const char* word) {
        size_t n = 0;
        while (word[n] && at_ + n < count_ && Unit(text_[at_ + n]) == Unit(word[n])) ++n;
        if (word[n]) return false;
        at_ += n;
        return true;
    }
    // Eq ::= S? '=' S?, then an opening quote; answers the quote or 0.
    unsigned TakeEqAndQuote() {
        SkipBlanks();
        if (!Take("=")) return 0;
        SkipBlanks();
        unsigned quote = Peek();
        if (quote != '"' && quote != '\'') return 0;
        ++at_;
        return quote;
    }
    bool TakeWhile(bool (*accept)(unsigned)) {
        const size_t from = at_;
        while (at_ < count_ && accept(Peek())) ++at_;
        return at_ > from;
    }
    bool Close(unsigned quote) {
        if (Peek() != quote) return false;
        ++at_;
        return true;
    }

private:
    const Ch* text_;
    size_t count_;
    size_t at_ = 0;
};

bool IsDigit(unsigned c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsEncodingChar(unsigned c) { return IsLetter(c) || IsDigit(c) || c == '.' || c == '_' || c == '-'; }

// VersionInfo, without its leading blank: version Eq quote '1.' [0-9]+ quote.
template <class Ch>
bool ReadVersion(Cursor<Ch>& in) {
    if (!in.Take("version")) return false;
    unsigned quote = in.TakeEqAndQuote();
    return quote && in.Take("1.") && in.TakeWhile(IsDigit) && in.Close(quote);
}

// EncodingDecl, without its leading blank; false when the word is there but broken.
template <class Ch>
bool ReadEncoding(Cursor<Ch>& in, QxXmlDeclaration& found) {
    unsigned quote = in.TakeEqAndQuote();
    if (!quote || !IsLetter(in.Peek())) return false;
    found.nameStart = in.Position();
    in.TakeWhile(IsEncodingChar);
    found.nameEnd = in.Position();
    return in.Close(quote);
}

// SDDecl, without its leading blank and its word.
template <class Ch>
bool ReadStandalone(Cursor<Ch>& in) {
    unsigned quote = in.TakeEqAndQuote();
    return quote && (in.Take("yes") || in.Take("no")) && in.Close(quote);
}

template <class Ch>
bool ReadRest(Cursor<Ch>& in, QxXmlDeclaration& found) {
    if (!in.SkipBlanks() || !ReadVersion(in)) return false;
    size_t blank = in.Position();
    bool spaced = in.SkipBlanks();
    if (spaced && in.Take("encoding")) {
        found.encodingStart = blank;
        if (!ReadEncoding(in, found)) return false;
        found.encodingEnd = in.Position();
        spaced = in.SkipBlanks();
    }
    if (spaced && in.Take("standalone")) {
        if (!ReadStandalone(in)) return false;
        in.SkipBlanks();
    }
    if (!in.Take("?>")) return false;
    found.end = in.Position();
    return true;
}

}  // namespace

template <class Ch>
QxXmlDeclaration QxReadXmlDeclaration(const Ch* text, size_t count) {
    static const char kOpen[] = "<?xml";
    QxXmlDeclaration found;
    size_t same = 0;
    while (same < 5 && same < count && Unit(text[same]) == Unit(kOpen[same])) ++same;
    if (same < 5) {
        // A text that is only a piece of "<?xml" could still have become a declaration.
        if (same > 0 && same == count) found.form = QxXmlDeclaration::kBroken;
        return found;
    }
    Cursor<Ch> in(text, count);
    in.Take(kOpen);
    // "<?xml-stylesheet" and the like are processing instructions, not declarations.
    if (count > 5 && !in.Blank()) return found;
    found.form = ReadRest(in, found) ? QxXmlDeclaration::kWhole : QxXmlDeclaration::kBroken;
    return found;
}

template QxXmlDeclaration QxReadXmlDeclaration<char>(const char*, size_t);
template QxXmlDeclaration QxReadXmlDeclaration<wchar_t>(const wchar_t*, size_t);

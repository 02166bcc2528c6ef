#pragma once
#include <string>

// The bytes of an XML document made ready for XmlLite, which under Wine reads only UTF-8
// and UTF-16 and mis-reads UTF-16 text nodes longer than its 8 KB chunk: it is always given
// UTF-8, without a byte-order mark and without the XML declaration, which is read and
// checked here (see XmlDeclaration.h). The source encoding is chosen in this order: a
// UTF-16 (LE or BE) or UTF-8 byte-order mark, which a declared encoding must agree with;
// the encoding named by the declaration; UTF-8 when the bytes are valid UTF-8; the system's
// ANSI code page. Text already in valid UTF-8
// is passed on as it stands; other text is converted. QxXmlInputStream adds the mark.
// Internal.
class QxXmlInput {
public:
    // False when the text is no document whatever follows: a broken declaration, a second
    // one, an encoding Windows does not know or that disagrees with the byte-order mark,
    // bytes that are not valid in the encoding that applies (UTF-16 of an odd byte count,
    // a lone surrogate).
    bool Prepare(const char* bytes, size_t count);
    bool PrepareWide(const wchar_t* text, size_t length);

    const char* Data() const { return data_; }
    size_t Size() const { return size_; }
    // Takes prepared text that means the same as Data() in place of it.
    void Adopt(std::string text);

private:
    bool FromWide(const wchar_t* text, size_t length, unsigned markCodePage);
    bool ToUtf8(const wchar_t* text, size_t length);
    bool Borrow(const char* text, size_t length);

    std::string storage_;
    const char* data_ = "";
    size_t size_ = 0;
};

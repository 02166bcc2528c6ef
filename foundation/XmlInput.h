#pragma once
#include <string>

// The bytes of an XML document made ready for XmlLite, which under Wine reads only UTF-8
// and UTF-16 and mis-reads UTF-16 text nodes longer than its 8 KB chunk: it is always given
// UTF-8. The source encoding is chosen in this order: a UTF-16 (LE or BE) or UTF-8
// byte-order mark; the encoding named by the XML declaration; UTF-8 when the bytes are
// valid UTF-8; the system's ANSI code page. Text already in valid UTF-8 is passed on as it
// stands; other text is converted, and the encoding name is then taken out of the
// declaration, since the text handed on is no longer in it. The result may lack a UTF-8
// mark: QxXmlInputStream adds one. Internal.
class QxXmlInput {
public:
    // False when the declaration names an encoding Windows does not know, or the bytes
    // are not valid in the encoding that applies.
    bool Prepare(const char* bytes, size_t count);
    bool PrepareWide(const wchar_t* text, size_t length);

    const char* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    bool FromWide(std::wstring text);

    std::string storage_;
    const char* data_ = "";
    size_t size_ = 0;
};

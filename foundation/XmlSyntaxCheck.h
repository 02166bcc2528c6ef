#pragma once
#include <cstddef>
#include <string>
#include <vector>

// One pass over the text of a document before XmlLite reads it, holding the text to the
// rules of XML 1.0 (Fifth Edition) that the text itself shows: only legal characters [2],
// raw or referred to, anywhere; names [4], [5]; character references [66] and entity
// references [68], of the five predefined entities only, since no DTD is accepted; tags
// [40]-[44] with blanks between attributes and each attribute once; no "]]>" in character
// data [14]; comments [15]; processing instructions [16], [17], none of them named "xml"
// in any case; CDATA sections [18]-[21]. To these it adds the form of names that Namespaces
// in XML gives and Windows' XmlLite holds every document to: tag and attribute names are
// QNames [7], processing instruction targets have no colon.
//
// Why a pass of its own rather than checks on XmlLite's nodes: Wine's XmlLite keeps none of
// these rules, and once it has read a tag or a reference, what broke them (a missing blank,
// "&#X41;", "&amp ;") is gone from what it hands out. The structure of the document (one
// root, end tags that match) is left to QxXmlNodeReader, which sees it in the nodes.
//
// The text is UTF-8, as QxXmlInput prepares it from every encoding read, so that one pass
// serves them all; its XML declaration has been read and taken off already. The pass is
// linear and allocates nothing per character: only the names of one tag's attributes are
// kept, to find one given twice, and the names of the open elements, to match each end tag
// with its start tag in the text itself (Wine's XmlLite was seen to pass an end tag that
// did not match). Elements nest at most Qx_XmlDOM::kMaxDepth deep, as every reader allows.
// Internal.
class QxXmlSyntaxCheck {
public:
    QxXmlSyntaxCheck() = default;
    ~QxXmlSyntaxCheck() = default;
    QxXmlSyntaxCheck(const QxXmlSyntaxCheck&) = delete;
    QxXmlSyntaxCheck& operator=(const QxXmlSyntaxCheck&) = delete;

    // True when the text keeps every rule above; else Error() says which it broke.
    bool Check(const char* text, size_t size);
    const wchar_t* Error() const { return error_; }
    // Where the broken rule was met, counted from 1 (columns in characters).
    void Position(unsigned& line, unsigned& column) const;

    // After a check that passed, while the text lives: the text with each reference to a
    // character beyond U+FFFF replaced by the character itself, which means the same. Wine's
    // XmlLite refuses such a reference in an attribute value and hands one in text out
    // as it is written. False, and out untouched, when the text holds none.
    bool SpellOutWideReferences(std::string& out) const;

private:
    struct Span {
        const unsigned char* start = nullptr;
        size_t length = 0;
    };

    bool CharData();
    bool Markup();
    bool StartTag();
    bool Attribute();
    bool AttributeValue(unsigned char quote);
    bool UniqueAttributes();
    bool EndTag();
    bool Declaration();
    bool Comment();
    bool ProcessingInstruction();
    bool Until(const char* terminator);
    bool Reference();
    bool CharacterReference(const unsigned char* at);
    bool TakeQualifiedName(Span* name);
    bool TakeName(Span* name);
    bool TakeNameCharacter(bool first);
    bool TakeCharacter();
    bool Take(const char* word);
    bool Blanks();
    bool Fail(const wchar_t* what) { return Fail(what, p_); }
    bool Fail(const wchar_t* what, const unsigned char* at);

    const unsigned char* begin_ = nullptr;
    const unsigned char* p_ = nullptr;
    const unsigned char* end_ = nullptr;
    const wchar_t* error_ = nullptr;
    const unsigned char* errorAt_ = nullptr;
    std::vector<Span> attributes_;                      // of the tag being read
    std::vector<Span> open_;                            // the names of the open elements
    std::vector<const unsigned char*> wideReferences_;  // where each starts
};

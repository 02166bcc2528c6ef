#pragma once
#include "foundation/Qx_WString.h"
#include "foundation/Qx_XmlDOM.h"
#include "platform/QxHandle.h"
#include "foundation/XmlInput.h"
#include "foundation/XmlInputStream.h"
#include "foundation/XmlLite.h"
#include <memory>
#include <string>
#include <vector>

// XmlLite's node stream held to the rules of one whole, well-formed document, for every
// reader of XML in the library (the tree of Qx_XmlDOM, the one-pass member list reader),
// so that all of them accept exactly the same documents. Wine's reader does not keep all
// of these rules itself: it lets a document end with elements open, lets end tags close
// elements that are not the innermost one, and takes text and a second root outside the
// first; these are checked on its nodes here. Nor does it keep the rules of characters,
// names, references and tags: QxXmlSyntaxCheck holds the text to those before XmlLite
// reads it. The input is prepared as QxXmlInput does (one encoding, the declaration read
// here). Internal.
//
//   QxXmlNodeReader nodes;
//   if (!nodes.Open(bytes, count)) ...;
//   while (QxXmlNodeReader::Node node = nodes.Next()) ...;
//   if (nodes.Failed()) ...nodes.Error()...
class QxXmlNodeReader {
public:
    enum Node { kEnd, kElement, kEndElement, kText, kCData };
    struct Attribute {
        const wchar_t* name = nullptr;
        unsigned nameLength = 0;
        const wchar_t* value = nullptr;
        unsigned valueLength = 0;
    };

    QxXmlNodeReader() = default;
    ~QxXmlNodeReader() = default;
    QxXmlNodeReader(const QxXmlNodeReader&) = delete;
    QxXmlNodeReader& operator=(const QxXmlNodeReader&) = delete;

    // False when the text is no document, whatever follows (Error() says why).
    bool Open(const char* bytes, size_t count);
    bool OpenWide(const wchar_t* text, size_t length);

    // The next node; kEnd once the document ended whole, or when it failed (Failed()).
    // Comments, processing instructions and blanks are passed over.
    Node Next();
    bool Failed() const { return failed_; }
    const Qx_WString& Error() const { return error_; }

    // The elements open around the current node; an element's own end tag is no longer
    // counted when it comes.
    int Depth() const { return static_cast<int>(open_.size()); }
    // The current element: its name, whether it closes itself, its attributes in order
    // (false after the last, or on failure).
    const wchar_t* Name() const { return name_; }
    unsigned NameLength() const { return nameLength_; }
    bool IsEmptyElement() const { return empty_; }
    bool NextAttribute(Attribute& attribute);
    // The current text or CDATA node.
    const wchar_t* Value() const { return value_; }
    unsigned ValueLength() const { return valueLength_; }

private:
    bool Start();
    Node Take(XmlNodeType type);
    Node OpenElement();
    Node CloseElement();
    Node TakeValue(Node node);
    bool Stalled(XmlNodeType type);
    bool Spend(size_t characters);
    Node Fail(const wchar_t* what, HRESULT hr = S_OK);
    Node Finish(HRESULT hr);

    QxXmlInput input_;
    std::unique_ptr<QxXmlInputStream> stream_;
    QxComPtr<IXmlReader> reader_;
    Qx_WString error_;
    bool failed_ = false;
    bool ended_ = false;
    bool sawRoot_ = false;
    // Characters the document may still hand out: a stuck reader would hand out without end.
    size_t budget_ = 0;

    // Open elements: where each name starts in `names_`, and where its start tag stands.
    struct Opened {
        size_t nameStart;
        UINT line, column;
    };
    std::vector<Opened> open_;
    std::wstring names_;
    bool pendingOpen_ = false;  // the current element opens a level once the next node is read

    const wchar_t* name_ = nullptr;
    unsigned nameLength_ = 0;
    bool empty_ = false;
    bool attributesStarted_ = false;
    const wchar_t* value_ = nullptr;
    unsigned valueLength_ = 0;

    bool seen_ = false;
    XmlNodeType lastType_ = XmlNodeType_None;
    UINT lastLine_ = 0, lastColumn_ = 0;
};

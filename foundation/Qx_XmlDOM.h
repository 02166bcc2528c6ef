#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_WString.h"
#include <memory>
#include <vector>

class Qx_Buffer;
class Qx_DOMElement;

// Node types a Qx_DOMElement can have.
enum Qx_DOMNodeType {
    QX_NODE_ELEMENT = 1,
    QX_NODE_CDATA = 18,
};

// One attribute: name and value, entities already expanded.
class QX_API Qx_NamedStr {
public:
    Qx_NamedStr() = default;
    Qx_NamedStr(const wchar_t* name, const wchar_t* value) : name(name), value(value) {}
    Qx_NamedStr(const wchar_t* name, int nameLength, const wchar_t* value, int valueLength)
        : name(name, nameLength), value(value, valueLength) {}
    Qx_WString name;
    Qx_WString value;
};

// An ordered list of nodes, owned by the list.
//
// What a child list holds: elements (QX_NODE_ELEMENT) and CDATA sections (QX_NODE_CDATA),
// in document order, and nothing else. Character data outside CDATA is collected into
// the parent's text instead (GetText); whitespace-only runs between nodes, comments and
// processing instructions are dropped. So every child of a configuration element is an
// entry, and the CDATA section of an element can be found among its children.
class QX_API Qx_DOMElemList {
public:
    Qx_DOMElemList();
    virtual ~Qx_DOMElemList();
    Qx_DOMElemList(const Qx_DOMElemList&) = delete;
    Qx_DOMElemList& operator=(const Qx_DOMElemList&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    // Index of the first element at or after start whose tag equals tag exactly, or -1.
    int FindTag(const wchar_t* tag, int start = 0) const;
    // Null when index is out of range (also for -1).
    Qx_DOMElement* GetItem(int index) const;
    // The first element at or after start with that tag, or null.
    Qx_DOMElement* GetItem(const wchar_t* tag, int start = 0) const;

    // Used while the tree is built; answers the new node.
    Qx_DOMElement* Append(std::unique_ptr<Qx_DOMElement> node);
    void Clear();

private:
    std::vector<std::unique_ptr<Qx_DOMElement>> items_;
};

// An element or a CDATA section.
class QX_API Qx_DOMElement {
public:
    explicit Qx_DOMElement(int nodeType = QX_NODE_ELEMENT);
    ~Qx_DOMElement();
    Qx_DOMElement(const Qx_DOMElement&) = delete;
    Qx_DOMElement& operator=(const Qx_DOMElement&) = delete;

    int GetNodeType() const { return nodeType_; }
    // The element's tag; empty for a CDATA section.
    const Qx_WString& GetTag() const { return tag_; }
    // An element's own character data (entities expanded, CDATA excluded); a CDATA
    // section's content.
    const Qx_WString& GetText() const { return text_; }
    // Null when the node has no child.
    Qx_DOMElemList* GetChildList() const { return children_.get(); }
    int GetChildCount() const { return children_ ? children_->Count() : 0; }
    // Null when the element has no attribute of that name (matched exactly).
    const Qx_NamedStr* GetAttrItem(const wchar_t* name) const;
    int GetAttrCount() const { return static_cast<int>(attrs_.size()); }
    const Qx_NamedStr* GetAttrItem(int index) const;

    // Used while the tree is built.
    void SetTag(const wchar_t* tag, int length = -1) { tag_.Set(tag, length); }
    void AppendText(const wchar_t* text, int length);
    void AddAttr(const wchar_t* name, int nameLength, const wchar_t* value, int valueLength);
    void ReserveAttrs(int count) { attrs_.reserve(static_cast<size_t>(count)); }
    Qx_DOMElement* AppendChild(std::unique_ptr<Qx_DOMElement> child);

private:
    int nodeType_;
    Qx_WString tag_;
    Qx_WString text_;
    std::vector<Qx_NamedStr> attrs_;
    std::unique_ptr<Qx_DOMElemList> children_;
};

// An XML document parsed by XmlLite; the document itself is the list of its top-level
// elements. Parsing never throws and never expands more than the predefined and numeric
// character references: a DTD (and so any entity declaration) fails the load. A document
// that breaks any rule of well-formedness of XML 1.0 (Fifth Edition) fails as it does with
// a conforming parser, also where Wine's XmlLite would read it.
//
// Encodings: a UTF-16 or UTF-8 byte-order mark decides, and a declared encoding must name
// the same; else the declaration's encoding name (any code page Windows knows); else UTF-8
// when the bytes are valid UTF-8; else the system's ANSI code page.
class QX_API Qx_XmlDOM : public Qx_DOMElemList {
public:
    // Deepest element nesting accepted; deeper documents fail to load.
    static const int kMaxDepth = 512;

    explicit Qx_XmlDOM(int flags = 0);
    ~Qx_XmlDOM() override;
    Qx_XmlDOM(const Qx_XmlDOM&) = delete;
    Qx_XmlDOM& operator=(const Qx_XmlDOM&) = delete;

    // 1 when the whole buffer parsed as one well-formed document, else 0 (the list is
    // then empty): an empty buffer, a document cut short anywhere, any bytes at all that are
    // not one whole document give 0. Never throws.
    int LoadXML(const Qx_Buffer& buffer);
    int LoadXML(const wchar_t* text, int length = -1);
    // What went wrong in the last failed load, for diagnostics; empty after success.
    const Qx_WString& GetLastError() const { return lastError_; }

private:
    // text is UTF-16 when wide is set, else bytes in any encoding the class reads.
    int Parse(const void* text, size_t count, bool wide);

    Qx_WString lastError_;
};

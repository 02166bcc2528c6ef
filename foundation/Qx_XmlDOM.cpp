#include "foundation/Qx_XmlDOM.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/XmlNodeReader.h"
#include <shlwapi.h>
#include <cwchar>
#include <new>

// ---- Qx_DOMElemList ----

Qx_DOMElemList::Qx_DOMElemList() = default;
Qx_DOMElemList::~Qx_DOMElemList() = default;

int Qx_DOMElemList::FindTag(const wchar_t* tag, int start) const {
    if (!tag) return -1;
    for (int i = start < 0 ? 0 : start; i < Count(); ++i) {
        const Qx_DOMElement* e = items_[static_cast<size_t>(i)].get();
        if (e->GetNodeType() == QX_NODE_ELEMENT && e->GetTag() == tag) return i;
    }
    return -1;
}

Qx_DOMElement* Qx_DOMElemList::GetItem(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

Qx_DOMElement* Qx_DOMElemList::GetItem(const wchar_t* tag, int start) const { return GetItem(FindTag(tag, start)); }

Qx_DOMElement* Qx_DOMElemList::Append(std::unique_ptr<Qx_DOMElement> node) {
    items_.push_back(std::move(node));
    return items_.back().get();
}

void Qx_DOMElemList::Clear() { items_.clear(); }

// ---- Qx_DOMElement ----

Qx_DOMElement::Qx_DOMElement(int nodeType) : nodeType_(nodeType) {}
Qx_DOMElement::~Qx_DOMElement() = default;

const Qx_NamedStr* Qx_DOMElement::GetAttrItem(const wchar_t* name) const {
    if (!name) return nullptr;
    for (const Qx_NamedStr& attr : attrs_)
        if (attr.name == name) return &attr;
    return nullptr;
}

const Qx_NamedStr* Qx_DOMElement::GetAttrItem(int index) const {
    return index >= 0 && index < GetAttrCount() ? &attrs_[static_cast<size_t>(index)] : nullptr;
}

void Qx_DOMElement::AppendText(const wchar_t* text, int length) {
    if (text_.IsEmpty()) {
        text_.Set(text, length);
        return;
    }
    Qx_WString piece(text, length);
    text_ += piece;
}

void Qx_DOMElement::AddAttr(const wchar_t* name, int nameLength, const wchar_t* value, int valueLength) {
    attrs_.emplace_back(name, nameLength, value, valueLength);
}

Qx_DOMElement* Qx_DOMElement::AppendChild(std::unique_ptr<Qx_DOMElement> child) {
    if (!children_) children_.reset(new Qx_DOMElemList);
    return children_->Append(std::move(child));
}

// ---- Qx_XmlDOM ----

namespace {

// Builds the tree from the checked node stream, one level per open element.
class TreeBuilder {
public:
    TreeBuilder(Qx_XmlDOM& document, QxXmlNodeReader& nodes) : document_(document), nodes_(nodes) {}

    bool Run() {
        while (QxXmlNodeReader::Node node = nodes_.Next()) {
            switch (node) {
            case QxXmlNodeReader::kElement: OpenElement(); break;
            case QxXmlNodeReader::kEndElement: open_.pop_back(); break;
            case QxXmlNodeReader::kText: open_.back()->AppendText(nodes_.Value(), Length(nodes_.ValueLength())); break;
            case QxXmlNodeReader::kCData: AddCData(); break;
            default: break;
            }
        }
        return !nodes_.Failed();
    }

private:
    static int Length(unsigned length) { return static_cast<int>(length); }

    void OpenElement() {
        std::unique_ptr<Qx_DOMElement> element(new Qx_DOMElement(QX_NODE_ELEMENT));
        element->SetTag(nodes_.Name(), Length(nodes_.NameLength()));
        QxXmlNodeReader::Attribute attr;
        while (nodes_.NextAttribute(attr))
            element->AddAttr(attr.name, Length(attr.nameLength), attr.value, Length(attr.valueLength));
        Qx_DOMElement* added = nullptr;
        if (open_.empty())
            added = document_.Append(std::move(element));
        else
            added = open_.back()->AppendChild(std::move(element));
        if (!nodes_.IsEmptyElement()) open_.push_back(added);
    }

    void AddCData() {
        std::unique_ptr<Qx_DOMElement> section(new Qx_DOMElement(QX_NODE_CDATA));
        section->AppendText(nodes_.Value(), Length(nodes_.ValueLength()));
        open_.back()->AppendChild(std::move(section));
    }

    Qx_XmlDOM& document_;
    QxXmlNodeReader& nodes_;
    std::vector<Qx_DOMElement*> open_;
};

}  // namespace

// The flags are kept for callers that pass 0; no flag changes the parsing.
Qx_XmlDOM::Qx_XmlDOM(int) {}
Qx_XmlDOM::~Qx_XmlDOM() = default;

int Qx_XmlDOM::LoadXML(const Qx_Buffer& buffer) {
    return Parse(buffer.GetData(), static_cast<size_t>(buffer.GetLength()), false);
}

int Qx_XmlDOM::LoadXML(const wchar_t* text, int length) {
    if (!text) text = L"";
    return Parse(text, length < 0 ? wcslen(text) : static_cast<size_t>(length), true);
}

int Qx_XmlDOM::Parse(const void* text, size_t count, bool wide) {
    Clear();
    lastError_.Empty();
    try {
        QxXmlNodeReader nodes;
        const bool opened = wide ? nodes.OpenWide(static_cast<const wchar_t*>(text), count)
                                 : nodes.Open(static_cast<const char*>(text), count);
        if (opened && TreeBuilder(*this, nodes).Run()) return 1;
        lastError_ = nodes.Error();
    } catch (...) {
        // Memory ran out; the tree goes, and the text that says so may not fit either.
        Clear();
        lastError_.Empty();
        return 0;
    }
    Clear();
    return 0;
}

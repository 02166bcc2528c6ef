#include "foundation/Qx_XmlDOM.h"
#include "foundation/Qx_Buffer.h"
#include "platform/QxHandle.h"
#include "foundation/XmlLite.h"
#include "foundation/XmlInput.h"
#include "foundation/XmlInputStream.h"
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

Qx_DOMElement* Qx_DOMElemList::GetItem(const wchar_t* tag, int start) const {
    return GetItem(FindTag(tag, start));
}

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

// Builds the tree from the reader's node stream, one level per open element.
class TreeBuilder {
public:
    TreeBuilder(Qx_XmlDOM& document, Qx_WString& error) : document_(document), error_(error) {}

    bool Run(IXmlReader* reader) {
        XmlNodeType type;
        HRESULT hr;
        while ((hr = reader->Read(&type)) == S_OK) {
            if (Stalled(reader, type)) return Fail(L"unexpected end of the document", S_OK, reader);
            if (!Take(reader, type)) return false;
        }
        if (hr != S_FALSE) return Fail(L"not well-formed XML", hr, reader);
        if (!open_.empty()) return Fail(L"unclosed element", hr, reader);
        if (document_.Count() == 0) return Fail(L"no root element", hr, reader);
        return true;
    }

private:
    bool Take(IXmlReader* reader, XmlNodeType type) {
        switch (type) {
        case XmlNodeType_Element: return OpenElement(reader);
        case XmlNodeType_EndElement:
            if (!open_.empty()) open_.pop_back();
            return true;
        case XmlNodeType_Text: return AddText(reader);
        case XmlNodeType_CDATA: return AddCData(reader);
        case XmlNodeType_DocumentType: return Fail(L"DTDs are not accepted", S_OK, reader);
        default: return true;  // declaration, whitespace, comments, processing instructions
        }
    }

    // Wine's XmlLite, at the end of a document with elements still open, hands out the
    // last node again and again instead of failing. Two nodes never start at the same
    // place, so a repeat means the reader is stuck.
    bool Stalled(IXmlReader* reader, XmlNodeType type) {
        UINT line = 0, column = 0;
        reader->GetLineNumber(&line);
        reader->GetLinePosition(&column);
        const bool same = seen_ && type == lastType_ && line == lastLine_ && column == lastColumn_;
        seen_ = true;
        lastType_ = type;
        lastLine_ = line;
        lastColumn_ = column;
        return same;
    }

    bool OpenElement(IXmlReader* reader) {
        if (static_cast<int>(open_.size()) >= Qx_XmlDOM::kMaxDepth)
            return Fail(L"elements nested too deep", S_OK, reader);
        const WCHAR* name = nullptr;
        UINT length = 0;
        if (FAILED(reader->GetQualifiedName(&name, &length))) return Fail(L"bad element", S_OK, reader);
        const bool empty = reader->IsEmptyElement() != FALSE;  // before moving to attributes
        std::unique_ptr<Qx_DOMElement> element(new Qx_DOMElement(QX_NODE_ELEMENT));
        element->SetTag(name, static_cast<int>(length));
        UINT attrCount = 0;
        if (SUCCEEDED(reader->GetAttributeCount(&attrCount))) element->ReserveAttrs(static_cast<int>(attrCount));
        for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
            const WCHAR* attrName = nullptr;
            const WCHAR* value = nullptr;
            UINT nameLength = 0, valueLength = 0;
            if (FAILED(reader->GetQualifiedName(&attrName, &nameLength)) ||
                FAILED(reader->GetValue(&value, &valueLength)))
                return Fail(L"bad attribute", S_OK, reader);
            element->AddAttr(attrName, static_cast<int>(nameLength), value, static_cast<int>(valueLength));
        }
        Qx_DOMElement* added = open_.empty() ? document_.Append(std::move(element))
                                             : open_.back()->AppendChild(std::move(element));
        if (!empty) open_.push_back(added);
        return true;
    }

    bool AddText(IXmlReader* reader) {
        const WCHAR* value = nullptr;
        UINT length = 0;
        if (FAILED(reader->GetValue(&value, &length))) return Fail(L"bad text", S_OK, reader);
        if (!open_.empty()) open_.back()->AppendText(value, static_cast<int>(length));
        return true;
    }

    bool AddCData(IXmlReader* reader) {
        const WCHAR* value = nullptr;
        UINT length = 0;
        if (FAILED(reader->GetValue(&value, &length))) return Fail(L"bad CDATA", S_OK, reader);
        if (open_.empty()) return true;
        std::unique_ptr<Qx_DOMElement> section(new Qx_DOMElement(QX_NODE_CDATA));
        section->AppendText(value, static_cast<int>(length));
        open_.back()->AppendChild(std::move(section));
        return true;
    }

    bool Fail(const wchar_t* what, HRESULT hr, IXmlReader* reader) {
        UINT line = 0, column = 0;
        reader->GetLineNumber(&line);
        reader->GetLinePosition(&column);
        error_.Format(L"%ls at line %u, column %u (0x%08lX)", what, line, column, static_cast<unsigned long>(hr));
        return false;
    }

    Qx_XmlDOM& document_;
    Qx_WString& error_;
    std::vector<Qx_DOMElement*> open_;
    bool seen_ = false;
    XmlNodeType lastType_ = XmlNodeType_None;
    UINT lastLine_ = 0, lastColumn_ = 0;
};

}  // namespace

// The flags are kept for callers that pass 0; no flag changes the parsing.
Qx_XmlDOM::Qx_XmlDOM(int) {}
Qx_XmlDOM::~Qx_XmlDOM() = default;

int Qx_XmlDOM::LoadXML(const Qx_Buffer& buffer) {
    QxXmlInput input;
    if (!input.Prepare(buffer.GetData(), static_cast<size_t>(buffer.GetLength()))) {
        Clear();
        lastError_ = L"bytes not valid in the document's encoding";
        return 0;
    }
    return Parse(input);
}

int Qx_XmlDOM::LoadXML(const wchar_t* text, int length) {
    if (!text) text = L"";
    QxXmlInput input;
    input.PrepareWide(text, length < 0 ? wcslen(text) : static_cast<size_t>(length));
    return Parse(input);
}

int Qx_XmlDOM::Parse(const QxXmlInput& input) {
    Clear();
    lastError_.Empty();
    // Text without any markup is no document; Wine's XmlLite asserts on an empty one.
    if (std::char_traits<char>::find(input.Data(), input.Size(), '<') == nullptr) {
        lastError_ = L"no root element";
        return 0;
    }
    try {
        QxXmlInputStream stream(input.Data(), input.Size());
        QxComPtr<IXmlReader> reader;
        if (FAILED(QxCreateXmlReader(reader.Put())) || FAILED(reader->SetInput(&stream))) {
            lastError_ = L"XmlLite is not available";
            return 0;
        }
        reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxDepth + 1);  // Wine may ignore it
        TreeBuilder builder(*this, lastError_);
        if (builder.Run(reader.Get())) return 1;
    } catch (const std::bad_alloc&) {
        lastError_ = L"out of memory";
    }
    Clear();
    return 0;
}

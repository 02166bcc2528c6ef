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

// Builds the tree from the reader's node stream, one level per open element. Besides
// building, it holds the reader to the rules of a well-formed document where Wine's reader
// does not: one root element, nothing but markup and blanks outside it, every end tag
// closing the innermost open element.
class TreeBuilder {
public:
    TreeBuilder(Qx_XmlDOM& document, Qx_WString& error, size_t inputSize)
        : document_(document), error_(error), budget_(2 * inputSize + 16) {}

    bool Run(IXmlReader* reader) {
        XmlNodeType type;
        HRESULT hr;
        while ((hr = reader->Read(&type)) == S_OK) {
            if (Stalled(reader, type) || !Spend(1)) return Fail(L"unexpected end of the document", S_OK, reader);
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
        case XmlNodeType_EndElement: return CloseElement(reader);
        case XmlNodeType_Text: return AddText(reader);
        case XmlNodeType_CDATA: return AddCData(reader);
        case XmlNodeType_DocumentType: return Fail(L"DTDs are not accepted", S_OK, reader);
        default: return true;  // whitespace, comments, processing instructions
        }
    }

    // Wine's XmlLite, at the end of a document with elements still open, does not fail: it
    // hands out the last node again and again from the same place, or closes the open
    // elements with end tags placed where their start tags are. Two nodes never start at
    // the same place, and an end tag always stands behind its start tag. As a last guard,
    // the tree never takes more characters than the document holds (a stuck reader would
    // grow it without end).
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

    bool Spend(size_t characters) {
        if (characters > budget_) return false;
        budget_ -= characters;
        return true;
    }

    bool CloseElement(IXmlReader* reader) {
        const WCHAR* name = nullptr;
        UINT length = 0;
        if (open_.empty() || FAILED(reader->GetQualifiedName(&name, &length)) ||
            open_.back().element->GetTag() != Qx_WString(name, static_cast<int>(length)))
            return Fail(L"end tag without its start tag", S_OK, reader);
        if (open_.back().line == lastLine_ && open_.back().column == lastColumn_)
            return Fail(L"unclosed element", S_OK, reader);
        open_.pop_back();
        return true;
    }

    bool OpenElement(IXmlReader* reader) {
        if (static_cast<int>(open_.size()) >= Qx_XmlDOM::kMaxDepth)
            return Fail(L"elements nested too deep", S_OK, reader);
        const WCHAR* name = nullptr;
        UINT length = 0;
        if (FAILED(reader->GetQualifiedName(&name, &length)) || !Spend(length)) return Fail(L"bad element", S_OK, reader);
        if (open_.empty() && document_.Count() > 0) return Fail(L"a second root element", S_OK, reader);
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
                FAILED(reader->GetValue(&value, &valueLength)) || !Spend(nameLength + valueLength))
                return Fail(L"bad attribute", S_OK, reader);
            element->AddAttr(attrName, static_cast<int>(nameLength), value, static_cast<int>(valueLength));
        }
        Qx_DOMElement* added = open_.empty() ? document_.Append(std::move(element))
                                             : open_.back().element->AppendChild(std::move(element));
        if (!empty) open_.push_back({added, lastLine_, lastColumn_});
        return true;
    }

    bool AddText(IXmlReader* reader) {
        const WCHAR* value = nullptr;
        UINT length = 0;
        if (FAILED(reader->GetValue(&value, &length)) || !Spend(length)) return Fail(L"bad text", S_OK, reader);
        if (open_.empty()) return Fail(L"text outside the root element", S_OK, reader);
        open_.back().element->AppendText(value, static_cast<int>(length));
        return true;
    }

    bool AddCData(IXmlReader* reader) {
        const WCHAR* value = nullptr;
        UINT length = 0;
        if (FAILED(reader->GetValue(&value, &length)) || !Spend(length)) return Fail(L"bad CDATA", S_OK, reader);
        if (open_.empty()) return Fail(L"CDATA outside the root element", S_OK, reader);
        std::unique_ptr<Qx_DOMElement> section(new Qx_DOMElement(QX_NODE_CDATA));
        section->AppendText(value, static_cast<int>(length));
        open_.back().element->AppendChild(std::move(section));
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
    // An element whose end tag has not come yet, and where its start tag stands.
    struct Opened {
        Qx_DOMElement* element;
        UINT line, column;
    };

    size_t budget_;
    std::vector<Opened> open_;
    bool seen_ = false;
    XmlNodeType lastType_ = XmlNodeType_None;
    UINT lastLine_ = 0, lastColumn_ = 0;
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
        QxXmlInput input;
        const bool prepared = wide ? input.PrepareWide(static_cast<const wchar_t*>(text), count)
                                   : input.Prepare(static_cast<const char*>(text), count);
        if (!prepared) {
            lastError_ = L"not a document in any encoding read here, or a broken XML declaration";
            return 0;
        }
        // Text without any markup is no document; Wine's XmlLite asserts on an empty one.
        if (std::char_traits<char>::find(input.Data(), input.Size(), '<') == nullptr) {
            lastError_ = L"no root element";
            return 0;
        }
        QxXmlInputStream stream(input.Data(), input.Size());
        QxComPtr<IXmlReader> reader;
        if (FAILED(QxCreateXmlReader(reader.Put())) || FAILED(reader->SetInput(&stream))) {
            lastError_ = L"XmlLite is not available";
            return 0;
        }
        reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxDepth + 1);  // Wine may ignore it
        TreeBuilder builder(*this, lastError_, input.Size());
        if (builder.Run(reader.Get())) return 1;
    } catch (...) {
        // Memory ran out; the tree goes, and the text that says so may not fit either.
        Clear();
        lastError_.Empty();
        return 0;
    }
    Clear();
    return 0;
}

#include "foundation/Qx_XmlDOM.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/QxComPtr.h"
#include "foundation/XmlInputStream.h"
#include "foundation/XmlLite.h"
#include "foundation/XmlTextDecoder.h"
#include <cstring>
#include <cwchar>
#include <new>
#include <string>

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
    Qx_WString piece(text, length);
    text_ += piece;
}

void Qx_DOMElement::AddAttr(const wchar_t* name, const wchar_t* value) { attrs_.emplace_back(name, value); }

void Qx_DOMElement::AddAttr(const wchar_t* name, int nameLength, const wchar_t* value, int valueLength) {
    attrs_.emplace_back();
    attrs_.back().name.Set(name, nameLength);
    attrs_.back().value.Set(value, valueLength);
}

void Qx_DOMElement::ReserveAttrs(int count) {
    if (count > 0) attrs_.reserve(static_cast<size_t>(count));
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
};

}  // namespace

Qx_XmlDOM::Qx_XmlDOM(int flags) : flags_(flags) {}
Qx_XmlDOM::~Qx_XmlDOM() = default;

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

bool HasUtf8Mark(const char* bytes, size_t count) { return count >= 3 && memcmp(bytes, kUtf8Mark, 3) == 0; }

bool IsValidUtf8(const char* bytes, size_t count) {
    return count == 0 || (count <= 0x7FFFFFFF &&
                          MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), nullptr, 0) > 0);
}

// True when the bytes would be read as UTF-8 anyway (a UTF-8 mark, a declaration naming
// UTF-8, or no encoding named) and are valid UTF-8, so that they can go to XmlLite as they
// are, without the round trip through UTF-16. Anything else takes the long way.
bool IsPlainUtf8(const char* bytes, size_t count) {
    if (HasUtf8Mark(bytes, count)) {
        bytes += 3;
        count -= 3;
    } else if (count >= 2 &&
               ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        return false;
    }
    // The declaration, when there is one, ends within the first bytes.
    std::string head(bytes, count < 256 ? count : 256);
    size_t open = head.compare(0, 5, "<?xml") == 0 ? 0 : std::string::npos;
    size_t close = open == std::string::npos ? open : head.find("?>");
    if (open == 0 && close == std::string::npos) return false;
    if (open == 0) {
        size_t at = head.find("encoding", 5);
        if (at != std::string::npos && at < close) {
            size_t quote = head.find_first_of("\"'", at);
            size_t end = quote == std::string::npos ? quote : head.find(head[quote], quote + 1);
            if (end == std::string::npos || end > close) return false;
            // Only the usual name: XmlLite may not know every alias of UTF-8.
            std::string name = head.substr(quote + 1, end - quote - 1);
            if (_stricmp(name.c_str(), "UTF-8") != 0) return false;
        }
    }
    return IsValidUtf8(bytes, count);
}

// Parses UTF-8 bytes that begin with the UTF-8 mark into document. Never throws.
int ParseUtf8(Qx_XmlDOM& document, Qx_WString& error, const char* bytes, size_t count) {
    try {
        // XmlLite reads through a stream that never cuts a character in two. Wine's
        // XmlLite misreads UTF-16 input longer than a few kilobytes (it fails, or loops and
        // eats memory, at the end of its read buffer) and UTF-8 characters split between
        // two reads; UTF-8 read whole characters at a time works on every version.
        QxXmlInputStream stream(bytes, count);
        QxComPtr<IXmlReader> reader;
        if (FAILED(qx_CreateXmlReader(reader.Put())) || FAILED(reader->SetInput(&stream))) {
            error = L"XmlLite is not available";
            return 0;
        }
        TreeBuilder builder(document, error);
        if (builder.Run(reader.Get())) return 1;
    } catch (const std::bad_alloc&) {
        error = L"out of memory";
    }
    document.Clear();
    return 0;
}

}  // namespace

int Qx_XmlDOM::LoadXML(const Qx_Buffer& buffer) {
    Clear();
    lastError_.Empty();
    const char* bytes = buffer.GetData();
    const size_t count = static_cast<size_t>(buffer.GetLength());
    try {
        if (IsPlainUtf8(bytes, count)) {
            if (count == 0 || HasUtf8Mark(bytes, count)) return ParseUtf8(*this, lastError_, bytes, count);
            std::string marked(kUtf8Mark);
            marked.append(bytes, count);
            return ParseUtf8(*this, lastError_, marked.data(), marked.size());
        }
        std::wstring text;
        if (!qx_DecodeXmlText(bytes, count, text)) {
            lastError_ = L"bytes not valid in the document's encoding";
            return 0;
        }
        return LoadXML(text.c_str(), static_cast<int>(text.size()));
    } catch (const std::bad_alloc&) {
        lastError_ = L"out of memory";
        return 0;
    }
}

int Qx_XmlDOM::LoadXML(const wchar_t* text, int length) {
    Clear();
    lastError_.Empty();
    if (!text) text = L"";
    if (length < 0) length = static_cast<int>(wcslen(text));
    try {
        std::string input(kUtf8Mark);
        if (length > 0) {
            int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
            if (bytes <= 0) {
                lastError_ = L"text cannot be encoded";
                return 0;
            }
            input.resize(3 + static_cast<size_t>(bytes));
            WideCharToMultiByte(CP_UTF8, 0, text, length, &input[3], bytes, nullptr, nullptr);
        }
        return ParseUtf8(*this, lastError_, input.data(), input.size());
    } catch (const std::bad_alloc&) {
        lastError_ = L"out of memory";
        return 0;
    }
}

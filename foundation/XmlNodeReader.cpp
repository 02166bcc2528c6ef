#include "foundation/XmlNodeReader.h"
#include "foundation/XmlSyntaxCheck.h"
#include <cwchar>

bool QxXmlNodeReader::Open(const char* bytes, size_t count) {
    if (!input_.Prepare(bytes, count))
        return Fail(L"not a document in any encoding read here, or a broken XML declaration"), false;
    return Start();
}

bool QxXmlNodeReader::OpenWide(const wchar_t* text, size_t length) {
    if (!input_.PrepareWide(text, length))
        return Fail(L"not a document in any encoding read here, or a broken XML declaration"), false;
    return Start();
}

bool QxXmlNodeReader::Start() {
    // The rules XmlLite does not keep under Wine, judged on the text before it reads it.
    QxXmlSyntaxCheck syntax;
    if (!syntax.Check(input_.Data(), input_.Size())) {
        UINT line = 0, column = 0;
        syntax.Position(line, column);
        failed_ = true;
        error_.Format(L"%ls at line %u, column %u", syntax.Error(), line, column);
        return false;
    }
    std::string spelledOut;
    if (syntax.SpellOutWideReferences(spelledOut)) input_.Adopt(std::move(spelledOut));
    // Text without any markup is no document; Wine's XmlLite asserts on an empty one.
    if (std::char_traits<char>::find(input_.Data(), input_.Size(), '<') == nullptr)
        return Fail(L"no root element"), false;
    stream_.reset(new QxXmlInputStream(input_.Data(), input_.Size()));
    if (!QxCreateXmlReader(reader_.Put()).ok() || FAILED(reader_->SetInput(stream_.get())))
        return Fail(L"XmlLite is not available"), false;
    reader_->SetProperty(XmlReaderProperty_MaxElementDepth, Qx_XmlDOM::kMaxDepth + 1);  // Wine may ignore it
    // Every node costs at least one character of the budget, so even a reader that hands
    // out empty nodes without end is stopped.
    budget_ = 2 * input_.Size() + 16;
    return true;
}

QxXmlNodeReader::Node QxXmlNodeReader::Next() {
    if (failed_ || ended_ || !reader_) return kEnd;
    if (pendingOpen_) {
        pendingOpen_ = false;
        open_.push_back({names_.size(), lastLine_, lastColumn_});
        names_.append(name_, nameLength_);
    }
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr = S_OK;
    while ((hr = reader_->Read(&type)) == S_OK) {
        if (Stalled(type) || !Spend(1)) return Fail(L"unexpected end of the document");
        const Node node = Take(type);
        if (node != kEnd || failed_) return node;
    }
    return Finish(hr);
}

QxXmlNodeReader::Node QxXmlNodeReader::Take(XmlNodeType type) {
    switch (type) {
    case XmlNodeType_Element: return OpenElement();
    case XmlNodeType_EndElement: return CloseElement();
    case XmlNodeType_Text: return TakeValue(kText);
    case XmlNodeType_CDATA: return TakeValue(kCData);
    case XmlNodeType_DocumentType: return Fail(L"DTDs are not accepted");
    default: return kEnd;  // whitespace, comments, processing instructions: read on
    }
}

QxXmlNodeReader::Node QxXmlNodeReader::Finish(HRESULT hr) {
    if (hr != S_FALSE) return Fail(L"not well-formed XML", hr);
    if (!open_.empty()) return Fail(L"unclosed element", hr);
    if (!sawRoot_) return Fail(L"no root element", hr);
    ended_ = true;
    return kEnd;
}

// Wine's XmlLite, at the end of a document with elements still open, does not fail: it
// hands out the last node again and again from the same place, or closes the open
// elements with end tags placed where their start tags are. Two nodes never start at the
// same place, and an end tag always stands behind its start tag.
bool QxXmlNodeReader::Stalled(XmlNodeType type) {
    UINT line = 0, column = 0;
    reader_->GetLineNumber(&line);
    reader_->GetLinePosition(&column);
    const bool same = seen_ && type == lastType_ && line == lastLine_ && column == lastColumn_;
    seen_ = true;
    lastType_ = type;
    lastLine_ = line;
    lastColumn_ = column;
    return same;
}

bool QxXmlNodeReader::Spend(size_t characters) {
    if (characters > budget_) return false;
    budget_ -= characters;
    return true;
}

QxXmlNodeReader::Node QxXmlNodeReader::OpenElement() {
    if (Depth() >= Qx_XmlDOM::kMaxDepth) return Fail(L"elements nested too deep");
    if (FAILED(reader_->GetQualifiedName(&name_, &nameLength_)) || !Spend(nameLength_)) return Fail(L"bad element");
    if (open_.empty() && sawRoot_) return Fail(L"a second root element");
    sawRoot_ = true;
    empty_ = reader_->IsEmptyElement() != FALSE;  // before moving to attributes
    attributesStarted_ = false;
    pendingOpen_ = !empty_;
    return kElement;
}

bool QxXmlNodeReader::NextAttribute(Attribute& attribute) {
    if (failed_) return false;
    const HRESULT hr = attributesStarted_ ? reader_->MoveToNextAttribute() : reader_->MoveToFirstAttribute();
    attributesStarted_ = true;
    if (hr != S_OK) return false;
    const WCHAR* name = nullptr;
    const WCHAR* value = nullptr;
    UINT nameLength = 0, valueLength = 0;
    if (FAILED(reader_->GetQualifiedName(&name, &nameLength)) || FAILED(reader_->GetValue(&value, &valueLength)) ||
        !Spend(nameLength + valueLength))
        return Fail(L"bad attribute"), false;
    attribute = {name, nameLength, value, valueLength};
    return true;
}

QxXmlNodeReader::Node QxXmlNodeReader::CloseElement() {
    const WCHAR* name = nullptr;
    UINT length = 0;
    if (open_.empty() || FAILED(reader_->GetQualifiedName(&name, &length)))
        return Fail(L"end tag without its start tag");
    const Opened& innermost = open_.back();
    if (names_.size() - innermost.nameStart != length || names_.compare(innermost.nameStart, length, name, length) != 0)
        return Fail(L"end tag without its start tag");
    if (innermost.line == lastLine_ && innermost.column == lastColumn_) return Fail(L"unclosed element");
    names_.resize(innermost.nameStart);
    open_.pop_back();
    return kEndElement;
}

QxXmlNodeReader::Node QxXmlNodeReader::TakeValue(Node node) {
    const bool text = node == kText;
    if (FAILED(reader_->GetValue(&value_, &valueLength_)) || !Spend(valueLength_))
        return Fail(text ? L"bad text" : L"bad CDATA");
    if (open_.empty()) return Fail(text ? L"text outside the root element" : L"CDATA outside the root element");
    return node;
}

// Before the reader exists the text alone says it; after, where the reader stands.
QxXmlNodeReader::Node QxXmlNodeReader::Fail(const wchar_t* what, HRESULT hr) {
    failed_ = true;
    if (!reader_) {
        error_ = what;
        return kEnd;
    }
    UINT line = 0, column = 0;
    reader_->GetLineNumber(&line);
    reader_->GetLinePosition(&column);
    error_.Format(L"%ls at line %u, column %u (0x%08lX)", what, line, column, static_cast<unsigned long>(hr));
    return kEnd;
}

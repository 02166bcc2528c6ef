#include "editor/MemberListWalk.h"
#include "editor/MemberListFault.h"
#include "platform/QxHandle.h"
#include "foundation/QxStringFunctions.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_XmlDOM.h"
#include "foundation/XmlInput.h"
#include "foundation/XmlInputStream.h"
#include "foundation/XmlLite.h"
#include <cwchar>
#include <string>

namespace {

bool IsExactly(const wchar_t* text, unsigned length, const wchar_t* wanted) {
    return length == wcslen(wanted) && wmemcmp(text, wanted, length) == 0;
}

// A member tag, without regard to case.
bool IsTag(const wchar_t* tag, unsigned length, const wchar_t* wanted) {
    wchar_t copy[8];
    if (length != wcslen(wanted)) return false;
    wmemcpy(copy, tag, length);
    copy[length] = 0;
    return qx_stricmpW(copy, wanted) == 0;
}

}  // namespace

bool QxMemberListWalk::Read(const Qx_Buffer& source) {
    QxXmlInput input;
    if (!input.Prepare(source.GetData(), static_cast<size_t>(source.GetLength()))) return false;
    // Text without any markup is no document; Wine's XmlLite asserts on an empty one.
    if (std::char_traits<char>::find(input.Data(), input.Size(), '<') == nullptr) return false;
    QxXmlInputStream stream(input.Data(), input.Size());
    QxComPtr<IXmlReader> reader;
    if (FAILED(QxCreateXmlReader(reader.Put())) || FAILED(reader->SetInput(&stream))) return false;
    reader->SetProperty(XmlReaderProperty_MaxElementDepth, Qx_XmlDOM::kMaxDepth + 1);  // Wine may ignore it
    return Run(reader.Get()) && sawList_;
}

bool QxMemberListWalk::Run(IXmlReader* reader) {
    XmlNodeType type;
    HRESULT hr;
    while ((hr = reader->Read(&type)) == S_OK) {
        if (Stalled(reader, type)) return false;
        const WCHAR* value = nullptr;
        UINT length = 0;
        switch (type) {
        case XmlNodeType_Element:
            if (!OpenElement(reader)) return false;
            break;
        case XmlNodeType_EndElement:
            if (depth_ == 0) break;
            if (--depth_ == 0) inList_ = false;
            if (depth_ == 1) openObject_ = nullptr;
            break;
        case XmlNodeType_Text:
        case XmlNodeType_CDATA:
            // Not kept, but a value the reader cannot give fails the document.
            if (FAILED(reader->GetValue(&value, &length))) return false;
            break;
        case XmlNodeType_DocumentType: return false;
        default: break;  // declaration, whitespace, comments, processing instructions
        }
    }
    return hr == S_FALSE && depth_ == 0 && sawRoot_;
}

// Wine's XmlLite, at the end of a document with elements still open, hands out the last
// node again and again instead of failing. Two nodes never start at the same place, so a
// repeat means the reader is stuck.
bool QxMemberListWalk::Stalled(IXmlReader* reader, XmlNodeType type) {
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

bool QxMemberListWalk::OpenElement(IXmlReader* reader) {
    if (depth_ >= Qx_XmlDOM::kMaxDepth) return false;
    const WCHAR* tag = nullptr;
    UINT tagLength = 0;
    if (FAILED(reader->GetQualifiedName(&tag, &tagLength))) return false;
    const bool empty = reader->IsEmptyElement() != FALSE;  // before moving to attributes
    const Kind kind = Classify(tag, tagLength);
    justAdded_ = nullptr;
    Guarded([&] { Begin(kind); });
    for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
        const WCHAR* name = nullptr;
        const WCHAR* value = nullptr;
        UINT nameLength = 0, valueLength = 0;
        if (FAILED(reader->GetQualifiedName(&name, &nameLength)) || FAILED(reader->GetValue(&value, &valueLength)))
            return false;
        if (secondName_) Guarded([&] { Take(name, nameLength, value, valueLength); });
    }
    Guarded([&] { Finish(kind); });
    secondName_ = nullptr;
    if (empty) return true;
    ++depth_;
    if (kind == kList) inList_ = true;
    if (kind == kObject) openObject_ = justAdded_;
    return true;
}

QxMemberListWalk::Kind QxMemberListWalk::Classify(const wchar_t* tag, unsigned length) {
    if (depth_ == 0) {
        sawRoot_ = true;
        if (sawList_ || !IsExactly(tag, length, L"objectlist")) return kOther;
        sawList_ = true;
        return kList;
    }
    if (depth_ == 1 && inList_) return kObject;  // whatever its tag
    if (depth_ == 2 && openObject_) {
        if (IsTag(tag, length, L"var")) return kVariable;
        if (IsTag(tag, length, L"method")) return kMethod;
    }
    return kOther;
}

// Record building stops at the first exception; what was being built goes with it.
template <class Step>
void QxMemberListWalk::Guarded(Step step) {
    if (stopped_) return;
    try {
        step();
    } catch (...) {
        stopped_ = true;
        object_.reset();
        variable_.reset();
        method_.reset();
        secondName_ = nullptr;
    }
}

void QxMemberListWalk::Begin(Kind kind) {
    if (kind != kObject && kind != kVariable && kind != kMethod) return;
    QxMemberListStep();
    Qx_WString* name;
    Qx_WString* second;
    Qx_WString* comment;
    if (kind == kObject) {
        object_.reset(new CObjectItem);
        name = &object_->name, second = &object_->type, comment = &object_->comment;
        secondName_ = L"type";
    } else if (kind == kVariable) {
        variable_.reset(new CVariable);
        name = &variable_->name, second = &variable_->type, comment = &variable_->comment;
        secondName_ = L"type";
    } else {
        method_.reset(new CMethod);
        name = &method_->name, second = &method_->prototype, comment = &method_->comment;
        secondName_ = L"prototype";
    }
    fields_[0] = name, fields_[1] = second, fields_[2] = comment;
    taken_[0] = taken_[1] = taken_[2] = false;
}

void QxMemberListWalk::Take(const wchar_t* name, unsigned nameLength, const wchar_t* value, unsigned valueLength) {
    const wchar_t* const names[3] = {L"name", secondName_, L"comment"};
    for (int i = 0; i < 3; ++i) {
        if (taken_[i] || !IsExactly(name, nameLength, names[i])) continue;
        taken_[i] = true;
        QxMemberListStep();
        fields_[i]->Set(value, static_cast<int>(valueLength));
        return;
    }
}

// An element that lacks "name" or the second attribute, or has one empty, is skipped (an
// object with all its members).
void QxMemberListWalk::Finish(Kind kind) {
    if (!secondName_) return;
    if (fields_[0]->IsEmpty() || fields_[1]->IsEmpty()) {
        object_.reset();
        variable_.reset();
        method_.reset();
        return;
    }
    QxMemberListStep();
    if (kind == kObject) {
        objects_.push_back(object_.get());
        justAdded_ = object_.release();
    } else if (kind == kVariable) {
        openObject_->variables.Add(variable_.get());
        variable_.release();
    } else {
        openObject_->methods.Add(method_.get());
        method_.release();
    }
}

#include "editor/MemberListWalk.h"
#include "foundation/QxHandOver.h"
#include "foundation/QxStringFunctions.h"
#include "foundation/Qx_Buffer.h"
#include <cwchar>
#include <string>
#include <utility>

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
    QxXmlNodeReader nodes;
    if (!nodes.Open(source.GetData(), static_cast<size_t>(source.GetLength()))) return false;
    while (QxXmlNodeReader::Node node = nodes.Next()) {
        if (node == QxXmlNodeReader::kElement) OpenElement(nodes);
        if (node == QxXmlNodeReader::kEndElement) CloseElement(nodes.Depth());
    }
    return !nodes.Failed() && sawList_;
}

void QxMemberListWalk::CloseElement(int depth) {
    if (depth == 0) inList_ = false;
    if (depth == 1) openObject_ = nullptr;
}

void QxMemberListWalk::OpenElement(QxXmlNodeReader& nodes) {
    depth_ = nodes.Depth();
    const Kind kind = Classify(nodes.Name(), nodes.NameLength());
    justAdded_ = nullptr;
    Guarded([&] { Begin(kind); });
    QxXmlNodeReader::Attribute attr;
    while (nodes.NextAttribute(attr))
        if (secondName_) Guarded([&] { Take(attr.name, attr.nameLength, attr.value, attr.valueLength); });
    Guarded([&] { Finish(kind); });
    secondName_ = nullptr;
    if (nodes.IsEmptyElement()) return;
    if (kind == kList) inList_ = true;
    if (kind == kObject) openObject_ = justAdded_;
}

QxMemberListWalk::Kind QxMemberListWalk::Classify(const wchar_t* tag, unsigned length) {
    if (depth_ == 0) {
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
    Qx_WString* name = nullptr;
    Qx_WString* second = nullptr;
    Qx_WString* comment = nullptr;
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
    if (kind == kObject) {
        objects_.push_back(object_.get());
        justAdded_ = object_.release();
    } else if (kind == kVariable) {
        QxHandOver(openObject_->variables, std::move(variable_));
    } else {
        QxHandOver(openObject_->methods, std::move(method_));
    }
}

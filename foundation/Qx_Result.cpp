#include "foundation/Qx_Result.h"

Qx_Result::Qx_Result() : code_(0) {}
Qx_Result::Qx_Result(long code) : code_(code) {}
Qx_Result::Qx_Result(const Qx_Result& other) = default;
Qx_Result::Qx_Result(Qx_Result&& other) noexcept = default;
Qx_Result& Qx_Result::operator=(const Qx_Result& other) = default;
Qx_Result& Qx_Result::operator=(Qx_Result&& other) noexcept = default;
Qx_Result::~Qx_Result() = default;

void Qx_Result::AddMsg(long id, const wchar_t* source, int line, const wchar_t* text, int flags) {
    Qx_ResultMsg msg;
    msg.id = id;
    msg.source = source;
    msg.line = line;
    msg.text = text;
    msg.flags = flags;
    msgs_.push_back(msg);
    if (code_ == 0) code_ = id != 0 ? id : -1;
}

const Qx_ResultMsg* Qx_Result::GetMsg(int index) const {
    return index >= 0 && index < GetMsgCount() ? &msgs_[static_cast<size_t>(index)] : nullptr;
}

const Qx_ResultMsg* Qx_Result::GetLastMsg() const { return msgs_.empty() ? nullptr : &msgs_.back(); }

void Qx_MsgView::GetMsgStr(unsigned, Qx_WString& out, const Qx_Result& result, int, wchar_t, int, wchar_t) {
    out.Empty();
    if (result.GetMsgCount() == 0) {
        if (result.GetCode() != 0) out.Format(L"Error code %ld.", result.GetCode());
        return;
    }
    for (int i = 0; i < result.GetMsgCount(); ++i) {
        if (i > 0) out += L"\n";
        out += result.GetMsg(i)->text;
    }
}

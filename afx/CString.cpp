#include "afx/CString.h"
#include "platform/QxFormat.h"
#include <cstdarg>
#include <cwchar>

CString::CString() = default;
CString::CString(const wchar_t* text) : text_(text ? text : L"") {}
CString::CString(const wchar_t* text, int length)
    : text_(text && length > 0 ? std::wstring(text, length) : std::wstring()) {}
CString::CString(const CString& other) = default;
CString::CString(CString&& other) noexcept = default;
CString::~CString() = default;

CString& CString::operator=(const CString& other) = default;
CString& CString::operator=(CString&& other) noexcept = default;

CString& CString::operator=(const wchar_t* text) {
    text_ = text ? text : L"";
    return *this;
}

CString& CString::operator+=(const CString& other) {
    text_ += other.text_;
    return *this;
}

CString& CString::operator+=(const wchar_t* text) {
    if (text) text_ += text;
    return *this;
}

CString& CString::operator+=(wchar_t ch) {
    text_ += ch;
    return *this;
}

wchar_t CString::GetAt(int index) const { return index >= 0 && index < GetLength() ? text_[index] : L'\0'; }

void CString::Format(const wchar_t* format, ...) {
    va_list args;  // NOLINT(cppcoreguidelines-init-variables): va_start sets it
    va_start(args, format);
    text_ = QxVFormat(format, args);
    va_end(args);
}

int CString::Compare(const wchar_t* text) const {
    int r = text_.compare(text ? text : L"");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

wchar_t* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) text_.resize(minLength);
    return &text_[0];
}

void CString::ReleaseBuffer(int length) {
    if (length < 0) length = static_cast<int>(wcsnlen(text_.c_str(), text_.size()));
    if (length < GetLength()) text_.resize(length);
}

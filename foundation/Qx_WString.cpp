#include "foundation/Qx_WString.h"
#include "platform/QxFormat.h"
#include "platform/QxWin.h"
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cwchar>

namespace {
std::wstring MakeText(const wchar_t* text, int length) {
    if (!text) return std::wstring();
    return length < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(length));
}
}  // namespace

Qx_WString::Qx_WString() noexcept = default;
Qx_WString::Qx_WString(const wchar_t* text, int length) : text_(MakeText(text, length)) {}
Qx_WString::Qx_WString(const Qx_WString& other) = default;
Qx_WString::Qx_WString(Qx_WString&& other) noexcept = default;
Qx_WString::Qx_WString(const std::wstring& text) : text_(text) {}
Qx_WString::~Qx_WString() = default;

Qx_WString& Qx_WString::operator=(const Qx_WString& other) = default;
Qx_WString& Qx_WString::operator=(Qx_WString&& other) noexcept = default;

Qx_WString& Qx_WString::operator=(const wchar_t* text) {
    Set(text);
    return *this;
}

void Qx_WString::Set(const wchar_t* text, int length) { text_ = MakeText(text, length); }
void Qx_WString::Set(const Qx_WString& other) { text_ = other.text_; }

void Qx_WString::Set(const char* bytes, int count, unsigned codePage) {
    text_.clear();
    if (!bytes) return;
    if (count < 0) count = static_cast<int>(strlen(bytes));
    if (count == 0) return;
    int chars = MultiByteToWideChar(codePage, 0, bytes, count, nullptr, 0);
    if (chars <= 0) return;
    text_.resize(static_cast<size_t>(chars));
    MultiByteToWideChar(codePage, 0, bytes, count, &text_[0], chars);
}

Qx_WString& Qx_WString::operator+=(const Qx_WString& other) {
    text_ += other.text_;
    return *this;
}

Qx_WString& Qx_WString::operator+=(const wchar_t* text) {
    if (text) text_ += text;
    return *this;
}

Qx_WString& Qx_WString::operator+=(wchar_t ch) {
    text_ += ch;
    return *this;
}

Qx_WString& Qx_WString::operator+=(int number) {
    text_ += std::to_wstring(number);
    return *this;
}

void Qx_WString::Format(const wchar_t* format, ...) {
    va_list args;  // NOLINT(cppcoreguidelines-init-variables): va_start sets it
    va_start(args, format);
    text_ = QxVFormat(format, args);
    va_end(args);
}

int Qx_WString::Find(wchar_t ch, int start) const {
    if (start < 0) start = 0;
    size_t at = text_.find(ch, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int Qx_WString::Find(const wchar_t* text, int start) const {
    if (!text || start < 0 || start > GetLength()) return -1;
    size_t at = text_.find(text, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int Qx_WString::Replace(const wchar_t* from, const wchar_t* to) {
    if (!from || !*from) return 0;
    const std::wstring pattern(from);
    const std::wstring replacement(to ? to : L"");
    size_t at = text_.find(pattern);
    if (at == std::wstring::npos) return 0;
    // One pass into a new string keeps this linear in the text's length.
    std::wstring result;
    result.reserve(text_.size());
    size_t done = 0;
    int count = 0;
    for (; at != std::wstring::npos; at = text_.find(pattern, done)) {
        result.append(text_, done, at - done).append(replacement);
        done = at + pattern.size();
        ++count;
    }
    result.append(text_, done, std::wstring::npos);
    text_.swap(result);
    return count;
}

wchar_t Qx_WString::GetAt(int index) const {
    return index >= 0 && index < GetLength() ? text_[static_cast<size_t>(index)] : L'\0';
}

Qx_WString Qx_WString::Left(int count) const {
    if (count <= 0) return Qx_WString();
    return Qx_WString(text_.substr(0, static_cast<size_t>(count)));
}

Qx_WString Qx_WString::Mid(int start, int count) const {
    if (start < 0) start = 0;
    if (start >= GetLength() || count == 0) return Qx_WString();
    return Qx_WString(
        text_.substr(static_cast<size_t>(start), count < 0 ? std::wstring::npos : static_cast<size_t>(count)));
}

void Qx_WString::Empty() { text_.clear(); }

int Qx_WString::ToInteger() const {
    const wchar_t* p = text_.c_str();
    while (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n') ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') negative = (*p++ == L'-');
    long long value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        value = value * 10 + (*p - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

void Qx_WString::FromInteger(long number) { text_ = std::to_wstring(number); }

wchar_t* Qx_WString::GetSafeBuffer(int n) {
    if (n >= 0) text_.resize(static_cast<size_t>(n));
    return &text_[0];
}

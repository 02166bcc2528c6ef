#pragma once
#include "platform/QxExport.h"
#include <string>

// Wide (UTF-16) text with its length kept, so that the length costs nothing.
// Never throws on bad arguments: a null pointer counts as the empty text.
class QX_API Qx_WString {
public:
    Qx_WString() noexcept;
    // length -1: up to the terminator.
    Qx_WString(const wchar_t* text, int length = -1);
    Qx_WString(const Qx_WString& other);
    Qx_WString(Qx_WString&& other) noexcept;
    explicit Qx_WString(const std::wstring& text);
    ~Qx_WString();

    Qx_WString& operator=(const Qx_WString& other);
    Qx_WString& operator=(Qx_WString&& other) noexcept;
    Qx_WString& operator=(const wchar_t* text);

    void Set(const wchar_t* text, int length = -1);
    void Set(const Qx_WString& other);
    // Bytes in a code page (0: the system's ANSI code page); count -1: up to the first zero byte.
    void Set(const char* bytes, int count = -1, unsigned codePage = 0);

    Qx_WString& operator+=(const Qx_WString& other);
    Qx_WString& operator+=(const wchar_t* text);
    Qx_WString& operator+=(wchar_t ch);
    Qx_WString& operator+=(int number);  // appends the decimal text

    // printf-style; replaces the whole text. A format that fails leaves the text empty.
    void Format(const wchar_t* format, ...);

    // Index of the first occurrence at or after start, or -1.
    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* text, int start = 0) const;
    // Replaces every occurrence; answers how many were replaced. An empty pattern replaces nothing.
    int Replace(const wchar_t* from, const wchar_t* to);

    wchar_t GetAt(int index) const;  // 0 out of range
    Qx_WString Left(int count) const;
    Qx_WString Mid(int start, int count = -1) const;
    void Empty();
    bool IsEmpty() const { return text_.empty(); }
    int GetLength() const { return static_cast<int>(text_.size()); }

    // The leading decimal number (optional sign, leading blanks skipped); 0 when there is none.
    // Never fails: overflow saturates.
    int ToInteger() const;
    void FromInteger(long number);

    // -1: the text itself, never null. n >= 0: the text is resized to n characters
    // (new ones zero) and a writable area of n characters plus terminator is given.
    wchar_t* GetSafeBuffer(int n = -1);
    const wchar_t* GetSafeBuffer() const { return text_.c_str(); }
    const wchar_t* c_str() const { return text_.c_str(); }
    operator const wchar_t*() const { return text_.c_str(); }
    const std::wstring& str() const { return text_; }

    bool operator==(const Qx_WString& other) const { return text_ == other.text_; }
    bool operator!=(const Qx_WString& other) const { return text_ != other.text_; }
    bool operator==(const wchar_t* text) const { return text_ == (text ? text : L""); }
    bool operator!=(const wchar_t* text) const { return !(*this == text); }

private:
    std::wstring text_;
};

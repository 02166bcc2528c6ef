#pragma once
#include "platform/QxExport.h"
#include <string>

// The wide CString of the framework, as far as this library and its hosts use it.
class QX_API CString {
public:
    CString();
    CString(const wchar_t* text);
    CString(const wchar_t* text, int length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const wchar_t* text);
    CString& operator+=(const CString& other);
    CString& operator+=(const wchar_t* text);
    CString& operator+=(wchar_t ch);

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    wchar_t GetAt(int index) const;  // 0 out of range
    // printf-style; replaces the text. A format that fails leaves the text empty.
    void Format(const wchar_t* format, ...);
    // Three-way, case-sensitive.
    int Compare(const wchar_t* text) const;
    operator const wchar_t*() const { return text_.c_str(); }
    const wchar_t* GetString() const { return text_.c_str(); }

    // Writable area of at least minLength characters plus terminator; ReleaseBuffer then
    // takes the length up to the terminator (length -1) or the given length.
    wchar_t* GetBuffer(int minLength);
    void ReleaseBuffer(int length = -1);

    bool operator==(const wchar_t* text) const { return Compare(text) == 0; }
    bool operator!=(const wchar_t* text) const { return Compare(text) != 0; }
    bool operator==(const CString& other) const { return text_ == other.text_; }
    bool operator!=(const CString& other) const { return text_ != other.text_; }

private:
    std::wstring text_;
};

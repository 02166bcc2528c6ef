#pragma once
#include "platform/QxExport.h"
#include <string>

class Qx_WString;

// The bytes of a wide text in a code page (0: the system's ANSI code page).
// Characters the code page cannot hold become the code page's default character.
class QX_API Qx_AString {
public:
    Qx_AString();
    // length -1: up to the terminator.
    Qx_AString(const wchar_t* text, int length = -1, unsigned codePage = 0);
    explicit Qx_AString(const Qx_WString& text, int codePage = 0);

    void Set(const wchar_t* text, int length = -1, unsigned codePage = 0);
    const char* GetSafeBuffer() const { return bytes_.c_str(); }
    int GetLength() const { return static_cast<int>(bytes_.size()); }
    const std::string& str() const { return bytes_; }

private:
    std::string bytes_;
};

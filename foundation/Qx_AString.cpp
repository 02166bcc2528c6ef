#include "foundation/Qx_AString.h"
#include "foundation/Qx_WString.h"
#include "platform/QxWin.h"

Qx_AString::Qx_AString() = default;

Qx_AString::Qx_AString(const wchar_t* text, int length, unsigned codePage) { Set(text, length, codePage); }

Qx_AString::Qx_AString(const Qx_WString& text, int codePage) {
    Set(text.c_str(), text.GetLength(), static_cast<unsigned>(codePage));
}

void Qx_AString::Set(const wchar_t* text, int length, unsigned codePage) {
    bytes_.clear();
    if (!text) return;
    if (length < 0) length = static_cast<int>(wcslen(text));
    if (length == 0) return;
    int count = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return;
    bytes_.resize(static_cast<size_t>(count));
    WideCharToMultiByte(codePage, 0, text, length, &bytes_[0], count, nullptr, nullptr);
}

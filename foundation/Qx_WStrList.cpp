#include "foundation/Qx_WStrList.h"
#include <cwchar>

Qx_WStrList::Qx_WStrList() = default;
Qx_WStrList::Qx_WStrList(const Qx_WStrList& other) = default;
Qx_WStrList::Qx_WStrList(Qx_WStrList&& other) noexcept = default;
Qx_WStrList& Qx_WStrList::operator=(const Qx_WStrList& other) = default;
Qx_WStrList& Qx_WStrList::operator=(Qx_WStrList&& other) noexcept = default;
Qx_WStrList::~Qx_WStrList() = default;

int Qx_WStrList::Parse(const wchar_t* text, const wchar_t* separator, int dropSeparator, int maxPieces) {
    if (!text || !*text) return 0;
    const std::wstring whole(text);
    const std::wstring sep(separator ? separator : L"");
    int added = 0;
    size_t start = 0;
    while (start < whole.size()) {
        size_t at = sep.empty() ? std::wstring::npos : whole.find(sep, start);
        bool last = at == std::wstring::npos || (maxPieces > 0 && added + 1 == maxPieces);
        if (last) at = whole.size();
        size_t end = last ? at : (dropSeparator ? at : at + sep.size());
        items_.emplace_back(whole.c_str() + start, static_cast<int>(end - start));
        ++added;
        if (last) break;
        start = at + sep.size();
    }
    return added;
}

int Qx_WStrList::Add(const wchar_t* text) {
    items_.emplace_back(text);
    return Count() - 1;
}

const Qx_WString* Qx_WStrList::GetItem(int index) const {
    return index >= 0 && index < Count() ? &items_[static_cast<size_t>(index)] : nullptr;
}

const wchar_t* Qx_WStrList::GetItemNN(int index) const {
    const Qx_WString* item = GetItem(index);
    return item ? item->c_str() : L"";
}

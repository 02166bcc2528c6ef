#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_WString.h"
#include <vector>

// A list of wide texts, mostly the pieces of a text split at a separator.
class QX_API Qx_WStrList {
public:
    Qx_WStrList();
    Qx_WStrList(const Qx_WStrList& other);
    Qx_WStrList(Qx_WStrList&& other) noexcept;
    Qx_WStrList& operator=(const Qx_WStrList& other);
    Qx_WStrList& operator=(Qx_WStrList&& other) noexcept;
    ~Qx_WStrList();

    // Splits text at every occurrence of separator, in order, and appends the pieces.
    // dropSeparator 0 keeps the separator at the end of each piece (the last piece has
    // none unless the text ends with it), so that the pieces put back together give the
    // text exactly, carriage returns included; non-zero drops it. A text that ends with the
    // separator gives no empty last piece. maxPieces 0: no limit. Answers the number of
    // pieces appended. An empty separator gives the whole text as one piece.
    int Parse(const wchar_t* text, const wchar_t* separator, int dropSeparator = 0, int maxPieces = 0);

    int Count() const { return static_cast<int>(items_.size()); }
    int Add(const wchar_t* text);
    // Null when index is out of range.
    const Qx_WString* GetItem(int index) const;
    // Never null: the empty text when index is out of range.
    const wchar_t* GetItemNN(int index) const;
    void Clear() { items_.clear(); }

private:
    std::vector<Qx_WString> items_;
};

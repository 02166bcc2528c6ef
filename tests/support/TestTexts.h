#pragma once
#include <string>

// A text of length characters cycling through the alphabet from first: long and short
// texts on either side of the values' inline limit.
inline std::wstring QxTestText(size_t length, wchar_t first = L'a') {
    std::wstring text;
    for (size_t i = 0; i < length; ++i) text += static_cast<wchar_t>(first + i % 26);
    return text;
}

#include "foundation/XmlCharacters.h"

namespace {

struct Range {
    unsigned long first, last;
};

bool InRanges(unsigned long c, const Range* ranges, int count) {
    for (int i = 0; i < count; ++i)
        if (c >= ranges[i].first && c <= ranges[i].last) return true;
    return false;
}

// clang-format off
const Range kNameStart[] = {
    {':', ':'},       {'A', 'Z'},       {'_', '_'},       {'a', 'z'},
    {0xC0, 0xD6},     {0xD8, 0xF6},     {0xF8, 0x2FF},    {0x370, 0x37D},
    {0x37F, 0x1FFF},  {0x200C, 0x200D}, {0x2070, 0x218F}, {0x2C00, 0x2FEF},
    {0x3001, 0xD7FF}, {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF},
};
// clang-format on

// What a name may hold beyond its first character's class.
const Range kNameOnly[] = {
    {'-', '.'}, {'0', '9'}, {0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040},
};

}  // namespace

bool QxIsXmlChar(unsigned long c) {
    if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
    return c <= 0xD7FF || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool QxIsXmlNameStartChar(unsigned long c) { return InRanges(c, kNameStart, sizeof kNameStart / sizeof kNameStart[0]); }

bool QxIsXmlNameChar(unsigned long c) {
    return QxIsXmlNameStartChar(c) || InRanges(c, kNameOnly, sizeof kNameOnly / sizeof kNameOnly[0]);
}

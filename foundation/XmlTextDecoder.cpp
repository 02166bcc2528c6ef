#include "foundation/XmlTextDecoder.h"
#include "foundation/QxCodePage.h"
#include "foundation/QxWin.h"
#include <cstring>

namespace {

bool Decode(unsigned codePage, DWORD flags, const char* bytes, size_t count, std::wstring& text) {
    text.clear();
    if (count == 0) return true;
    if (count > 0x7FFFFFFF) return false;
    int n = MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(count), nullptr, 0);
    if (n <= 0) return false;
    text.resize(static_cast<size_t>(n));
    MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(count), &text[0], n);
    return true;
}

void DecodeUtf16(const char* bytes, size_t count, bool bigEndian, std::wstring& text) {
    text.resize(count / 2);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char a = bytes[2 * i], b = bytes[2 * i + 1];
        text[i] = static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
}

// The span of the encoding pseudo-attribute's value in an XML declaration at the start of
// text (ASCII-compatible bytes or wide characters alike), or false when there is none.
template <class Ch>
bool FindDeclaredEncoding(const Ch* text, size_t count, size_t& valueStart, size_t& valueEnd,
                          size_t& attrStart) {
    static const char kOpen[] = "<?xml";
    if (count < 5) return false;
    for (size_t i = 0; i < 5; ++i)
        if (text[i] != static_cast<Ch>(kOpen[i])) return false;
    size_t close = 5;
    while (close + 1 < count && !(text[close] == Ch('?') && text[close + 1] == Ch('>'))) ++close;
    if (close + 1 >= count) return false;
    static const char kName[] = "encoding";
    for (size_t i = 5; i + 8 <= close; ++i) {
        size_t k = 0;
        while (k < 8 && text[i + k] == static_cast<Ch>(kName[k])) ++k;
        if (k < 8) continue;
        size_t p = i + 8;
        while (p < close && (text[p] == Ch(' ') || text[p] == Ch('\t') || text[p] == Ch('\r') || text[p] == Ch('\n'))) ++p;
        if (p >= close || text[p] != Ch('=')) continue;
        ++p;
        while (p < close && (text[p] == Ch(' ') || text[p] == Ch('\t') || text[p] == Ch('\r') || text[p] == Ch('\n'))) ++p;
        if (p >= close || (text[p] != Ch('"') && text[p] != Ch('\''))) return false;
        Ch quote = text[p];
        size_t end = p + 1;
        while (end < close && text[end] != quote) ++end;
        if (end >= close) return false;
        attrStart = i;
        valueStart = p + 1;
        valueEnd = end;
        return true;
    }
    return false;
}

void RemoveDeclaredEncoding(std::wstring& text) {
    size_t valueStart, valueEnd, attrStart;
    if (FindDeclaredEncoding(text.c_str(), text.size(), valueStart, valueEnd, attrStart))
        text.erase(attrStart, valueEnd + 1 - attrStart);
}

}  // namespace

bool qx_DecodeXmlText(const char* bytes, size_t count, std::wstring& text) {
    const unsigned char* u = reinterpret_cast<const unsigned char*>(bytes);
    if (count >= 2 && u[0] == 0xFF && u[1] == 0xFE) {
        DecodeUtf16(bytes + 2, count - 2, false, text);
    } else if (count >= 2 && u[0] == 0xFE && u[1] == 0xFF) {
        DecodeUtf16(bytes + 2, count - 2, true, text);
    } else if (count >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) {
        if (!Decode(CP_UTF8, MB_ERR_INVALID_CHARS, bytes + 3, count - 3, text)) return false;
    } else {
        size_t valueStart, valueEnd, attrStart;
        if (FindDeclaredEncoding(bytes, count, valueStart, valueEnd, attrStart)) {
            std::wstring name(bytes + valueStart, bytes + valueEnd);
            unsigned codePage = qx_findcodepageW(name.c_str());
            if (codePage == 0) return false;
            DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
            if (!Decode(codePage, flags, bytes, count, text)) return false;
        } else if (!Decode(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, count, text) &&
                   !Decode(CP_ACP, 0, bytes, count, text)) {
            return false;
        }
    }
    RemoveDeclaredEncoding(text);
    return true;
}

#include "foundation/XmlInput.h"
#include "foundation/QxCodePage.h"
#include "platform/QxWin.h"

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

bool IsValidUtf8(const char* bytes, size_t count) {
    if (count == 0) return true;
    if (count > 0x7FFFFFFF) return false;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), nullptr, 0) > 0;
}

std::wstring DecodeUtf16(const char* bytes, size_t count, bool bigEndian) {
    std::wstring text(count / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char a = bytes[2 * i], b = bytes[2 * i + 1];
        text[i] = static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    return text;
}

template <class Ch>
bool IsBlank(Ch c) { return c == Ch(' ') || c == Ch('\t') || c == Ch('\r') || c == Ch('\n'); }

// Where the encoding pseudo-attribute of an XML declaration at the start of text stands
// (ASCII-compatible bytes or wide characters alike).
struct DeclaredEncoding {
    size_t attrStart = 0, valueStart = 0, valueEnd = 0;
};

template <class Ch>
bool FindDeclaredEncoding(const Ch* text, size_t count, DeclaredEncoding& found) {
    static const char kOpen[] = "<?xml";
    static const char kName[] = "encoding";
    if (count < 5) return false;
    for (size_t i = 0; i < 5; ++i)
        if (text[i] != static_cast<Ch>(kOpen[i])) return false;
    size_t close = 5;
    while (close + 1 < count && !(text[close] == Ch('?') && text[close + 1] == Ch('>'))) ++close;
    if (close + 1 >= count) return false;
    for (size_t i = 5; i + 8 <= close; ++i) {
        size_t k = 0;
        while (k < 8 && text[i + k] == static_cast<Ch>(kName[k])) ++k;
        if (k < 8) continue;
        size_t p = i + 8;
        while (p < close && IsBlank(text[p])) ++p;
        if (p >= close || text[p] != Ch('=')) continue;
        ++p;
        while (p < close && IsBlank(text[p])) ++p;
        if (p >= close || (text[p] != Ch('"') && text[p] != Ch('\''))) return false;
        size_t end = p + 1;
        while (end < close && text[end] != text[p]) ++end;
        if (end >= close) return false;
        found.attrStart = i;
        found.valueStart = p + 1;
        found.valueEnd = end;
        return true;
    }
    return false;
}

}  // namespace

bool QxXmlInput::Prepare(const char* bytes, size_t count) {
    const unsigned char* u = reinterpret_cast<const unsigned char*>(bytes);
    if (count >= 2 && u[0] == 0xFF && u[1] == 0xFE) return FromWide(DecodeUtf16(bytes + 2, count - 2, false));
    if (count >= 2 && u[0] == 0xFE && u[1] == 0xFF) return FromWide(DecodeUtf16(bytes + 2, count - 2, true));
    const bool utf8Mark = count >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF;
    const char* text = utf8Mark ? bytes + 3 : bytes;
    const size_t length = utf8Mark ? count - 3 : count;

    // A UTF-8 mark decides over the declaration; the declaration is then only dropped.
    unsigned codePage = CP_UTF8;
    DeclaredEncoding declared;
    const bool hasDeclaration = FindDeclaredEncoding(text, length, declared);
    bool declaredOther = false;
    if (hasDeclaration) {
        std::wstring name(text + declared.valueStart, text + declared.valueEnd);
        unsigned named = qx_findcodepageW(name.c_str());
        declaredOther = named != CP_UTF8;
        if (!utf8Mark) {
            if (named == 0) return false;  // 0 is the ANSI code page: the name was not known
            codePage = named;
        }
    }
    if (codePage == CP_UTF8) {
        if (!IsValidUtf8(text, length)) {
            if (utf8Mark || hasDeclaration) return false;  // announced as UTF-8, but it is not
            codePage = CP_ACP;                              // no announcement: the ANSI code page
        } else if (!declaredOther) {
            data_ = bytes;
            size_ = count;
            return true;
        }
    }
    std::wstring wide;
    return Decode(codePage, 0, text, length, wide) && FromWide(std::move(wide));
}

bool QxXmlInput::PrepareWide(const wchar_t* text, size_t length) {
    return FromWide(std::wstring(text, length));
}

bool QxXmlInput::FromWide(std::wstring text) {
    DeclaredEncoding declared;
    if (FindDeclaredEncoding(text.c_str(), text.size(), declared))
        text.erase(declared.attrStart, declared.valueEnd + 1 - declared.attrStart);
    if (text.size() > 0x7FFFFFFF) return false;
    storage_.clear();
    if (!text.empty()) {
        int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
        if (n <= 0) return false;
        storage_.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &storage_[0], n, nullptr, nullptr);
    }
    data_ = storage_.data();
    size_ = storage_.size();
    return true;
}

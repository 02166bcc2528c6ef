#include "foundation/XmlInput.h"
#include "foundation/QxCodePage.h"
#include "foundation/QxStringFunctions.h"
#include "foundation/XmlDeclaration.h"
#include "platform/QxWin.h"

namespace {

bool Decode(unsigned codePage, const char* bytes, size_t count, std::wstring& text) {
    text.clear();
    if (count == 0) return true;
    if (count > 0x7FFFFFFF) return false;
    int n = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), nullptr, 0);
    if (n <= 0) return false;
    text.resize(static_cast<size_t>(n));
    MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), &text[0], n);
    return true;
}

bool IsValidUtf8(const char* bytes, size_t count) {
    if (count == 0) return true;
    if (count > 0x7FFFFFFF) return false;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), nullptr, 0) > 0;
}

// UTF-16 of a whole number of units; false for an odd byte count (a text cut inside a unit).
bool DecodeUtf16(const char* bytes, size_t count, bool bigEndian, std::wstring& text) {
    if (count % 2) return false;
    text.assign(count / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char a = bytes[2 * i], b = bytes[2 * i + 1];
        text[i] = static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    return true;
}

bool StartsWithUtf16Mark(const unsigned char* u, size_t count, bool& bigEndian) {
    if (count < 2) return false;
    bigEndian = u[0] == 0xFE && u[1] == 0xFF;
    return bigEndian || (u[0] == 0xFF && u[1] == 0xFE);
}

const unsigned kUtf16Le = 1200, kUtf16Be = 1201;

// Beside a byte-order mark a declared encoding must name the mark's own (XML 1.0, 4.3.3):
// the mark does not win over a declaration that says otherwise. "UTF-16" names either
// byte order.
template <class Ch>
bool AgreesWithMark(const Ch* text, const QxXmlDeclaration& declaration, unsigned markCodePage) {
    if (!declaration.HasEncoding()) return true;
    const std::wstring name(text + declaration.nameStart, text + declaration.nameEnd);
    if (markCodePage != CP_UTF8 && qx_stricmpW(name.c_str(), L"UTF-16") == 0) return true;
    return qx_findcodepageW(name.c_str()) == markCodePage;
}

}  // namespace

bool QxXmlInput::Prepare(const char* bytes, size_t count) {
    const unsigned char* u = reinterpret_cast<const unsigned char*>(bytes);
    bool bigEndian = false;
    if (StartsWithUtf16Mark(u, count, bigEndian)) {
        std::wstring wide;
        return DecodeUtf16(bytes + 2, count - 2, bigEndian, wide) &&
               FromWide(wide.data(), wide.size(), bigEndian ? kUtf16Be : kUtf16Le);
    }
    const bool utf8Mark = count >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF;
    const char* text = utf8Mark ? bytes + 3 : bytes;
    const size_t length = utf8Mark ? count - 3 : count;

    const QxXmlDeclaration declaration = QxReadXmlDeclaration(text, length);
    if (declaration.form == QxXmlDeclaration::kBroken) return false;
    if (utf8Mark && !AgreesWithMark(text, declaration, CP_UTF8)) return false;
    unsigned codePage = CP_UTF8;
    if (declaration.HasEncoding()) {
        std::wstring name(text + declaration.nameStart, text + declaration.nameEnd);
        codePage = qx_findcodepageW(name.c_str());
        if (codePage == 0) return false;  // 0 is the ANSI code page: the name was not known
    }
    // The declaration is ASCII in every encoding it can name, so it ends at the same byte.
    const char* content = text + declaration.end;
    const size_t contentLength = length - declaration.end;
    if (codePage == CP_UTF8) {
        if (IsValidUtf8(content, contentLength)) return Borrow(content, contentLength);
        if (utf8Mark || declaration.HasEncoding()) return false;  // announced as UTF-8, but it is not
        codePage = CP_ACP;                                        // no announcement: the ANSI code page
    }
    // The declaration is read already: one that follows it in the content is a second one.
    std::wstring wide;
    return Decode(codePage, content, contentLength, wide) && ToUtf8(wide.data(), wide.size());
}

bool QxXmlInput::PrepareWide(const wchar_t* text, size_t length) { return FromWide(text, length, 0); }

// Text that was wide already (markCodePage 0): a declared encoding no longer applies and is
// passed over. Text decoded by its byte-order mark: the two must agree.
bool QxXmlInput::FromWide(const wchar_t* text, size_t length, unsigned markCodePage) {
    const QxXmlDeclaration declaration = QxReadXmlDeclaration(text, length);
    if (declaration.form == QxXmlDeclaration::kBroken) return false;
    if (markCodePage && !AgreesWithMark(text, declaration, markCodePage)) return false;
    return ToUtf8(text + declaration.end, length - declaration.end);
}

// The content behind the declaration, wide, made UTF-8.
bool QxXmlInput::ToUtf8(const wchar_t* text, size_t length) {
    if (length > 0x7FFFFFFF) return false;
    storage_.clear();
    if (length > 0) {
        // A lone surrogate has no UTF-8 form: such text is not valid UTF-16.
        int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, static_cast<int>(length), nullptr, 0, nullptr,
                                    nullptr);
        if (n <= 0) return false;
        storage_.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, static_cast<int>(length), &storage_[0], n, nullptr,
                            nullptr);
    }
    return Borrow(storage_.data(), storage_.size());
}

// What follows the declaration must not start as one again: a second declaration is not
// well-formed, and XmlLite must never meet one (see XmlDeclaration.h). Nor may it hold
// U+0000, which no document holds and which Wine's XmlLite takes for the end of its input,
// with the same abort as a declaration cut short.
bool QxXmlInput::Borrow(const char* text, size_t length) {
    if (QxReadXmlDeclaration(text, length).form != QxXmlDeclaration::kNone) return false;
    if (std::char_traits<char>::find(text, length, '\0')) return false;
    data_ = text;
    size_ = length;
    return true;
}

void QxXmlInput::Adopt(std::string text) {
    storage_.swap(text);
    data_ = storage_.data();
    size_ = storage_.size();
}

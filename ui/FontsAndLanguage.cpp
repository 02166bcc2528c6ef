#include "ui/FontsAndLanguage.h"
#include "foundation/QxCodePage.h"
#include "foundation/QxStringFunctions.h"
#include "foundation/RegistryReading.h"
#include "foundation/Qx_WString.h"
#include "config/ToolSettings.h"
#include "platform/QxBarrier.h"
#include "platform/QxHandle.h"

namespace {

const wchar_t kFallbackFace[] = L"Tahoma";
const int kPointSize = 9;

// Pixels of the given point size on the screen; 96 pixels per inch when there is no screen.
int ScreenPixels(int points) {
    QxScreenDC screen(GetDC(nullptr));
    int perInch = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return MulDiv(points, perInch > 0 ? perInch : 96, 72);
}

// The MIME database's fixed-width face for a code page. A value that exists but is empty
// is kept: the font mapper then picks the face.
CString FixedWidthFace(unsigned codePage) {
    Qx_WString path = L"SOFTWARE\\Classes\\MIME\\Database\\Codepage\\";
    Qx_WString number;
    number.FromInteger(static_cast<long>(codePage));
    path += number;

    CString face;
    CRegistry key;
    if (QxOpenKeyForReading(key, CRegistry::LocalMachine, path)) {
        if (!key.GetValue(L"FixedWidthFont", face)) face = kFallbackFace;
        key.CloseKey();
    } else {
        face = kFallbackFace;
    }
    return face;
}

// A face name does not fit LOGFONTW when it has LF_FACESIZE characters or more: it is cut
// to the first LF_FACESIZE - 1, never between the two halves of a surrogate pair.
void CopyFaceName(wchar_t (&target)[LF_FACESIZE], const CString& face) {
    int length = face.GetLength();
    if (length > LF_FACESIZE - 1) {
        length = LF_FACESIZE - 1;
        if (IS_HIGH_SURROGATE(face.GetAt(length - 1))) --length;
    }
    for (int i = 0; i < length; ++i) target[i] = face.GetAt(i);
    target[length] = L'\0';
}

}  // namespace

namespace {
HFONT FontByCharset(const wchar_t* charsetName) {
    if (!charsetName || qx_strlenW(charsetName) <= 0) return nullptr;
    const unsigned codePage = qx_findcodepageW(charsetName);
    // The database files code pages by their real number, so 0 (ANSI) is looked up as
    // the code page that stands behind it.
    const CString face = FixedWidthFace(qx_activecodepage(codePage));

    LOGFONTW font = {};
    font.lfHeight = -ScreenPixels(kPointSize);  // negative: the character height, not the cell's
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = static_cast<BYTE>(qx_getcharset(codePage));
    font.lfPitchAndFamily = FIXED_PITCH | FF_DONTCARE;
    CopyFaceName(font.lfFaceName, face);
    return CreateFontIndirectW(&font);
}
}  // namespace

HFONT qx_GetFontByCharset(const wchar_t* charsetName) {
    return QxBarrier(HFONT(nullptr), [&] { return FontByCharset(charsetName); });
}

namespace {
void LanguageText(CString& language) {
    language = QxReadToolSetting(kQxSettingLang);
    if (language.IsEmpty()) language = L"KOR";
}
}  // namespace

void qx_GetLangStr(CString& language) {
    QxBarrierVoid([&] { LanguageText(language); });
}

#include "foundation/QxCodePage.h"
#include "foundation/MimeCharsetDatabase.h"
#include "foundation/QxStringFunctions.h"
#include "platform/QxWin.h"
#include <cwchar>
#include <cwctype>

namespace {
struct CharsetName {
    const wchar_t* name;
    unsigned codePage;
};

// The charset names in common use on the web and in XML declarations, for a name that the
// system's database lacks.
// clang-format off
const CharsetName kCharsets[] = {
    {L"utf-8", 65001},         {L"utf8", 65001},           {L"utf-7", 65000},
    {L"utf-16", 1200},         {L"utf-16le", 1200},        {L"unicode", 1200},
    {L"utf-16be", 1201},       {L"unicodefffe", 1201},     {L"us-ascii", 20127},
    {L"ascii", 20127},         {L"iso-8859-1", 28591},     {L"latin1", 28591},
    {L"iso-8859-2", 28592},    {L"iso-8859-5", 28595},     {L"iso-8859-7", 28597},
    {L"iso-8859-9", 28599},    {L"iso-8859-15", 28605},    {L"euc-kr", 949},
    {L"ks_c_5601-1987", 949},  {L"ks_c_5601", 949},        {L"korean", 949},
    {L"uhc", 949},             {L"shift_jis", 932},        {L"shift-jis", 932},
    {L"sjis", 932},            {L"x-sjis", 932},           {L"euc-jp", 20932},
    {L"iso-2022-jp", 50220},   {L"gb2312", 936},           {L"gbk", 936},
    {L"gb18030", 54936},       {L"big5", 950},             {L"koi8-r", 20866},
    {L"koi8-u", 21866},        {L"tis-620", 874},          {L"windows-874", 874},
};
// clang-format on

// "windows-1252", "cp1252", "ibm437" and the like name their code page by number.
unsigned NumberedCodePage(const wchar_t* name) {
    static const wchar_t* const kPrefixes[] = {L"windows-", L"cp", L"ibm", L"x-cp"};
    for (const wchar_t* prefix : kPrefixes) {
        size_t n = wcslen(prefix);
        if (_wcsnicmp(name, prefix, n) != 0) continue;
        const wchar_t* digits = name + n;
        if (!*digits) return 0;
        unsigned value = 0;
        for (const wchar_t* p = digits; *p; ++p) {
            if (!iswdigit(*p) || value > 99999) return 0;
            value = value * 10 + static_cast<unsigned>(*p - L'0');
        }
        return IsValidCodePage(value) ? value : 0;
    }
    return 0;
}
}  // namespace

// The system's database first: it knows every name Windows accepts. The table below answers
// for a name it lacks, or where it cannot be read.
unsigned qx_findcodepageW(const wchar_t* charsetName) {
    if (!charsetName || !*charsetName) return 0;
    if (unsigned codePage = QxMimeCharsetCodePage(charsetName)) return codePage;
    for (const CharsetName& entry : kCharsets)
        if (qx_stricmpW(entry.name, charsetName) == 0) return entry.codePage;
    return NumberedCodePage(charsetName);
}

unsigned qx_activecodepage(unsigned codePage) {
    switch (codePage) {
    case CP_ACP: return GetACP();
    case CP_OEMCP: return GetOEMCP();
    case CP_MACCP: {
        unsigned value = 0;
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTMACCODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&value), sizeof value / sizeof(wchar_t));
        return value;
    }
    case CP_THREAD_ACP: {
        unsigned value = 0;
        GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&value), sizeof value / sizeof(wchar_t));
        return value ? value : GetACP();
    }
    default: return codePage;
    }
}

int qx_getcharset(unsigned codePage) {
    CHARSETINFO info = {};
    UINT_PTR active = qx_activecodepage(codePage);
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(active), &info, TCI_SRCCODEPAGE)) return DEFAULT_CHARSET;
    return static_cast<int>(info.ciCharset);
}

unsigned QxGetLocaleCP() {
    unsigned value = 0;
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&value), sizeof value / sizeof(wchar_t)) ||
        value == 0)
        return GetACP();
    return value;
}

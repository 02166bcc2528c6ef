#include "foundation/MimeCharsetDatabase.h"
#include "foundation/RegistryReading.h"
#include "platform/QxBarrier.h"
#include <cwchar>

namespace {

const wchar_t kCharsetRoot[] = L"SOFTWARE\\Classes\\MIME\\Database\\Charset\\";

// The databases of Windows and Wine reach every code page within one alias; the bound ends
// a database whose aliases run in a circle.
const int kMaxAliases = 8;

// A value that is missing, 0 or longer than a number (a text) names no code page.
bool ReadCodePage(CRegistry& entry, const wchar_t* valueName, unsigned& codePage) {
    unsigned long number = 0;
    if (!entry.GetValue(valueName, number) || number == 0) return false;
    codePage = static_cast<unsigned>(number);
    return true;
}

unsigned LookUp(const wchar_t* charsetName) {
    CString name = charsetName;
    for (int aliases = 0; aliases <= kMaxAliases; ++aliases) {
        // A name is one key of the database, never a path into it. The registry matches key
        // names without regard to case (Wine's as well, beyond ASCII too).
        if (name.IsEmpty() || wcschr(name, L'\\')) return 0;
        CString path = kCharsetRoot;
        path += name;
        CRegistry entry;
        if (!QxOpenKeyForReading(entry, CRegistry::LocalMachine, path)) return 0;
        // "InternetEncoding" is the encoding the text is in; "Codepage" only its family, for
        // display (utf-8 belongs to the family of 1200).
        unsigned codePage = 0;
        if (ReadCodePage(entry, L"InternetEncoding", codePage) || ReadCodePage(entry, L"Codepage", codePage))
            return codePage;
        if (!entry.GetValue(L"AliasForCharset", name)) return 0;
    }
    return 0;
}

}  // namespace

unsigned QxMimeCharsetCodePage(const wchar_t* charsetName) {
    if (!charsetName) return 0;
    return QxBarrier(0u, [&] { return LookUp(charsetName); });
}

#pragma once
// Names Windows gives to devices in every folder: "NUL", "COM1" and the rest, also with
// an extension ("nul.txt"), in any case, and with trailing blanks or dots, which the file
// system drops. A file name that is one of them opens the device instead of a file.
#include <cwctype>
#include <string>

[[nodiscard]] inline bool QxIsReservedDeviceName(const std::wstring& name) {
    // The part before the first dot, without the blanks and dots Windows strips.
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && (base.back() == L' ' || base.back() == L'.')) base.pop_back();
    for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* device : kDevices)
        if (base == device) return true;
    // COM1 to COM9 and LPT1 to LPT9, and the superscript digits 1 to 3 that Windows also takes.
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t d = base[3];
        return (d >= L'1' && d <= L'9') || d == L'\u00B9' || d == L'\u00B2' || d == L'\u00B3';
    }
    return false;
}

#include "ServiceFolder.h"
#include "platform/QxFileNames.h"
#include "platform/QxWin.h"
#include <cstdio>
#include "runtime/internal/QxServiceDefinition.h"

namespace {

const wchar_t kBegin[] = L"/**__SERVICE XML BEGIN__";
const wchar_t kEnd[] = L"__SERVICE XML END__**/";
const wchar_t kOrgBegin[] = L"//____ORG_SOURCE_BEGIN____";
const wchar_t kOrgEnd[] = L"//____ORG_SOURCE_END____";

// Source files are UTF-8 (with or without a mark) or, failing that, the ANSI code page.
Qx_WString DecodeSource(const Qx_Buffer& bytes) {
    const char* data = bytes.GetData();
    int count = bytes.GetLength();
    if (count >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        data += 3;
        count -= 3;
    }
    Qx_WString text;
    if (count == 0) return text;
    bool utf8 = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, count, nullptr, 0) > 0;
    text.Set(data, count, utf8 ? CP_UTF8 : CP_ACP);
    return text;
}

Qx_WString WithExtension(const Qx_WString& name, const wchar_t* extension) {
    Qx_WString file(name);
    int length = file.GetLength(), extLength = qx_strlenW(extension);
    if (length < extLength || qx_stricmpW(file.c_str() + length - extLength, extension) != 0) file += extension;
    return file;
}

}  // namespace

bool ServiceFolder::IsSafeName(const Qx_WString& name) {
    return !name.IsEmpty() && name != L"." && name != L".." && name.Find(L'\\') < 0 && name.Find(L'/') < 0 &&
           name.Find(L':') < 0 && !QxIsReservedDeviceName(name.str());
}

Qx_WString ServiceFolder::CutServiceXml(const Qx_WString& source) {
    Qx_WStrList lines;
    lines.Parse(source.c_str(), L"\n", 0, 0);
    Qx_WString out;
    bool inBlock = false;
    for (int i = 0; i < lines.Count(); ++i) {
        Qx_WString line(*lines.GetItem(i));
        if (line.Find(kBegin) >= 0) {
            line.Replace(kBegin, L"");
            out += line;
            inBlock = true;
        } else if (line.Find(kEnd) >= 0) {
            line.Replace(kEnd, L"");
            out += line;
            inBlock = false;
        } else if (line.Find(kOrgBegin) >= 0 || line.Find(kOrgEnd) >= 0) {
            continue;
        } else if (inBlock) {
            out += line;
        }
    }
    return out;
}

bool ServiceFolder::ListSources(Qx_Dataset& out) const {
    const wchar_t* columns[] = {L"name", L"class_name", L"size", L"date", L"time"};
    for (const wchar_t* c : columns) out.AddColumn(c, QX_VT_STRING, 255, 1);
    Qx_WStrList names;
    if (Qx_Dir::GetList(folder_.c_str(), names, L"cpp") < 0) return false;
    for (int i = 0; i < names.Count(); ++i) {
        Qx_WString name(*names.GetItem(i));
        std::wstring path = folder_ + L"\\" + name.str();
        WIN32_FILE_ATTRIBUTE_DATA info;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) continue;
        SYSTEMTIME utc, local;
        FileTimeToSystemTime(&info.ftLastWriteTime, &utc);
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
        Qx_WString size, date, time, className;
        size = Qx_WString(std::to_wstring((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow));
        date.Format(L"%04u-%02u-%02u", local.wYear, local.wMonth, local.wDay);
        time.Format(L"%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
        Qx_WString text, error;
        if (ReadSource(name, text, error)) {
            Qx_AString xml(CutServiceXml(text), CP_UTF8);
            QxServiceDefinition def;
            if (def.Load(Qx_Buffer(xml.GetSafeBuffer(), xml.GetLength()), error)) className = def.className;
        }
        int row = out.AppendRow();
        out.SetColumn(row, L"name", name.c_str());
        out.SetColumn(row, L"class_name", className.c_str());
        out.SetColumn(row, L"size", size.c_str());
        out.SetColumn(row, L"date", date.c_str());
        out.SetColumn(row, L"time", time.c_str());
    }
    return true;
}

bool ServiceFolder::ReadSource(const Qx_WString& name, Qx_WString& text, Qx_WString& error) const {
    if (!IsSafeName(name)) {
        error = L"refused: the name leaves the service folder";
        return false;
    }
    Qx_WString file = WithExtension(name, L".cpp");
    Qx_Buffer bytes;
    if (Qx_File::ReadFile((folder_ + L"\\" + file.str()).c_str(), bytes) < 0) {
        error = L"no such service source";
        return false;
    }
    text = DecodeSource(bytes);
    return true;
}

long ServiceFolder::ReadDefinition(const Qx_WString& name, Qx_Buffer& buffer) const {
    if (!IsSafeName(name)) return -1;
    if (Qx_File::ReadFile((folder_ + L"\\" + WithExtension(name, L".xml").str()).c_str(), buffer) >= 0) return 0;
    Qx_WString text, error;
    if (!ReadSource(name, text, error)) return -1;
    Qx_WString xml = CutServiceXml(text);
    if (xml.IsEmpty()) return -1;
    Qx_AString utf8(xml, CP_UTF8);
    buffer = Qx_Buffer(utf8.GetSafeBuffer(), utf8.GetLength());
    return 0;
}

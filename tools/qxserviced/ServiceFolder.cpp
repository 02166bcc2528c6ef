#include "ServiceFolder.h"
#include "platform/QxFileNames.h"
#include "platform/QxHandle.h"
#include "platform/QxWin.h"
#include "runtime/internal/QxServiceDefinition.h"
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string_view>

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

bool IsSourceName(std::wstring_view name) {
    return name.size() > 4 && CompareStringOrdinal(name.data() + name.size() - 4, 4, L".cpp", 4, TRUE) == CSTR_EQUAL;
}

// A text cell written into the dataset's own storage.
void PutText(Qx_Dataset& ds, Qx_Variant& cell, const std::wstring& text) {
    char* to = ds.PreparePayload(cell, QX_VT_STRING, static_cast<uint32_t>(text.size()));
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result): PreparePayload has set the terminator
    memcpy(to, text.data(), text.size() * sizeof(wchar_t));
}

// Appends line to out without any occurrence of mark.
void AppendWithout(std::wstring& out, std::wstring_view line, std::wstring_view mark) {
    for (size_t at = 0; (at = line.find(mark)) != std::wstring_view::npos; line.remove_prefix(at + mark.size()))
        out.append(line.substr(0, at));
    out.append(line);
}

}  // namespace

bool ServiceFolder::IsSafeName(const Qx_WString& name) {
    return !name.IsEmpty() && name != L"." && name != L".." && name.Find(L'\\') < 0 && name.Find(L'/') < 0 &&
           name.Find(L':') < 0 && !QxIsReservedDeviceName(name.str());
}

// One pass over the lines of the source, in place: a large source costs only the block cut
// out of it, never a copy of every line.
Qx_WString ServiceFolder::CutServiceXml(const Qx_WString& source) {
    const std::wstring& text = source.str();
    std::wstring out;
    bool inBlock = false;
    for (size_t start = 0; start < text.size();) {
        const size_t newline = text.find(L'\n', start);
        const size_t end = newline == std::wstring::npos ? text.size() : newline + 1;
        std::wstring_view line(text.data() + start, end - start);
        start = end;
        const size_t begin = line.find(kBegin), finish = line.find(kEnd);
        if (begin != std::wstring_view::npos) {
            AppendWithout(out, line, kBegin);
            inBlock = true;
        } else if (finish != std::wstring_view::npos) {
            AppendWithout(out, line, kEnd);
            inBlock = false;
        } else if (line.find(kOrgBegin) != std::wstring_view::npos || line.find(kOrgEnd) != std::wstring_view::npos) {
            continue;
        } else if (inBlock) {
            out.append(line);
        }
    }
    return Qx_WString(out.c_str(), static_cast<int>(out.size()));
}

QxStatus ServiceFolder::ListSources(Qx_Dataset& out) const {
    const wchar_t* columns[] = {L"name", L"class_name", L"size", L"date", L"time"};
    for (const wchar_t* c : columns) out.AddColumn(c, QX_VT_STRING, 255, 1);
    std::lock_guard<std::mutex> lock(indexMutex_);
    if (QxStatus refreshed = Refresh(); !refreshed.ok()) return refreshed;
    out.ReserveRows(static_cast<int>(entries_.size()));
    for (const Entry& e : entries_) {
        Qx_Variant* row = out.GetRowCells(out.AppendRow());
        PutText(out, row[0], e.name);
        PutText(out, row[1], e.className);
        PutText(out, row[2], e.sizeText);
        PutText(out, row[3], e.date);
        PutText(out, row[4], e.time);
    }
    return QxStatus();
}

// One listing of the folder: unchanged entries stay, changed ones are read again in
// place, and the index is rebuilt (and sorted) only when a source came or went.
QxStatus ServiceFolder::Refresh() const {
    std::vector<bool> seen(entries_.size(), false);
    std::vector<Entry> added;
    QxStatus listed = listing_.List(folder_, [&](const DirectoryEntry& found) {
        if ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) || !IsSourceName(found.name)) return;
        auto at = positions_.find(found.name);
        if (at == positions_.end()) {
            added.emplace_back();
            added.back().name = found.name;
            Read(added.back(), found);
            return;
        }
        Entry& entry = entries_[at->second];
        seen[at->second] = true;
        if (entry.size != found.size || CompareFileTime(&entry.written, &found.written) != 0) Read(entry, found);
    });
    if (!listed.ok()) return listed;
    if (added.empty() && std::find(seen.begin(), seen.end(), false) == seen.end()) return QxStatus();
    for (size_t i = 0; i < entries_.size(); ++i)
        if (seen[i]) added.push_back(std::move(entries_[i]));
    Reindex(std::move(added));
    return QxStatus();
}

// The map's keys are views of the entries' names, so they are dropped before the entries.
void ServiceFolder::Reindex(std::vector<Entry> entries) const {
    positions_.clear();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return qx_stricmpW(a.name.c_str(), b.name.c_str()) < 0; });
    entries_.clear();
    entries_.reserve(entries.size());  // no reallocation below: the keys view the names
    positions_.reserve(entries.size());
    for (Entry& entry : entries) {
        // A file met twice in one listing (the folder changed while it was read) is listed once.
        if (positions_.count(entry.name) != 0) continue;
        entries_.push_back(std::move(entry));
        positions_.emplace(entries_.back().name, entries_.size() - 1);
    }
}

// Everything of an entry but its name, which stays (the index's keys view it).
void ServiceFolder::Read(Entry& entry, const DirectoryEntry& found) const {
    entry.size = found.size;
    entry.written = found.written;
    entry.sizeText = std::to_wstring(entry.size);
    SYSTEMTIME utc, local;
    FileTimeToSystemTime(&found.written, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    Qx_WString date, time;
    date.Format(L"%04u-%02u-%02u", local.wYear, local.wMonth, local.wDay);
    time.Format(L"%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
    entry.date = date.str();
    entry.time = time.str();
    entry.className.clear();
    Qx_WString text;
    if (ReadSource(Qx_WString(entry.name.c_str()), text).ok()) {
        Qx_AString xml(CutServiceXml(text), CP_UTF8);
        QxServiceDefinition def;
        if (def.Load(Qx_Buffer(xml.GetSafeBuffer(), xml.GetLength())).ok()) entry.className = def.className.str();
    }
}

QxStatus ServiceFolder::ReadSource(const Qx_WString& name, Qx_WString& text) const {
    if (!IsSafeName(name)) return QxStatus(QxCode::kBadInput, L"refused: the name leaves the service folder");
    Qx_WString file = WithExtension(name, L".cpp");
    Qx_Buffer bytes;
    if (Qx_File::ReadFile((folder_ + L"\\" + file.str()).c_str(), bytes) < 0)
        return QxStatus(QxCode::kNotFound, L"no such service source");
    text = DecodeSource(bytes);
    return QxStatus();
}

QxStatus ServiceFolder::ReadDefinition(const Qx_WString& name, Qx_Buffer& buffer) const {
    if (!IsSafeName(name)) return QxStatus(QxCode::kBadInput, L"refused: the name leaves the service folder");
    if (Qx_File::ReadFile((folder_ + L"\\" + WithExtension(name, L".xml").str()).c_str(), buffer) >= 0)
        return QxStatus();
    Qx_WString text;
    if (QxStatus read = ReadSource(name, text); !read.ok()) return read;
    Qx_WString xml = CutServiceXml(text);
    if (xml.IsEmpty()) return QxStatus(QxCode::kNotFound, L"the service source holds no service XML block");
    Qx_AString utf8(xml, CP_UTF8);
    buffer = Qx_Buffer(utf8.GetSafeBuffer(), utf8.GetLength());
    return QxStatus();
}

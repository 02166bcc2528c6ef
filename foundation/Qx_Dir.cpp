#include "foundation/Qx_Dir.h"
#include "foundation/Qx_WStrList.h"
#include "foundation/QxStringFunctions.h"
#include "platform/QxHandle.h"
#include <algorithm>
#include <vector>

namespace {
bool EndsWithExtension(const std::wstring& name, const std::wstring& dotExtension) {
    return name.size() > dotExtension.size() &&
           qx_stricmpW(name.c_str() + name.size() - dotExtension.size(), dotExtension.c_str()) == 0;
}
}  // namespace

bool Qx_Dir::IsExist(const wchar_t* path) {
    if (!path || !*path) return false;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int Qx_Dir::GetList(const wchar_t* folder, Qx_WStrList& names, const wchar_t* extension) {
    if (!folder || !*folder) return -1;
    std::wstring pattern(folder);
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    const std::wstring dotExtension = std::wstring(L".") + (extension ? extension : L"");

    WIN32_FIND_DATAW data;
    QxFind find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : -1;
    // The extension is checked here rather than in the pattern, which would also match
    // longer extensions through short names ("*.xml" finding "a.xmlx").
    std::vector<std::wstring> found;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring name(data.cFileName);
        if (EndsWithExtension(name, dotExtension)) found.push_back(name);
    } while (FindNextFileW(find.Get(), &data));
    std::stable_sort(found.begin(), found.end(), [](const std::wstring& a, const std::wstring& b) {
        return qx_stricmpW(a.c_str(), b.c_str()) < 0;
    });
    for (const std::wstring& name : found) names.Add(name.c_str());
    return static_cast<int>(found.size());
}

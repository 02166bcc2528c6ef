#include "ui/FileDeletion.h"
#include "platform/QxBarrier.h"
#include "platform/QxWin.h"
#include <shellapi.h>
#include <string>

namespace {
// The full form of path; path itself when it cannot be resolved.
std::wstring FullPath(const wchar_t* path) {
    DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    DWORD written = GetFullPathNameW(path, needed, &full[0], nullptr);
    if (written == 0 || written >= needed) return path;
    full.resize(written);
    return full;
}
}  // namespace

namespace {
int Delete(const wchar_t* path, int recycle) {
    if (!path || !*path) return 0;  // an empty list would report success for deleting nothing
    // The shell takes a list of names, each ended by a null, the list by a second one.
    std::wstring list = FullPath(path);
    list.push_back(L'\0');

    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.pTo = L"";
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_FILESONLY;
    if (recycle) operation.fFlags |= FOF_ALLOWUNDO;
    return SHFileOperationW(&operation) == 0 ? 1 : 0;
}
}  // namespace

int qx_DeleteFile(const wchar_t* path, int recycle) {
    return QxBarrier(0, [&] { return Delete(path, recycle); });
}

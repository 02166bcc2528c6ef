#include "DirectoryListing.h"
#include "platform/QxHandle.h"

namespace {
// Large enough for a few thousand entries per read; fewer reads matter more under Wine,
// where each read is a trip to the server.
const size_t kBufferBytes = size_t{256} * 1024;

FILETIME AsFileTime(const LARGE_INTEGER& time) {
    FILETIME t;
    t.dwLowDateTime = time.LowPart;
    t.dwHighDateTime = static_cast<DWORD>(time.HighPart);
    return t;
}
}  // namespace

QxStatus DirectoryListing::List(const std::wstring& folder, const std::function<void(const DirectoryEntry&)>& visit) {
    QxFileHandle directory(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!directory) {
        const DWORD error = GetLastError();
        return QxStatus::FromSystemError(error, (L"cannot open the folder " + folder).c_str(), QxCode::kReadFailed);
    }
    buffer_.resize(kBufferBytes / sizeof(LONGLONG));
    const DWORD bytes = static_cast<DWORD>(buffer_.size() * sizeof(LONGLONG));
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileFullDirectoryRestartInfo;
         GetFileInformationByHandleEx(directory.Get(), kind, buffer_.data(), bytes); kind = FileFullDirectoryInfo) {
        const char* at = reinterpret_cast<const char*>(buffer_.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(at);
            DirectoryEntry entry;
            entry.name = std::wstring_view(info->FileName, info->FileNameLength / sizeof(wchar_t));
            entry.size = static_cast<uint64_t>(info->EndOfFile.QuadPart);
            entry.written = AsFileTime(info->LastWriteTime);
            entry.attributes = info->FileAttributes;
            visit(entry);
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }
    // The end of the listing, or an empty folder on a file system without "." and "..".
    const DWORD error = GetLastError();
    if (error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND) return QxStatus();
    return QxStatus::FromSystemError(error, (L"cannot list the folder " + folder).c_str(), QxCode::kReadFailed);
}

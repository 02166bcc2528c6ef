#include "foundation/TextFile.h"
#include "foundation/Qx_AString.h"
#include "foundation/Qx_File.h"
#include "platform/QxWin.h"
#include <string>

bool qx_GetTextFileSource(const wchar_t* path, Qx_Buffer& buffer) {
    Qx_File file;
    if (file.Open(path, "rt") < 0) return false;
    int64_t size = file.GetSize();
    if (size < 0 || size > 0x7FFFFFFE) return false;
    // Read into a buffer of our own so that a failed read leaves the caller's untouched.
    Qx_Buffer data;
    int got = file.Read(data.GetSafeBuffer(static_cast<int>(size)), static_cast<int>(size), -1);
    if (got < 0) return false;
    // Text mode drops carriage returns, so the data can be shorter than the file.
    data.SetLength(got);
    buffer = data;
    return true;
}

namespace {
// The folder part of path, with its separator; empty when path has none.
std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A new, empty temporary file beside target; empty when none can be made.
std::wstring MakeTempBeside(const std::wstring& target) {
    std::wstring folder = FolderOf(target);
    wchar_t name[MAX_PATH + 1];
    if (!GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"qxt", 0, name)) return std::wstring();
    return name;
}
}  // namespace

long qx_PutTextFileSource(const wchar_t* path, Qx_WString text) {
    if (!path || !*path) return -1;
    const std::wstring target(path);
    // Opening a read-only file for writing fails; replacing it must fail the same way.
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return -1;
    Qx_AString bytes(text, 0);
    std::wstring temp = MakeTempBeside(target);
    if (temp.empty()) return -1;

    Qx_File file;
    bool written = file.Open(temp.c_str(), "wt") == 0 &&
                   file.Write(bytes.GetSafeBuffer(), bytes.GetLength(), -1) == bytes.GetLength();
    written = file.Close() == 0 && written;
    // The target is replaced in one step, and only by a complete file.
    if (written && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    DeleteFileW(temp.c_str());
    return -1;
}

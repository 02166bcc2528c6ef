#include "foundation/FileRewrite.h"
#include "platform/QxHandle.h"
#include <algorithm>

namespace {

bool ReadAll(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7FFFFFFE) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr)) return false;
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return true;
}

// The file holds exactly bytes, on disk, when this answers true.
bool WriteAll(HANDLE file, const std::string& bytes) {
    const LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    for (size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return SetEndOfFile(file) && FlushFileBuffers(file);
}

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

bool WriteTemp(const std::wstring& temp, const std::string& bytes) {
    QxFileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    return file && WriteAll(file.Get(), bytes);
}

}  // namespace

bool QxRewriteFileInPlace(const wchar_t* path, const std::string& bytes) {
    QxFileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string old;
    if (!file || !ReadAll(file.Get(), old)) return false;
    if (WriteAll(file.Get(), bytes)) return true;
    WriteAll(file.Get(), old);  // the space the old bytes took is still the file's
    return false;
}

bool QxWriteNewFile(const wchar_t* path, const std::string& bytes) {
    const std::wstring temp = MakeTempBeside(path);
    if (temp.empty()) return false;
    // Without MOVEFILE_REPLACE_EXISTING: a file that has appeared meanwhile is not replaced.
    if (WriteTemp(temp, bytes) && MoveFileExW(temp.c_str(), path, MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp.c_str());
    return false;
}

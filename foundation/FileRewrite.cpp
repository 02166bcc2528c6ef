#include "foundation/FileRewrite.h"
#include "platform/QxHandle.h"
#include <algorithm>

namespace {

QxStatus ReadAll(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return QxStatus::FromLastError(L"cannot read the file", QxCode::kReadFailed);
    if (size.QuadPart > 0x7FFFFFFE) return QxStatus(QxCode::kTooLarge, L"the file is larger than 2 GiB");
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr))
            return QxStatus::FromLastError(L"cannot read the file", QxCode::kReadFailed);
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return QxStatus();
}

// The file holds exactly bytes, on disk, when this answers ok.
QxStatus WriteAll(HANDLE file, const std::string& bytes) {
    const LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return QxStatus::FromLastError(L"cannot write the file", QxCode::kWriteFailed);
    for (size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
            return QxStatus::FromLastError(L"cannot write the file", QxCode::kWriteFailed);
        if (written == 0) return QxStatus(QxCode::kWriteFailed, L"cannot write the file: nothing was written");
        done += written;
    }
    if (!SetEndOfFile(file) || !FlushFileBuffers(file))
        return QxStatus::FromLastError(L"cannot write the file", QxCode::kWriteFailed);
    return QxStatus();
}

// The folder part of path, with its separator; empty when path has none.
std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A new, empty temporary file beside target, named in temp.
QxStatus MakeTempBeside(const std::wstring& target, std::wstring& temp) {
    std::wstring folder = FolderOf(target);
    wchar_t name[MAX_PATH + 1];
    if (!GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"qxt", 0, name))
        return QxStatus::FromLastError(L"cannot make a temporary file beside the file", QxCode::kWriteFailed);
    temp = name;
    return QxStatus();
}

QxStatus WriteTemp(const std::wstring& temp, const std::string& bytes) {
    QxFileHandle file(
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return QxStatus::FromLastError(L"cannot open the temporary file", QxCode::kWriteFailed);
    return WriteAll(file.Get(), bytes);
}

}  // namespace

QxStatus QxRewriteFileInPlace(const wchar_t* path, const std::string& bytes) {
    QxFileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return QxStatus::FromLastError(L"cannot open the file for rewriting", QxCode::kReadFailed);
    std::string old;
    if (QxStatus read = ReadAll(file.Get(), old); !read.ok()) return read;
    QxStatus written = WriteAll(file.Get(), bytes);
    if (written.ok()) return written;
    // The space the old bytes took is still the file's; should even that fail, the reason
    // says so.
    QxStatus restored = WriteAll(file.Get(), old);
    if (restored.ok()) return written;
    return QxStatus(written.code(), written.reason() + L"; the old content could not be put back: " + restored.reason(),
                    written.number());
}

QxStatus QxWriteNewFile(const wchar_t* path, const std::string& bytes) {
    std::wstring temp;
    if (QxStatus made = MakeTempBeside(path, temp); !made.ok()) return made;
    QxStatus written = WriteTemp(temp, bytes);
    // Without MOVEFILE_REPLACE_EXISTING: a file that has appeared meanwhile is not replaced.
    if (written.ok() && !MoveFileExW(temp.c_str(), path, MOVEFILE_WRITE_THROUGH))
        written = QxStatus::FromLastError(L"cannot give the new file its name", QxCode::kWriteFailed);
    if (!written.ok()) DeleteFileW(temp.c_str());
    return written;
}

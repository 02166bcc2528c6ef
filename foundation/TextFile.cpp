#include "foundation/TextFile.h"
#include "foundation/Qx_AString.h"
#include "foundation/Qx_File.h"
#include "foundation/FileRewrite.h"
#include "platform/QxBarrier.h"
#include "platform/QxStatus.h"
#include "platform/QxWin.h"
#include <string>

namespace {

// Text mode ends a file at its first byte 0x1A and turns CR LF into LF. That serves files
// in the ANSI code page and UTF-8, but damages UTF-16, whose characters hold such bytes
// (U+041A, U+0D0A): a file that starts with a UTF-16 byte-order mark is read as it is.
const char* ReadMode(const wchar_t* path) {
    Qx_File probe;
    unsigned char mark[2] = {};
    const bool utf16 = probe.Open(path, "rb") == 0 && probe.Read(mark, 2) == 2 &&
                       ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF));
    return utf16 ? "rb" : "rt";
}

QxStatus ReadTextFile(const wchar_t* path, Qx_Buffer& buffer) {
    Qx_File file;
    if (file.Open(path, ReadMode(path)) < 0) return QxStatus(QxCode::kReadFailed, L"cannot open the file");
    int64_t size = file.GetSize();
    if (size < 0) return QxStatus(QxCode::kReadFailed, L"cannot tell the file's size");
    if (size > 0x7FFFFFFE) return QxStatus(QxCode::kTooLarge, L"the file is larger than 2 GiB");
    // Read into a buffer of our own so that a failed read leaves the caller's untouched.
    Qx_Buffer data;
    int got = file.Read(data.GetSafeBuffer(static_cast<int>(size)), static_cast<int>(size), -1);
    if (got < 0) return QxStatus(QxCode::kReadFailed, L"cannot read the file");
    // Text mode drops carriage returns, so the data can be shorter than the file.
    data.SetLength(got);
    buffer = data;
    return QxStatus();
}

// The bytes that writing text in text mode puts on disk: ANSI, every LF as CR LF.
std::string TextModeBytes(const Qx_WString& text) {
    Qx_AString ansi(text, 0);
    std::string bytes;
    bytes.reserve(static_cast<size_t>(ansi.GetLength()));
    for (char c : ansi.str()) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

// Opening a file with "wt" fails for a read-only file, and for a hidden or system file
// (creating over one is refused unless the same attributes are asked for): writing one
// fails the same way. Wine opens all of them.
bool RefusesWriting(DWORD attributes) {
    return attributes &
           (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
}

QxStatus WriteTextFile(const wchar_t* path, const Qx_WString& text) {
    if (!path || !*path) return QxStatus(QxCode::kBadInput, L"no file is named");
    const std::string bytes = TextModeBytes(text);
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return QxWriteNewFile(path, bytes);
        return QxStatus::FromSystemError(error, L"cannot reach the file", QxCode::kWriteFailed);
    }
    if (RefusesWriting(attributes))
        return QxStatus(QxCode::kWriteFailed, L"the file is read-only, hidden or a system file, or a folder");
    return QxRewriteFileInPlace(path, bytes);
}

}  // namespace

bool qx_GetTextFileSource(const wchar_t* path, Qx_Buffer& buffer) {
    return QxBarrier(false, [&] { return ReadTextFile(path, buffer).ok(); });
}

// The contract passes the text by value.
// cppcheck-suppress passedByValue
// NOLINTNEXTLINE(performance-unnecessary-value-param)
long qx_PutTextFileSource(const wchar_t* path, Qx_WString text) {
    return QxBarrier(-1L, [&] { return WriteTextFile(path, text).ok() ? 0L : -1L; });
}

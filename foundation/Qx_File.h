#pragma once
#include "platform/QxExport.h"
#include <cstdint>
#include <cstdio>

class Qx_Buffer;

// A file opened through the C runtime with a mode such as "rt", "wt", "rb" or "wb".
// Text modes translate line ends as the C runtime does. Closed by the destructor.
class QX_API Qx_File {
public:
    Qx_File();
    ~Qx_File();
    Qx_File(const Qx_File&) = delete;
    Qx_File& operator=(const Qx_File&) = delete;

    // 0 on success, -1 when the file cannot be opened (a file already open is closed first).
    int Open(const wchar_t* path, const char* mode);
    bool IsOpen() const { return file_ != nullptr; }
    // Size on disk in bytes, -1 when no file is open.
    int64_t GetSize() const;
    // Bytes read (fewer at the end of the file or through text-mode translation), or -1
    // when the read itself failed or no file is open. The last argument is kept for callers
    // that pass -1.
    int Read(void* data, int count, int reserved = -1);
    // Bytes written, or -1 when not all could be written or no file is open.
    int Write(const void* data, int count, int reserved = -1);
    // 0, or -1 when flushing the data failed (a full disk shows here).
    int Close();

    // Reads a whole file in binary mode into buffer (replacing its data): bytes read, or
    // -1 when the file cannot be opened or read.
    static int ReadFile(const wchar_t* path, Qx_Buffer& buffer);

private:
    FILE* file_;
};

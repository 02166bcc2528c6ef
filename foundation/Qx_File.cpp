#include "foundation/Qx_File.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_WString.h"
#include <cstring>
#include <io.h>
#include <sys/stat.h>

Qx_File::Qx_File() : file_(nullptr) {}

Qx_File::~Qx_File() { Close(); }

int Qx_File::Open(const wchar_t* path, const char* mode) {
    Close();
    if (!path || !mode) return -1;
    Qx_WString wideMode;
    wideMode.Set(mode, -1, 20127 /* US-ASCII */);
    file_ = _wfopen(path, wideMode.c_str());
    return file_ ? 0 : -1;
}

int64_t Qx_File::GetSize() const {
    if (!file_) return -1;
    struct _stat64 info = {};
    if (_fstat64(_fileno(file_), &info) != 0) return -1;
    return info.st_size;
}

int Qx_File::Read(void* data, int count, int) {
    if (!file_ || count < 0 || (count > 0 && !data)) return -1;
    size_t got = fread(data, 1, static_cast<size_t>(count), file_);
    if (ferror(file_)) return -1;
    return static_cast<int>(got);
}

int Qx_File::Write(const void* data, int count, int) {
    if (!file_ || count < 0 || (count > 0 && !data)) return -1;
    size_t put = fwrite(data, 1, static_cast<size_t>(count), file_);
    return put == static_cast<size_t>(count) ? count : -1;
}

int Qx_File::Close() {
    if (!file_) return 0;
    int r = fclose(file_);
    file_ = nullptr;
    return r == 0 ? 0 : -1;
}

int Qx_File::ReadFile(const wchar_t* path, Qx_Buffer& buffer) {
    Qx_File file;
    if (file.Open(path, "rb") < 0) return -1;
    int64_t size = file.GetSize();
    if (size < 0 || size > 0x7FFFFFFE) return -1;
    Qx_Buffer data;
    int got = file.Read(data.GetSafeBuffer(static_cast<int>(size)), static_cast<int>(size));
    if (got < 0) return -1;
    data.SetLength(got);
    buffer = data;
    return got;
}

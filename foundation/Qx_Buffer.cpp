#include "foundation/Qx_Buffer.h"
#include <cstring>

Qx_Buffer::Qx_Buffer() = default;

Qx_Buffer::Qx_Buffer(const void* data, int count) { Append(data, count); }

char* Qx_Buffer::GetSafeBuffer(int n) {
    if (n >= 0) bytes_.resize(static_cast<size_t>(n));
    return &bytes_[0];
}

void Qx_Buffer::SetLength(int count) { bytes_.resize(count > 0 ? static_cast<size_t>(count) : 0); }

void Qx_Buffer::AppendStr(const char* text, int length) {
    if (!text) return;
    if (length < 0) length = static_cast<int>(strlen(text));
    bytes_.append(text, static_cast<size_t>(length));
}

void Qx_Buffer::Append(const void* data, int count) {
    if (data && count > 0) bytes_.append(static_cast<const char*>(data), static_cast<size_t>(count));
}

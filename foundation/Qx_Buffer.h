#pragma once
#include "platform/QxExport.h"
#include <string>

// A growable run of bytes. A zero byte always follows the data (not counted in the
// length), so the bytes can be read as a C string up to their first zero.
class QX_API Qx_Buffer {
public:
    Qx_Buffer();
    Qx_Buffer(const void* data, int count);

    int GetLength() const { return static_cast<int>(bytes_.size()); }
    bool IsEmpty() const { return bytes_.empty(); }
    // -1: the data as it stands. n >= 0: the buffer is resized to n bytes (new ones zero)
    // and a writable area of n bytes is given. Never null.
    char* GetSafeBuffer(int n = -1);
    const char* GetData() const { return bytes_.data(); }
    // Cuts or extends (with zeros) the data to count bytes.
    void SetLength(int count);
    // length -1: up to the first zero byte.
    void AppendStr(const char* text, int length = -1);
    void Append(const void* data, int count);
    void Empty() { bytes_.clear(); }

private:
    std::string bytes_;
};

#include "foundation/Qx_Variant.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

static_assert(sizeof(Qx_Variant) == 24, "a cell is 24 bytes on both targets");

namespace {
uint32_t TextCount(const wchar_t* text, int length) {
    if (!text) return 0;
    return static_cast<uint32_t>(length < 0 ? wcslen(text) : static_cast<size_t>(length));
}
}  // namespace

Qx_Variant::Qx_Variant(const wchar_t* text) : Qx_Variant() { SetString(text); }

Qx_Variant::Qx_Variant(const Qx_Variant& other) : Qx_Variant() { CopyFrom(other); }

Qx_Variant::Qx_Variant(Qx_Variant&& other) : Qx_Variant() { *this = std::move(other); }

Qx_Variant& Qx_Variant::operator=(const Qx_Variant& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

Qx_Variant& Qx_Variant::operator=(Qx_Variant&& other) {
    if (this == &other) return *this;
    // A placed payload belongs to its dataset: only a block of its own can be taken over.
    if (other.head_.size == kPlacedBlock) {
        CopyFrom(other);
        return *this;
    }
    Release();
    memcpy(static_cast<void*>(this), &other, sizeof *this);
    other.head_.type = QX_VT_NULL;
    other.head_.size = 0;
    return *this;
}

void Qx_Variant::Release() noexcept {
    if (head_.size == kOwnedBlock) delete[] block_.data;
    head_.type = QX_VT_NULL;
    head_.size = 0;
}

void Qx_Variant::CopyFrom(const Qx_Variant& other) {
    if (!other.IsBlock()) {
        Release();
        memcpy(static_cast<void*>(this), &other, sizeof *this);
        return;
    }
    // The source may be a placed cell of a dataset that goes: the copy has its own block.
    int type = other.head_.type;
    uint32_t count = other.block_.count;
    char* to = new char[PayloadBytes(type, count)];
    memcpy(to, other.block_.data, PayloadBytes(type, count));
    Release();
    head_.type = static_cast<uint8_t>(type);
    head_.size = kOwnedBlock;
    block_.count = count;
    block_.data = to;
}

char* Qx_Variant::PreparePayload(int type, uint32_t count) {
    if (type != QX_VT_STRING) type = QX_VT_BINARY;
    char* to = FitsInline(type, count) ? nullptr : new char[PayloadBytes(type, count)];
    Release();
    head_.type = static_cast<uint8_t>(type);
    if (!to) {
        head_.size = static_cast<uint8_t>(count);
        to = reinterpret_cast<char*>(inline_.text);
    } else {
        head_.size = kOwnedBlock;
        block_.count = count;
        block_.data = to;
    }
    if (type == QX_VT_STRING) reinterpret_cast<wchar_t*>(to)[count] = L'\0';
    return to;
}

char* Qx_Variant::Place(int type, uint32_t count, char* storage) {
    Release();
    head_.type = static_cast<uint8_t>(type);
    head_.size = kPlacedBlock;
    block_.count = count;
    block_.data = storage;
    if (type == QX_VT_STRING) reinterpret_cast<wchar_t*>(storage)[count] = L'\0';
    return storage;
}

void Qx_Variant::SetNull() { Release(); }

void Qx_Variant::SetString(const wchar_t* text, int length) {
    // Built aside: the text may be this value's own.
    uint32_t count = TextCount(text, length);
    Qx_Variant value;
    if (count) memcpy(value.PreparePayload(QX_VT_STRING, count), text, count * sizeof(wchar_t));
    else value.PreparePayload(QX_VT_STRING, 0);
    *this = std::move(value);
}

void Qx_Variant::SetInt(int32_t value) {
    SetInt64(value);
    head_.type = QX_VT_INT;
}

void Qx_Variant::SetInt64(int64_t value) {
    Release();
    head_.type = QX_VT_INT64;
    integer_.value = value;
}

void Qx_Variant::SetDouble(double value) {
    Release();
    head_.type = QX_VT_DOUBLE;
    real_.value = value;
}

void Qx_Variant::SetBinary(const void* data, int count) {
    uint32_t n = data && count > 0 ? static_cast<uint32_t>(count) : 0;
    Qx_Variant value;
    char* to = value.PreparePayload(QX_VT_BINARY, n);
    if (n) memcpy(to, data, n);
    *this = std::move(value);
}

const wchar_t* Qx_Variant::GetText() const {
    return head_.type == QX_VT_STRING ? reinterpret_cast<const wchar_t*>(Payload()) : L"";
}

const char* Qx_Variant::GetBytes() const { return head_.type == QX_VT_BINARY ? Payload() : ""; }

int64_t Qx_Variant::GetInteger() const {
    return head_.type == QX_VT_INT || head_.type == QX_VT_INT64 ? integer_.value : 0;
}

Qx_WString Qx_Variant::ToString() const {
    switch (head_.type) {
    case QX_VT_STRING: return Qx_WString(GetText(), Count());
    case QX_VT_INT:
    case QX_VT_INT64: return Qx_WString(std::to_wstring(integer_.value));
    case QX_VT_DOUBLE: {
        // The shortest of %.15g and %.17g that reads back as the same double.
        char text[64];
        snprintf(text, sizeof text, "%.15g", real_.value);
        if (strtod(text, nullptr) != real_.value) snprintf(text, sizeof text, "%.17g", real_.value);
        Qx_WString out;
        out.Set(text, -1, 20127 /* US-ASCII */);
        return out;
    }
    case QX_VT_BINARY: {
        Qx_WString out;
        out.Set(Payload(), Count(), 0);
        return out;
    }
    default: return Qx_WString();
    }
}

int64_t Qx_Variant::ToInt64() const {
    switch (head_.type) {
    case QX_VT_INT:
    case QX_VT_INT64: return integer_.value;
    case QX_VT_DOUBLE: return static_cast<int64_t>(real_.value);
    case QX_VT_STRING: return static_cast<int64_t>(wcstoll(GetText(), nullptr, 10));
    default: return 0;
    }
}

double Qx_Variant::ToDouble() const {
    switch (head_.type) {
    case QX_VT_INT:
    case QX_VT_INT64: return static_cast<double>(integer_.value);
    case QX_VT_DOUBLE: return real_.value;
    case QX_VT_STRING: return wcstod(GetText(), nullptr);
    default: return 0;
    }
}

bool Qx_Variant::operator==(const Qx_Variant& other) const {
    if (head_.type != other.head_.type) return false;
    switch (head_.type) {
    case QX_VT_INT:
    case QX_VT_INT64: return integer_.value == other.integer_.value;
    case QX_VT_DOUBLE: {
        double a = real_.value, b = other.real_.value;
        return a == b || (a != a && b != b);
    }
    case QX_VT_STRING:
    case QX_VT_BINARY:
        return Count() == other.Count() && memcmp(Payload(), other.Payload(), PayloadBytes(head_.type, Count())) == 0;
    default: return true;
    }
}

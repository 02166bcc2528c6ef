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

// NOLINTNEXTLINE(performance-noexcept-move-constructor): a placed payload is copied
Qx_Variant::Qx_Variant(Qx_Variant&& other) : Qx_Variant() { *this = std::move(other); }

Qx_Variant& Qx_Variant::operator=(const Qx_Variant& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

// NOLINTNEXTLINE(performance-noexcept-move-constructor): a placed payload is copied
Qx_Variant& Qx_Variant::operator=(Qx_Variant&& other) {
    if (this == &other) return *this;
    // A placed payload belongs to its dataset: only a block of its own can be taken over.
    if (other.bits_.head.size == kPlacedBlock) {
        CopyFrom(other);
        return *this;
    }
    Release();
    bits_ = other.bits_;
    other.bits_.head.type = QX_VT_NULL;
    other.bits_.head.size = 0;
    return *this;
}

void Qx_Variant::Release() noexcept {
    if (bits_.head.size == kOwnedBlock) delete[] bits_.block.data;
    bits_.head.type = QX_VT_NULL;
    bits_.head.size = 0;
}

void Qx_Variant::CopyFrom(const Qx_Variant& other) {
    if (!other.IsBlock()) {
        Release();
        bits_ = other.bits_;
        return;
    }
    // The source may be a placed cell of a dataset that goes: the copy has its own block.
    int type = other.bits_.head.type;
    uint32_t count = other.bits_.block.count;
    char* to = new char[PayloadBytes(type, count)];
    memcpy(to, other.bits_.block.data, PayloadBytes(type, count));
    Release();
    bits_.head.type = static_cast<uint8_t>(type);
    bits_.head.size = kOwnedBlock;
    bits_.block.count = count;
    bits_.block.data = to;
}

char* Qx_Variant::PreparePayload(int type, uint32_t count) {
    if (type != QX_VT_STRING) type = QX_VT_BINARY;
    char* to = FitsInline(type, count) ? nullptr : new char[PayloadBytes(type, count)];
    Release();
    bits_.head.type = static_cast<uint8_t>(type);
    if (!to) {
        bits_.head.size = static_cast<uint8_t>(count);
        to = reinterpret_cast<char*>(bits_.inlined.text);
    } else {
        bits_.head.size = kOwnedBlock;
        bits_.block.count = count;
        bits_.block.data = to;
    }
    if (type == QX_VT_STRING) reinterpret_cast<wchar_t*>(to)[count] = L'\0';
    return to;
}

char* Qx_Variant::Place(int type, uint32_t count, char* storage) {
    Release();
    bits_.head.type = static_cast<uint8_t>(type);
    bits_.head.size = kPlacedBlock;
    bits_.block.count = count;
    bits_.block.data = storage;
    if (type == QX_VT_STRING) reinterpret_cast<wchar_t*>(storage)[count] = L'\0';
    return storage;
}

void Qx_Variant::SetNull() { Release(); }

void Qx_Variant::SetString(const wchar_t* text, int length) {
    // Built aside: the text may be this value's own.
    uint32_t count = TextCount(text, length);
    Qx_Variant value;
    if (count)
        memcpy(value.PreparePayload(QX_VT_STRING, count), text, count * sizeof(wchar_t));
    else
        value.PreparePayload(QX_VT_STRING, 0);
    *this = std::move(value);
}

void Qx_Variant::SetInt(int32_t value) {
    SetInt64(value);
    bits_.head.type = QX_VT_INT;
}

void Qx_Variant::SetInt64(int64_t value) {
    Release();
    bits_.head.type = QX_VT_INT64;
    bits_.integer.value = value;
}

void Qx_Variant::SetDouble(double value) {
    Release();
    bits_.head.type = QX_VT_DOUBLE;
    bits_.real.value = value;
}

void Qx_Variant::SetBinary(const void* data, int count) {
    uint32_t n = data && count > 0 ? static_cast<uint32_t>(count) : 0;
    Qx_Variant value;
    char* to = value.PreparePayload(QX_VT_BINARY, n);
    if (n) memcpy(to, data, n);
    *this = std::move(value);
}

const wchar_t* Qx_Variant::GetText() const {
    return bits_.head.type == QX_VT_STRING ? reinterpret_cast<const wchar_t*>(Payload()) : L"";
}

const char* Qx_Variant::GetBytes() const { return bits_.head.type == QX_VT_BINARY ? Payload() : ""; }

int64_t Qx_Variant::GetInteger() const {
    return bits_.head.type == QX_VT_INT || bits_.head.type == QX_VT_INT64 ? bits_.integer.value : 0;
}

Qx_WString Qx_Variant::ToString() const {
    switch (bits_.head.type) {
    case QX_VT_STRING: return Qx_WString(GetText(), Count());
    case QX_VT_INT:
    case QX_VT_INT64: return Qx_WString(std::to_wstring(bits_.integer.value));
    case QX_VT_DOUBLE: {
        // The shortest of %.15g and %.17g that reads back as the same double.
        char text[64];
        snprintf(text, sizeof text, "%.15g", bits_.real.value);
        if (strtod(text, nullptr) != bits_.real.value) snprintf(text, sizeof text, "%.17g", bits_.real.value);
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
    switch (bits_.head.type) {
    case QX_VT_INT:
    case QX_VT_INT64: return bits_.integer.value;
    case QX_VT_DOUBLE: return static_cast<int64_t>(bits_.real.value);
    case QX_VT_STRING: return static_cast<int64_t>(wcstoll(GetText(), nullptr, 10));
    default: return 0;
    }
}

double Qx_Variant::ToDouble() const {
    switch (bits_.head.type) {
    case QX_VT_INT:
    case QX_VT_INT64: return static_cast<double>(bits_.integer.value);
    case QX_VT_DOUBLE: return bits_.real.value;
    case QX_VT_STRING: return wcstod(GetText(), nullptr);
    default: return 0;
    }
}

bool Qx_Variant::operator==(const Qx_Variant& other) const {
    if (bits_.head.type != other.bits_.head.type) return false;
    switch (bits_.head.type) {
    case QX_VT_INT:
    case QX_VT_INT64: return bits_.integer.value == other.bits_.integer.value;
    case QX_VT_DOUBLE: {
        double a = bits_.real.value, b = other.bits_.real.value;
        return a == b || (a != a && b != b);
    }
    case QX_VT_STRING:
    case QX_VT_BINARY:
        return Count() == other.Count() &&
               memcmp(Payload(), other.Payload(), PayloadBytes(bits_.head.type, Count())) == 0;
    default: return true;
    }
}

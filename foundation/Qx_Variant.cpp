#include "foundation/Qx_Variant.h"
#include <cstdio>
#include <cwchar>

Qx_Variant::Qx_Variant() : type_(QX_VT_NULL), integer_(0), double_(0) {}

Qx_Variant::Qx_Variant(const wchar_t* text) : Qx_Variant() { SetString(text); }

void Qx_Variant::SetNull() {
    type_ = QX_VT_NULL;
    text_.Empty();
    bytes_.clear();
    integer_ = 0;
    double_ = 0;
}

void Qx_Variant::SetString(const wchar_t* text, int length) {
    SetNull();
    type_ = QX_VT_STRING;
    text_.Set(text, length);
}

void Qx_Variant::SetInt(int32_t value) {
    SetNull();
    type_ = QX_VT_INT;
    integer_ = value;
}

void Qx_Variant::SetInt64(int64_t value) {
    SetNull();
    type_ = QX_VT_INT64;
    integer_ = value;
}

void Qx_Variant::SetDouble(double value) {
    SetNull();
    type_ = QX_VT_DOUBLE;
    double_ = value;
}

void Qx_Variant::SetBinary(const void* data, int count) {
    SetNull();
    type_ = QX_VT_BINARY;
    if (data && count > 0) bytes_.assign(static_cast<const char*>(data), static_cast<size_t>(count));
}

Qx_WString Qx_Variant::ToString() const {
    switch (type_) {
    case QX_VT_STRING: return text_;
    case QX_VT_INT:
    case QX_VT_INT64: return Qx_WString(std::to_wstring(integer_));
    case QX_VT_DOUBLE: {
        // The shortest of %.15g and %.17g that reads back as the same double.
        char text[64];
        snprintf(text, sizeof text, "%.15g", double_);
        if (strtod(text, nullptr) != double_) snprintf(text, sizeof text, "%.17g", double_);
        Qx_WString out;
        out.Set(text, -1, 20127 /* US-ASCII */);
        return out;
    }
    case QX_VT_BINARY: {
        Qx_WString out;
        out.Set(bytes_.data(), static_cast<int>(bytes_.size()), 0);
        return out;
    }
    default: return Qx_WString();
    }
}

int64_t Qx_Variant::ToInt64() const {
    switch (type_) {
    case QX_VT_INT:
    case QX_VT_INT64: return integer_;
    case QX_VT_DOUBLE: return static_cast<int64_t>(double_);
    case QX_VT_STRING: return static_cast<int64_t>(wcstoll(text_.c_str(), nullptr, 10));
    default: return 0;
    }
}

double Qx_Variant::ToDouble() const {
    switch (type_) {
    case QX_VT_INT:
    case QX_VT_INT64: return static_cast<double>(integer_);
    case QX_VT_DOUBLE: return double_;
    case QX_VT_STRING: return wcstod(text_.c_str(), nullptr);
    default: return 0;
    }
}

bool Qx_Variant::operator==(const Qx_Variant& other) const {
    return type_ == other.type_ && text_ == other.text_ && bytes_ == other.bytes_ &&
           integer_ == other.integer_ && (double_ == other.double_ || (double_ != double_ && other.double_ != other.double_));
}

#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_WString.h"
#include <cstdint>
#include <string>

// Type codes of a Qx_Variant (also the column types of a Qx_Dataset).
enum Qx_VariantType {
    QX_VT_NULL = 0,
    QX_VT_STRING = 1,
    QX_VT_INT = 2,     // 32-bit signed
    QX_VT_INT64 = 3,   // 64-bit signed
    QX_VT_DOUBLE = 4,
    QX_VT_BINARY = 13, // bytes
};

// One value of one of the types above.
class QX_API Qx_Variant {
public:
    Qx_Variant();
    explicit Qx_Variant(const wchar_t* text);

    int GetType() const { return type_; }
    bool IsNull() const { return type_ == QX_VT_NULL; }

    void SetNull();
    void SetString(const wchar_t* text, int length = -1);
    void SetInt(int32_t value);
    void SetInt64(int64_t value);
    void SetDouble(double value);
    void SetBinary(const void* data, int count);

    // Text form: strings as they are, numbers in decimal (doubles shortest round-trip),
    // binary values decoded from the ANSI code page, null as the empty text.
    Qx_WString ToString() const;
    int64_t ToInt64() const;  // strings are parsed leniently; binary and null give 0
    double ToDouble() const;

    // Binary (and string) payload access.
    const char* GetBytes() const { return bytes_.data(); }
    int GetByteCount() const { return static_cast<int>(bytes_.size()); }
    const Qx_WString& GetString() const { return text_; }
    int64_t GetInteger() const { return integer_; }
    double GetDouble() const { return double_; }

    bool operator==(const Qx_Variant& other) const;

private:
    int type_;
    Qx_WString text_;
    std::string bytes_;
    int64_t integer_;
    double double_;
};

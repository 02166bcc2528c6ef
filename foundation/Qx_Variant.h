#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_WString.h"
#include <cstddef>
#include <cstdint>

// Type codes of a Qx_Variant (also the column types of a Qx_Dataset).
enum Qx_VariantType {
    QX_VT_NULL = 0,
    QX_VT_STRING = 1,
    QX_VT_INT = 2,    // 32-bit signed
    QX_VT_INT64 = 3,  // 64-bit signed
    QX_VT_DOUBLE = 4,
    QX_VT_BINARY = 13,  // bytes
};

class Qx_Dataset;

// One value of one of the types above, in 24 bytes on both targets. Numbers, texts of up
// to kInlineChars characters and byte strings of up to kInlineBytes bytes are held in the
// value itself; longer ones in a heap block of their own, or, for the cells of a dataset
// that placed them, in that dataset's text store (see Qx_Dataset).
class QX_API Qx_Variant {
public:
    static const int kInlineChars = 10;
    static const int kInlineBytes = 22;

    Qx_Variant() noexcept : bits_{{QX_VT_NULL, 0}} {}
    explicit Qx_Variant(const wchar_t* text);
    Qx_Variant(const Qx_Variant& other);
    // Takes over a block of the other's own; a payload placed in a dataset is copied.
    // Not noexcept: the copy of a placed payload may run out of memory.
    Qx_Variant(Qx_Variant&& other);  // NOLINT(performance-noexcept-move-constructor)
    Qx_Variant& operator=(const Qx_Variant& other);
    Qx_Variant& operator=(Qx_Variant&& other);  // NOLINT(performance-noexcept-move-constructor)
    ~Qx_Variant() { Release(); }

    int GetType() const { return bits_.head.type; }
    bool IsNull() const { return bits_.head.type == QX_VT_NULL; }

    void SetNull();
    // length -1: up to the terminator.
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

    // A string's characters, terminated (they may hold zeros of their own: see the
    // length); the empty text for other types. Valid until the value changes.
    const wchar_t* GetText() const;
    int GetTextLength() const { return bits_.head.type == QX_VT_STRING ? Count() : 0; }
    // A binary value's bytes (never null); no bytes for other types.
    const char* GetBytes() const;
    int GetByteCount() const { return bits_.head.type == QX_VT_BINARY ? Count() : 0; }
    int64_t GetInteger() const;  // ints and int64s; 0 otherwise
    double GetDouble() const { return bits_.head.type == QX_VT_DOUBLE ? bits_.real.value : 0; }

    bool operator==(const Qx_Variant& other) const;

    // Makes this a text (QX_VT_STRING) or else binary value of count units and answers
    // where its payload goes, for the caller to fill with PayloadBytes (a text's
    // terminator is set): inline when it fits, else a new block of the value's own.
    char* PreparePayload(int type, uint32_t count);

    // Bytes that a text (with its terminator) or binary value of count units takes
    // outside the value when it does not fit inline.
    static size_t PayloadBytes(int type, uint32_t count) {
        return type == QX_VT_STRING ? (static_cast<size_t>(count) + 1) * sizeof(wchar_t) : count;
    }
    static bool FitsInline(int type, uint32_t count) {
        return count <= static_cast<uint32_t>(type == QX_VT_STRING ? kInlineChars : kInlineBytes);
    }

private:
    friend class Qx_Dataset;

    // size: the count of an inline payload, or one of these for a payload held elsewhere.
    enum : uint8_t { kOwnedBlock = 0xfe, kPlacedBlock = 0xff };
    struct Head {
        uint8_t type;
        uint8_t size;
    };
    struct Inline {
        uint8_t type;
        uint8_t size;
        wchar_t text[kInlineChars + 1];  // also the bytes of a short binary value
    };
    struct Integer {
        uint8_t type;
        uint8_t size;
        int64_t value;
    };
    struct Real {
        uint8_t type;
        uint8_t size;
        double value;
    };
    struct Block {
        uint8_t type;
        uint8_t size;
        uint32_t count;    // characters of a text, bytes of a binary value
        const char* data;  // a text is terminated
    };

    bool IsBlock() const { return bits_.head.size >= kOwnedBlock; }
    int Count() const { return IsBlock() ? static_cast<int>(bits_.block.count) : bits_.head.size; }
    const char* Payload() const {
        return IsBlock() ? bits_.block.data : reinterpret_cast<const char*>(bits_.inlined.text);
    }
    void Release() noexcept;
    void CopyFrom(const Qx_Variant& other);

    // Points the value at storage of PayloadBytes that its dataset owns.
    char* Place(int type, uint32_t count, char* storage);

    // All members share the head (type and size), which is read through any of them. The
    // union is trivially copyable: assigning it copies a value's bits whatever it holds.
    union Bits {
        Head head;
        Inline inlined;
        Integer integer;
        Real real;
        Block block;
    } bits_;
};

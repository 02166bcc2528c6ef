#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestTexts.h"
#include <cstring>
#include <string>
#include <vector>

TEST(QxVariant, TypesAndTextForms) {
    Qx_Variant v;
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(v.ToString(), L"");
    v.SetInt(-5);
    EXPECT_EQ(v.GetType(), QX_VT_INT);
    EXPECT_EQ(v.ToString(), L"-5");
    v.SetInt64(1234567890123LL);
    EXPECT_EQ(v.ToString(), L"1234567890123");
    v.SetDouble(0.1);
    EXPECT_EQ(v.ToString(), L"0.1");
    EXPECT_DOUBLE_EQ(v.ToDouble(), 0.1);
    v.SetBinary("ab\0c", 4);
    EXPECT_EQ(v.GetType(), QX_VT_BINARY);
    EXPECT_EQ(v.GetByteCount(), 4);
    EXPECT_EQ(v.ToInt64(), 0);
    v.SetString(L"42");
    EXPECT_EQ(v.ToInt64(), 42);
    EXPECT_EQ(v.GetByteCount(), 0);  // a new type drops the old payload
}

TEST(QxVariant, TextsAndBytesOnEitherSideOfTheInlineLimit) {
    for (size_t length :
         {size_t(0), size_t(1), size_t(Qx_Variant::kInlineChars), size_t(Qx_Variant::kInlineChars + 1), size_t(5000)}) {
        std::wstring text = QxTestText(length);
        if (length > 2) text[1] = L'\0';  // a zero of the text's own is kept
        Qx_Variant v;
        v.SetString(text.data(), static_cast<int>(text.size()));
        ASSERT_EQ(v.GetTextLength(), static_cast<int>(length));
        EXPECT_EQ(std::wstring(v.GetText(), length), text);
        EXPECT_EQ(v.GetText()[length], L'\0');
        EXPECT_EQ(v.ToString().str(), text);
        Qx_Variant copy(v), moved(std::move(v));
        EXPECT_EQ(copy, moved);
        EXPECT_EQ(std::wstring(moved.GetText(), length), text);
    }
    for (int count : {1, Qx_Variant::kInlineBytes, Qx_Variant::kInlineBytes + 1, 70000}) {
        std::string bytes(static_cast<size_t>(count), '\0');
        for (int i = 0; i < count; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(i * 7);
        Qx_Variant v;
        v.SetBinary(bytes.data(), count);
        EXPECT_EQ(std::string(v.GetBytes(), static_cast<size_t>(v.GetByteCount())), bytes);
        EXPECT_EQ(v.GetTextLength(), 0);
        EXPECT_STREQ(v.GetText(), L"");
        Qx_Variant other;
        other = v;
        EXPECT_EQ(other, v);
        other.SetInt(3);  // the old payload goes
        EXPECT_EQ(other.GetByteCount(), 0);
        EXPECT_EQ(other.GetInteger(), 3);
    }
}

TEST(QxVariant, SetFromItsOwnPayload) {
    for (size_t length : {size_t(4), size_t(40)}) {
        Qx_Variant v;
        std::wstring text = QxTestText(length);
        v.SetString(text.c_str());
        v.SetString(v.GetText() + 1);
        EXPECT_EQ(v.ToString().str(), text.substr(1));
        v.SetBinary(v.GetText(), 4);
        EXPECT_EQ(v.GetByteCount(), 4);
        v.SetBinary(v.GetBytes() + 1, 3);
        EXPECT_EQ(v.GetByteCount(), 3);
        v = v;
        EXPECT_EQ(v.GetByteCount(), 3);
    }
}

// A text holds its whole value, U+0000 included, inline and on the heap, and keeps it when copied.
TEST(QxVariant, TextsKeepTheirZeros) {
    for (const std::wstring& text : {std::wstring(L"ab\0cd", 5), std::wstring(L"abcdefghij\0klmnopqrstuvwxyz", 27)}) {
        Qx_Variant v;
        v.SetString(text.data(), static_cast<int>(text.size()));
        Qx_Variant copy(v);
        for (const Qx_Variant* value : {&v, &copy}) {
            ASSERT_EQ(value->GetTextLength(), static_cast<int>(text.size()));
            EXPECT_EQ(std::wstring(value->GetText(), text.size()), text);
            EXPECT_EQ(value->ToString().GetLength(), static_cast<int>(text.size()));
        }
    }
}

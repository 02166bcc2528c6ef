#include <gtest/gtest.h>
#include "QxQVInfo320U.h"

namespace {

CToolItem Filled() {
    CToolItem item;
    item.name = L"Notepad";
    item.command = L"C:\\Windows\\notepad.exe";
    item.arguments = L"/A readme.txt";
    item.initialDir = L"C:\\Work";
    return item;
}

void ExpectSame(const CToolItem& a, const CToolItem& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.command, b.command);
    EXPECT_EQ(a.arguments, b.arguments);
    EXPECT_EQ(a.initialDir, b.initialDir);
}

TEST(CToolItem, DefaultEntryIsEmpty) {
    CToolItem item;
    EXPECT_TRUE(item.name.IsEmpty());
    EXPECT_TRUE(item.command.IsEmpty());
    EXPECT_TRUE(item.arguments.IsEmpty());
    EXPECT_TRUE(item.initialDir.IsEmpty());
}

TEST(CToolItem, CopyIsIndependentOfItsSource) {
    const CToolItem source = Filled();
    CToolItem copy(source);
    ExpectSame(source, copy);
    copy.command = L"other.exe";
    copy.initialDir.Empty();
    EXPECT_EQ(source.command, L"C:\\Windows\\notepad.exe");
    EXPECT_EQ(source.initialDir, L"C:\\Work");
}

TEST(CToolItem, AssignmentReplacesEveryTextAndChains) {
    const CToolItem source = Filled();
    CToolItem a, b;
    b.arguments = L"stale";
    a = b = source;
    ExpectSame(source, a);
    ExpectSame(source, b);
    a.name = L"changed";
    EXPECT_EQ(source.name, L"Notepad");
    a = a;  // self-assignment keeps the texts
    EXPECT_EQ(a.name, L"changed");
    a = CToolItem();
    EXPECT_TRUE(a.command.IsEmpty());
}

}  // namespace

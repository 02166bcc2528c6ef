#include <gtest/gtest.h>
#include "QxQVInfo320U.h"

TEST(QxPtrList, AddInsertAndBadIndexes) {
    int a = 1, b = 2, c = 3, d = 4;
    Qx_PtrList list;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&c), 1);
    EXPECT_EQ(list.Insert(1, &b), 1);
    EXPECT_EQ(list.Insert(-1, &d), 3);  // a bad index appends, never corrupts
    EXPECT_EQ(list.Insert(99, &d), 4);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Items(0), &a);
    EXPECT_EQ(list.Items(1), &b);
    EXPECT_EQ(list.Items(2), &c);
    EXPECT_EQ(list.Items(5), nullptr);
    EXPECT_EQ(list.Items(-1), nullptr);
    Qx_PtrList copy(list);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(copy.Count(), 5);  // copies have their own storage
}

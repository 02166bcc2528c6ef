#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include <utility>

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

// A move takes the pointers over in order and leaves the source empty; both lists count it
// as a change. Assigning a list to itself changes nothing.
TEST(QxPtrList, MovesTakeThePointersOver) {
    int a = 1, b = 2, c = 3;
    Qx_PtrList source;
    source.Add(&a);
    source.Add(&b);
    const unsigned long long sourceRevision = source.Revision();
    Qx_PtrList taken(std::move(source));
    ASSERT_EQ(taken.Count(), 2);
    EXPECT_EQ(taken.Items(0), &a);
    EXPECT_EQ(taken.Items(1), &b);
    EXPECT_EQ(source.Count(), 0);
    EXPECT_NE(source.Revision(), sourceRevision);

    Qx_PtrList target;
    target.Add(&c);
    const unsigned long long targetRevision = target.Revision();
    target = std::move(taken);
    ASSERT_EQ(target.Count(), 2);
    EXPECT_EQ(target.Items(1), &b);
    EXPECT_EQ(taken.Count(), 0);
    EXPECT_NE(target.Revision(), targetRevision);

    const unsigned long long before = target.Revision();
    Qx_PtrList& self = target;
    target = self;
    target = std::move(self);
    EXPECT_EQ(target.Count(), 2);
    EXPECT_EQ(target.Revision(), before);
}

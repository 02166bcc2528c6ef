#include <gtest/gtest.h>

#include "QxQVInfo320U.h"

namespace {

TEST(AfxException, ResourceExceptionIsStaticAndSafeToDelete) {
    CResourceException* caught = nullptr;
    try {
        AfxThrowResourceException();
    } catch (CResourceException* e) {
        caught = e;
        e->Delete();
    }
    ASSERT_NE(caught, nullptr);
    CResourceException* again = nullptr;
    try {
        AfxThrowResourceException();
    } catch (CResourceException* e) {
        again = e;
    }
    EXPECT_EQ(again, caught) << "one static exception, never freed";
}

}  // namespace

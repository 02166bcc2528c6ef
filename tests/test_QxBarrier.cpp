#include <gtest/gtest.h>

#include "platform/QxBarrier.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(QxBarrier, AnExceptionBecomesTheFailureResultAndIsReported) {
    std::string told;
    auto tell = [&](const char* what) { told = what; };
    EXPECT_EQ(QxBarrier(-1, [] { return 7; }, tell), 7);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(QxBarrier(-1, []() -> int { throw std::bad_alloc(); }, tell), -1);
    EXPECT_EQ(told, "out of memory");
    EXPECT_EQ(QxBarrier(-2, []() -> int { throw std::length_error("too long"); }, tell), -2);
    EXPECT_EQ(told, "too long");
    EXPECT_EQ(QxBarrier(-3, []() -> int { throw 42; }, tell), -3);
    EXPECT_EQ(told, "an unexpected failure");
}

TEST(QxBarrier, AReportThatFailsTooStillGivesTheResult) {
    auto failingTell = [](const char*) { throw std::bad_alloc(); };
    EXPECT_EQ(QxBarrier(-1, []() -> int { throw std::bad_alloc(); }, failingTell), -1);
    bool ran = false;
    QxBarrierVoid([&] {
        ran = true;
        std::vector<char> huge;
        huge.reserve(static_cast<size_t>(-1) / 2);  // more than any address space holds
    });
    EXPECT_TRUE(ran);
}

}  // namespace

#pragma once
// Assertions on statuses: a failure shows the status (code, number and reason) that made it.
#include <gtest/gtest.h>
#include "platform/QxStatus.h"

// ASSERT_TRUE(IsOk(status)).
inline ::testing::AssertionResult IsOk(const QxStatus& status) {
    if (status.ok()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(status);
}

// EXPECT_TRUE(Fails(status, code)): not ok, with that code and a reason.
inline ::testing::AssertionResult Fails(const QxStatus& status, QxCode code) {
    if (status.code() == code && !status.reason().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << QxCodeName(code) << " with a reason, got "
                                         << ::testing::PrintToString(status);
}

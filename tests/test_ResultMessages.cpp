#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"

namespace {

TEST(ResultMessages, EmptyRenderingShowsNothingAndSystemTextsAreGiven) {
    Qx_Result ok;
    qx_DisplayResultMsg(ok);  // renders empty: no box, so no recorder is needed
    SetLastError(ERROR_FILE_NOT_FOUND);
    Qx_WString text;
    qx_GetSystemErrorStr(text);
    EXPECT_FALSE(text.IsEmpty());
    SetLastError(0x2000FFFF);  // a code the system has no text for
    text = L"stale";
    qx_GetSystemErrorStr(text);
    EXPECT_EQ(text, L"");
}

}  // namespace

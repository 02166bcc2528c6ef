#include <gtest/gtest.h>

#include "platform/QxHandle.h"
#include "platform/QxSystemError.h"

#include <utility>
#include <vector>

namespace {

// A handle kind whose closes are recorded; 0 holds nothing.
std::vector<int> g_closed;
struct CountingTraits {
    using Type = int;
    static Type Invalid() noexcept { return 0; }
    static void Close(Type handle) noexcept { g_closed.push_back(handle); }
};
using Counted = QxHandle<CountingTraits>;

class QxHandleTest : public ::testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
};

TEST_F(QxHandleTest, ClosesOnceWhateverPathTheHandleTakes) {
    { Counted a(7); }
    EXPECT_EQ(g_closed, std::vector<int>({7}));

    Counted moved(8);
    Counted target(std::move(moved));
    EXPECT_FALSE(moved);
    EXPECT_EQ(target.Get(), 8);
    Counted assigned(9);
    assigned = std::move(target);  // closes 9, takes 8
    EXPECT_EQ(g_closed, std::vector<int>({7, 9}));
    EXPECT_EQ(assigned.Release(), 8);
    EXPECT_FALSE(assigned);
    EXPECT_EQ(g_closed, std::vector<int>({7, 9})) << "a released handle is the caller's";
}

TEST_F(QxHandleTest, ResetAndPutCloseWhatWasHeldButNeverTheSameHandleTwice) {
    Counted h(3);
    h.Reset(3);
    EXPECT_TRUE(g_closed.empty()) << "resetting to the handle held keeps it";
    h.Reset(4);
    EXPECT_EQ(g_closed, std::vector<int>({3}));
    *h.Put() = 5;  // an out-parameter filled by a system call
    EXPECT_EQ(g_closed, std::vector<int>({3, 4}));
    EXPECT_EQ(h.Get(), 5);
    h.Reset();
    EXPECT_EQ(g_closed, std::vector<int>({3, 4, 5}));
    h.Reset();
    EXPECT_EQ(g_closed.size(), 3u) << "an empty owner closes nothing";
}

TEST(QxHandleKinds, RealHandlesAreFreed) {
    QxFind none(FindFirstFileW(L"C:\\no such folder\\*", nullptr));
    EXPECT_FALSE(none) << "INVALID_HANDLE_VALUE is the search handle's empty value";

    QxModule module(LoadLibraryW(L"shlwapi.dll"));
    ASSERT_TRUE(module);
    EXPECT_NE(GetProcAddress(module.Get(), "PathFindFileNameW"), nullptr);

    QxTaskMem<wchar_t> text(static_cast<wchar_t*>(CoTaskMemAlloc(16)));
    EXPECT_TRUE(text);
}

TEST(QxSystemErrorText, GivesTheSystemsWordingAndAOneLineForm) {
    const std::wstring text = QxSystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), L'\n') << "as the system words it";
    const std::wstring line = QxSystemErrorLine(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(line.find(L'\n'), std::wstring::npos);
    EXPECT_EQ(text.compare(0, line.size(), line), 0);
    EXPECT_EQ(QxSystemErrorLine(0x2FFFFFFF), L"error 805306367") << "a code without text";
}

}  // namespace

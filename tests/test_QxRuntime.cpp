#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

// Every module shares one C++ runtime, so an exception thrown in one module reaches the
// handler of another on both targets (on i686, DWARF-2 unwinding cannot cross modules
// that each carry their own). The library's own exception reaching its host is
// test_AfxException's.
namespace {

extern "C" {
__declspec(dllimport) void qxb_ThrowRuntimeError(const char* what);
__declspec(dllimport) void qxb_ThrowInt(int value);
__declspec(dllimport) int qxb_CatchFromCallback(void (*callback)(), const char* expected);
}

void ThrowHere() { throw std::length_error("thrown by the test program"); }

TEST(ModuleBoundaries, ExceptionsFromAnotherModuleReachTheCaller) {
    std::string caught;
    try {
        qxb_ThrowRuntimeError("thrown by the module");
    } catch (const std::runtime_error& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "thrown by the module");

    int value = 0;
    try {
        qxb_ThrowInt(42);
    } catch (int v) {
        value = v;
    }
    EXPECT_EQ(value, 42);
}

TEST(ModuleBoundaries, ExceptionsFromTheCallerReachTheModule) {
    EXPECT_EQ(qxb_CatchFromCallback(&ThrowHere, "thrown by the test program"), 1);
}

}  // namespace

#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include "platform/QxHandle.h"
#include "resources/QxQVInfo320U_ids.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

HMODULE Library() { return GetModuleHandleW(L"QxQVInfo320U.dll"); }

TEST(ResourceChain, FindsTheLibrarysResourcesForItsHost) {
    ASSERT_NE(Library(), nullptr);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(IDD_QX_TOOLS), RT_DIALOG), Library());
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(IDB_QX_SPLASH), RT_BITMAP), Library());
}

TEST(ResourceChain, MissingResourceFallsBackToTheResourceHandle) {
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(65123), RT_BITMAP), AfxGetResourceHandle());
}

TEST(ResourceChain, AModuleLeavesTheChainWhenTerminated) {
    // The test program itself as a second extension module: it holds no library resource,
    // and after termination it is no longer searched.
    AFX_EXTENSION_MODULE state;
    EXPECT_FALSE(AfxInitExtensionModule(state, nullptr));
    ASSERT_TRUE(AfxInitExtensionModule(state, GetModuleHandleW(nullptr)));
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(IDD_QX_TOOLS), RT_DIALOG), Library());
    AfxTermExtensionModule(state);
    EXPECT_FALSE(state.bInitialized);
    AfxTermExtensionModule(state);  // a second time does nothing
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(IDD_QX_TOOLS), RT_DIALOG), Library());
}

}  // namespace

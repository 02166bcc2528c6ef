#pragma once
#include "platform/QxHandle.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Points a predefined root key of this process (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER) at a
// scratch key of the test's own making (RegOverridePredefKey), so that what the library
// reads under the root is what the test wrote there. The destructor puts everything back,
// also after a failed assertion: keys made read-only get their permissions again, the root
// names the registry's own key again, and the scratch key is deleted.
class QxRegistryRootOverride {
public:
    explicit QxRegistryRootOverride(HKEY root);
    ~QxRegistryRootOverride();
    QxRegistryRootOverride(const QxRegistryRootOverride&) = delete;
    QxRegistryRootOverride& operator=(const QxRegistryRootOverride&) = delete;

    // False when the scratch key could not be made or the root not be redirected.
    bool Active() const { return overridden_; }
    // Write a value under path (created as needed) below the scratch root; a failure fails
    // the test.
    void SetText(const std::wstring& path, const wchar_t* value, const std::wstring& text);
    void SetNumber(const std::wstring& path, const wchar_t* value, DWORD number);
    // From now on everyone may only read path (KEY_READ). Fails when that cannot be set, or
    // when the key still opens with full access under the redirected root.
    ::testing::AssertionResult MakeReadOnly(const std::wstring& path);

private:
    struct Restriction {
        QxRegKey key;                   // opened to read and write its permissions
        std::vector<BYTE> permissions;  // the key's own, as it had them
    };
    void Put(const std::wstring& path, const wchar_t* value, DWORD type, const void* data, DWORD bytes);

    HKEY root_;
    std::wstring scratchPath_;  // under HKEY_CURRENT_USER
    QxRegKey scratch_;
    bool overridden_ = false;
    std::vector<Restriction> restrictions_;
};

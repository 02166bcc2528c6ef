#include "support/RegistryRootOverride.h"
#include <shlwapi.h>

namespace {
const wchar_t kTestsKey[] = L"Software\\QxQVInfo320U-tests";

// A self-relative security descriptor whose list lets everyone read, and nothing more.
std::vector<BYTE> ReadOnlyPermissions() {
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof everyone;
    std::vector<BYTE> result;
    if (!CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize)) return result;
    BYTE aclBuffer[128];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE))
        return result;
    DWORD size = 0;
    MakeSelfRelativeSD(&descriptor, nullptr, &size);
    result.resize(size);
    if (!MakeSelfRelativeSD(&descriptor, result.data(), &size)) result.clear();
    return result;
}

// The permissions list of key; empty when it cannot be read.
std::vector<BYTE> PermissionsOf(HKEY key) {
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<BYTE> result(size);
    if (size == 0 || RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, result.data(), &size) != ERROR_SUCCESS)
        result.clear();
    return result;
}
}  // namespace

QxRegistryRootOverride::QxRegistryRootOverride(HKEY root) : root_(root) {
    static int count = 0;
    scratchPath_ =
        std::wstring(kTestsKey) + L"\\root-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count);
    SHDeleteKeyW(HKEY_CURRENT_USER, scratchPath_.c_str());
    if (RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, scratch_.Put(),
                        nullptr) != ERROR_SUCCESS)
        return;
    overridden_ = RegOverridePredefKey(root_, scratch_.Get()) == ERROR_SUCCESS;
}

QxRegistryRootOverride::~QxRegistryRootOverride() {
    // The owner may always give a key its permissions back, and must before deleting it.
    for (Restriction& r : restrictions_)
        RegSetKeySecurity(r.key.Get(), DACL_SECURITY_INFORMATION, r.permissions.data());
    restrictions_.clear();
    if (overridden_) RegOverridePredefKey(root_, nullptr);
    scratch_.Reset();
    SHDeleteKeyW(HKEY_CURRENT_USER, scratchPath_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestsKey);  // only once no other test keeps a key below it
}

void QxRegistryRootOverride::Put(const std::wstring& path, const wchar_t* value, DWORD type, const void* data,
                                 DWORD bytes) {
    const LONG status = RegSetKeyValueW(scratch_.Get(), path.c_str(), value, type, data, bytes);
    EXPECT_EQ(ERROR_SUCCESS, status) << "writing " << path << " " << value;
}

void QxRegistryRootOverride::SetText(const std::wstring& path, const wchar_t* value, const std::wstring& text) {
    Put(path, value, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void QxRegistryRootOverride::SetNumber(const std::wstring& path, const wchar_t* value, DWORD number) {
    Put(path, value, REG_DWORD, &number, sizeof number);
}

::testing::AssertionResult QxRegistryRootOverride::MakeReadOnly(const std::wstring& path) {
    Restriction r;
    const REGSAM access = READ_CONTROL | WRITE_DAC;  // enough to change its permissions
    if (RegOpenKeyExW(scratch_.Get(), path.c_str(), 0, access, r.key.Put()) != ERROR_SUCCESS)
        return ::testing::AssertionFailure() << path << " does not open";
    r.permissions = PermissionsOf(r.key.Get());
    std::vector<BYTE> readOnly = ReadOnlyPermissions();
    if (r.permissions.empty() || readOnly.empty() ||
        RegSetKeySecurity(r.key.Get(), DACL_SECURITY_INFORMATION, readOnly.data()) != ERROR_SUCCESS)
        return ::testing::AssertionFailure() << "the permissions of " << path << " do not change";
    restrictions_.push_back(std::move(r));
    // A registry that let the key open with full access all the same would let a test of
    // reading it pass for the wrong reason.
    QxRegKey key;
    const LONG status = RegOpenKeyExW(root_, path.c_str(), 0, KEY_ALL_ACCESS, key.Put());
    if (status != ERROR_ACCESS_DENIED)
        return ::testing::AssertionFailure() << path << " opens with full access: " << status;
    return ::testing::AssertionSuccess();
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxHandle.h"
#include "support/RegistryRootOverride.h"
#include "support/ScratchFolder.h"
#include <shlwapi.h>
#include <set>
#include <string>
#include <utility>

namespace {

// Each test works in a private key under HKEY_CURRENT_USER that it creates and deletes.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = L"Software\\QxQVInfo320U-tests\\CRegistry-" + std::to_wstring(GetCurrentProcessId()) + L"-";
        for (const char* c = info->name(); *c; ++c) path_ += static_cast<wchar_t>(*c);
        SHDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
        ASSERT_EQ(1, reg_.CreateKey(CRegistry::CurrentUser, path_.c_str()));
    }
    void TearDown() override {
        reg_.CloseKey();
        SHDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
        // The shared parent goes once no other test holds a key below it.
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QxQVInfo320U-tests");
    }

    bool Exists(const std::wstring& sub = std::wstring()) const {
        QxRegKey key;
        std::wstring full = sub.empty() ? path_ : path_ + L"\\" + sub;
        return RegOpenKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
    }
    // Stores raw bytes under a value, bypassing the wrapper.
    void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name, type, data, bytes));
    }
    DWORD RawSize(const wchar_t* name, DWORD* type = nullptr) const {
        DWORD size = 0;
        RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, nullptr, &size);
        return size;
    }

    std::wstring path_;
    CRegistry reg_;
};

TEST_F(RegistryTest, KeysCarryThePredefinedRootValues) {
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(HKEY_CURRENT_USER),
              static_cast<ULONG_PTR>(static_cast<LONG>(CRegistry::CurrentUser)));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(HKEY_LOCAL_MACHINE),
              static_cast<ULONG_PTR>(static_cast<LONG>(CRegistry::LocalMachine)));
    EXPECT_EQ(0x80000001UL, static_cast<unsigned long>(CRegistry::CurrentUser));
    EXPECT_EQ(0x80000002UL, static_cast<unsigned long>(CRegistry::LocalMachine));
}

TEST_F(RegistryTest, MissingValuesAnswerZeroAndLeaveEmptyOutputs) {
    CString text(L"stale");
    EXPECT_EQ(0, reg_.GetValue(L"absent", text));
    EXPECT_TRUE(text.IsEmpty());
    unsigned long number = 77;
    EXPECT_EQ(0, reg_.GetValue(L"absent", number));
    EXPECT_EQ(0UL, number);
}

// Lengths around the first guess of 128 characters and far beyond it.
class RegistryTextLength : public RegistryTest, public ::testing::WithParamInterface<int> {};

TEST_P(RegistryTextLength, RoundTripsThroughTheGrowingRead) {
    const int length = GetParam();
    std::wstring text;
    for (int i = 0; i < length; ++i) text += static_cast<wchar_t>(L'a' + i % 26);
    ASSERT_EQ(1, reg_.SetValue(L"text", text.c_str(), 0));
    DWORD type = 0;
    EXPECT_EQ(static_cast<DWORD>((length + 1) * 2), RawSize(L"text", &type)) << "length " << length;
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    CString out(L"stale");
    ASSERT_EQ(1, reg_.GetValue(L"text", out));
    EXPECT_EQ(length, out.GetLength());
    EXPECT_EQ(std::wstring(out.GetString()), text) << "length " << length;
}

INSTANTIATE_TEST_SUITE_P(Lengths, RegistryTextLength, ::testing::Values(0, 1, 126, 127, 128, 129, 1000, 5000, 40000));

TEST_F(RegistryTest, EmptyTextIsTheTerminatorAlone) {
    ASSERT_EQ(1, reg_.SetValue(L"empty", L"", 0));
    EXPECT_EQ(2u, RawSize(L"empty"));
    CString out(L"stale");
    EXPECT_EQ(1, reg_.GetValue(L"empty", out));
    EXPECT_TRUE(out.IsEmpty());
    // A null text is written as the empty text rather than crashing.
    ASSERT_EQ(1, reg_.SetValue(L"null", static_cast<const wchar_t*>(nullptr), 0));
    EXPECT_EQ(1, reg_.GetValue(L"null", out));
    EXPECT_TRUE(out.IsEmpty());
}

TEST_F(RegistryTest, TextWithoutTerminatorStopsAtItsBytes) {
    PutRaw(L"bare", REG_SZ, L"abc", 6);
    CString out;
    ASSERT_EQ(1, reg_.GetValue(L"bare", out));
    EXPECT_STREQ(L"abc", out.GetString());

    // An odd byte count: the half character at the end is not text.
    PutRaw(L"odd", REG_BINARY, "a\0b\0c", 5);
    ASSERT_EQ(1, reg_.GetValue(L"odd", out));
    EXPECT_STREQ(L"ab", out.GetString());

    // Binary data longer than the first guess and without any zero.
    std::wstring filler(300, L'x');
    PutRaw(L"long", REG_BINARY, filler.data(), static_cast<DWORD>(filler.size() * 2));
    ASSERT_EQ(1, reg_.GetValue(L"long", out));
    EXPECT_EQ(300, out.GetLength());
}

TEST_F(RegistryTest, TextEndsAtTheFirstNull) {
    PutRaw(L"multi", REG_MULTI_SZ, L"one\0two\0", 18);
    CString out;
    ASSERT_EQ(1, reg_.GetValue(L"multi", out));
    EXPECT_STREQ(L"one", out.GetString());
}

TEST_F(RegistryTest, ExpandableTextIsNotExpanded) {
    const wchar_t stored[] = L"%TEMP%\\qx";
    PutRaw(L"expand", REG_EXPAND_SZ, stored, sizeof stored);
    CString out;
    ASSERT_EQ(1, reg_.GetValue(L"expand", out));
    EXPECT_STREQ(stored, out.GetString());
}

TEST_F(RegistryTest, NumbersRoundTripAsDwords) {
    for (unsigned long value : {0UL, 1UL, 0x7FFFFFFFUL, 0x80000000UL, 0xFFFFFFFFUL}) {
        ASSERT_EQ(1, reg_.SetValue(L"number", value, 0));
        DWORD type = 0;
        EXPECT_EQ(4u, RawSize(L"number", &type));
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        unsigned long out = 12345;
        EXPECT_EQ(1, reg_.GetValue(L"number", out));
        EXPECT_EQ(value, out);
    }
}

TEST_F(RegistryTest, ValueTooLargeForANumberGivesZero) {
    const unsigned long long big = 0x1122334455667788ULL;
    PutRaw(L"qword", REG_QWORD, &big, sizeof big);
    unsigned long out = 99;
    EXPECT_EQ(0, reg_.GetValue(L"qword", out));
    EXPECT_EQ(0UL, out);
}

TEST_F(RegistryTest, FlushFlagAndFlushKey) {
    EXPECT_EQ(1, reg_.SetValue(L"a", L"flushed", 1));
    EXPECT_EQ(1, reg_.SetValue(L"b", 5UL, 42));
    EXPECT_EQ(1, reg_.SetValue(L"c", L"unflushed", 0));
    EXPECT_EQ(1, reg_.FlushKey());
    CString out;
    EXPECT_EQ(1, reg_.GetValue(L"a", out));
    EXPECT_STREQ(L"flushed", out.GetString());
    reg_.CloseKey();
    // A failed write flushes nothing and answers 0.
    EXPECT_EQ(0, reg_.SetValue(L"a", L"x", 1));
    EXPECT_EQ(0, reg_.SetValue(L"b", 1UL, 1));
    EXPECT_EQ(0, reg_.FlushKey());
}

TEST_F(RegistryTest, EnumerationStopsPastTheLastEntry) {
    CRegistry child;
    for (const wchar_t* name : {L"k1", L"k2", L"k3"}) {
        ASSERT_EQ(1, child.CreateKey(CRegistry::CurrentUser, (path_ + L"\\" + name).c_str()));
        child.CloseKey();
    }
    ASSERT_EQ(1, reg_.SetValue(L"v1", L"x", 0));
    ASSERT_EQ(1, reg_.SetValue(L"v2", 2UL, 0));

    std::set<std::wstring> keys, values;
    wchar_t name[64];
    unsigned long i = 0;
    for (; reg_.GetEnumKey(i, name, 64); ++i) keys.insert(name);
    EXPECT_EQ(3UL, i);
    EXPECT_EQ((std::set<std::wstring>{L"k1", L"k2", L"k3"}), keys);
    for (i = 0; reg_.GetEnumValue(i, name, 64); ++i) values.insert(name);
    EXPECT_EQ(2UL, i);
    EXPECT_EQ((std::set<std::wstring>{L"v1", L"v2"}), values);
    EXPECT_EQ(0, reg_.GetEnumKey(100, name, 64));
    EXPECT_EQ(0, reg_.GetEnumValue(100, name, 64));
    // A buffer too small for the name.
    EXPECT_EQ(0, reg_.GetEnumKey(0, name, 2));
    EXPECT_EQ(0, reg_.GetEnumValue(0, name, 2));
}

TEST_F(RegistryTest, DeleteKeyRemovesSubKeysFromTheRoot) {
    CRegistry deep;
    ASSERT_EQ(1, deep.CreateKey(CRegistry::CurrentUser, (path_ + L"\\a\\b\\c").c_str()));
    ASSERT_EQ(1, deep.SetValue(L"v", L"x", 0));
    deep.CloseKey();
    CRegistry fresh;  // needs no open key
    EXPECT_EQ(1, fresh.DeleteKey(CRegistry::CurrentUser, (path_ + L"\\a").c_str()));
    EXPECT_FALSE(Exists(L"a"));
    EXPECT_TRUE(Exists());
    EXPECT_EQ(0, fresh.DeleteKey(CRegistry::CurrentUser, (path_ + L"\\a").c_str()));
}

TEST_F(RegistryTest, DeleteKeyRefusesToNameTheWholeRoot) {
    CRegistry fresh;
    EXPECT_EQ(0, fresh.DeleteKey(CRegistry::CurrentUser, nullptr));
    EXPECT_EQ(0, fresh.DeleteKey(CRegistry::CurrentUser, L""));
    EXPECT_EQ(0, fresh.DeleteKey(CRegistry::CurrentUser, L"\\\\"));
    EXPECT_TRUE(Exists());
}

TEST_F(RegistryTest, DeleteValue) {
    ASSERT_EQ(1, reg_.SetValue(L"gone", L"x", 0));
    EXPECT_EQ(1, reg_.DeleteValue(L"gone"));
    EXPECT_EQ(0, reg_.DeleteValue(L"gone"));
    CString out;
    EXPECT_EQ(0, reg_.GetValue(L"gone", out));
}

TEST_F(RegistryTest, CreateKeyMakesMissingParents) {
    CRegistry deep;
    EXPECT_EQ(1, deep.CreateKey(CRegistry::CurrentUser, (path_ + L"\\x\\y\\z").c_str()));
    EXPECT_TRUE(Exists(L"x\\y\\z"));
}

TEST_F(RegistryTest, FailedOpenLeavesTheObjectClosed) {
    CRegistry other;
    ASSERT_EQ(1, other.OpenKey(CRegistry::CurrentUser, path_.c_str()));
    EXPECT_EQ(0, other.OpenKey(CRegistry::CurrentUser, (path_ + L"\\missing").c_str()));
    EXPECT_EQ(0, other.SetValue(L"v", L"x", 0));
    EXPECT_FALSE(Exists(L"missing"));
}

// Hosts keep the full-access open: a key that allows only reading does not open, and the
// object stays closed.
TEST(RegistryAccess, OpenKeyRefusesAKeyThatOnlyAllowsReading) {
    QxRegistryRootOverride machine(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.Active());
    machine.SetText(L"SOFTWARE\\Locked", L"value", L"text");
    ASSERT_TRUE(machine.MakeReadOnly(L"SOFTWARE\\Locked"));
    CRegistry reg;
    EXPECT_EQ(0, reg.OpenKey(CRegistry::LocalMachine, L"SOFTWARE\\Locked"));
    CString text(L"stale");
    EXPECT_EQ(0, reg.GetValue(L"value", text));
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(RegistryTest, ReopeningSwitchesToTheNewKey) {
    CRegistry child;
    ASSERT_EQ(1, child.CreateKey(CRegistry::CurrentUser, (path_ + L"\\child").c_str()));
    CRegistry other;
    ASSERT_EQ(1, other.OpenKey(CRegistry::CurrentUser, path_.c_str()));
    ASSERT_EQ(1, other.OpenKey(CRegistry::CurrentUser, (path_ + L"\\child").c_str()));
    ASSERT_EQ(1, other.SetValue(L"where", L"child", 0));
    CString out;
    EXPECT_EQ(1, child.GetValue(L"where", out));
    EXPECT_EQ(0, reg_.GetValue(L"where", out));
}

TEST_F(RegistryTest, ClosedObjectAnswersZeroEverywhere) {
    CRegistry closed;
    CString text(L"stale");
    unsigned long number = 3;
    wchar_t name[16];
    EXPECT_EQ(0, closed.SetValue(L"v", L"x", 1));
    EXPECT_EQ(0, closed.SetValue(L"v", 1UL, 1));
    EXPECT_EQ(0, closed.GetValue(L"v", text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0, closed.GetValue(L"v", number));
    EXPECT_EQ(0UL, number);
    EXPECT_EQ(0, closed.DeleteValue(L"v"));
    EXPECT_EQ(0, closed.FlushKey());
    EXPECT_EQ(0, closed.GetEnumKey(0, name, 16));
    EXPECT_EQ(0, closed.GetEnumValue(0, name, 16));
    closed.CloseKey();
    closed.CloseKey();  // closing twice is harmless
}

TEST_F(RegistryTest, CopiesHoldTheirOwnHandleToTheSameKey) {
    CRegistry copy;
    copy = reg_;
    ASSERT_EQ(1, reg_.SetValue(L"shared", L"one", 0));
    CString out;
    ASSERT_EQ(1, copy.GetValue(L"shared", out));
    EXPECT_STREQ(L"one", out.GetString());

    // Closing the original leaves the copy usable, and the other way round.
    reg_.CloseKey();
    EXPECT_EQ(1, copy.SetValue(L"shared", L"two", 0));
    CRegistry second(copy);
    copy.CloseKey();
    ASSERT_EQ(1, second.GetValue(L"shared", out));
    EXPECT_STREQ(L"two", out.GetString());
}

TEST_F(RegistryTest, AssignmentEdgeCases) {
    CRegistry& self = reg_;
    reg_ = self;  // keeps its key
    EXPECT_EQ(1, reg_.SetValue(L"v", L"x", 0));

    CRegistry closed;
    CRegistry holder;
    ASSERT_EQ(1, holder.OpenKey(CRegistry::CurrentUser, path_.c_str()));
    holder = closed;  // gives up the key it held
    EXPECT_EQ(0, holder.SetValue(L"v", L"y", 0));
    CRegistry copyOfClosed(closed);
    EXPECT_EQ(0, copyOfClosed.FlushKey());
}

// The handle an object holds: CRegistry holds it alone (tests/abi pins that layout).
HKEY HandleOf(const CRegistry& registry) { return *reinterpret_cast<const HKEY*>(&registry); }

// A move hands the very handle over: the source is closed, and the target gives up the
// key it held before.
TEST_F(RegistryTest, MovesHandTheHandleOver) {
    ASSERT_EQ(1, reg_.SetValue(L"moved", L"one", 0));
    CRegistry source;
    ASSERT_EQ(1, source.OpenKey(CRegistry::CurrentUser, path_.c_str()));
    const HKEY handle = HandleOf(source);
    CRegistry taken(std::move(source));
    EXPECT_EQ(HandleOf(taken), handle);
    EXPECT_EQ(0, source.FlushKey()) << "the source still holds the key";
    CString out;
    ASSERT_EQ(1, taken.GetValue(L"moved", out));
    EXPECT_STREQ(L"one", out.GetString());

    ASSERT_EQ(1, reg_.CreateKey(CRegistry::CurrentUser, (path_ + L"\\other").c_str()));
    CRegistry holder(reg_);
    const HKEY before = HandleOf(holder);
    holder = std::move(taken);
    EXPECT_EQ(HandleOf(holder), handle);
    EXPECT_NE(ERROR_SUCCESS, RegFlushKey(before)) << "the assignment left the key held before open";
    holder = std::move(holder);
    EXPECT_EQ(1, holder.GetValue(L"moved", out)) << "a move onto itself closed the key";
}

TEST_F(RegistryTest, NeverOpenedObjectDestroysQuietly) {
    ASSERT_EQ(1, reg_.SetValue(L"before", 1ul, 0));
    SetLastError(ERROR_ACCESS_DENIED);
    {
        CRegistry unused;
        unused.CloseKey();
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "nothing visible happened";
    EXPECT_EQ(1, reg_.SetValue(L"after", 2ul, 0)) << "no other object's key was closed";
}

// Saving and restoring keys needs the backup and restore privileges, which a process holds
// disabled; the test, not the wrapper, enables them.
bool EnablePrivilege(const wchar_t* name) {
    QxKernelObject token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put())) return false;
    TOKEN_PRIVILEGES wanted = {};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token.Get(), FALSE, &wanted, 0, nullptr, nullptr) &&
              GetLastError() == ERROR_SUCCESS;
    return ok;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

TEST_F(RegistryTest, SaveNeedsTheBackupPrivilege) {
    QxScratchFolder folder;
    CRegistry closed;
    EXPECT_EQ(0, closed.SaveKey(folder.PathOf(L"closed.hiv").c_str()));
}

TEST_F(RegistryTest, SaveAndRestoreAKeyThroughAFile) {
    if (!EnablePrivilege(SE_BACKUP_NAME) || !EnablePrivilege(SE_RESTORE_NAME))
        GTEST_SKIP() << "the backup and restore privileges are not available";
    QxScratchFolder folder;
    const std::wstring file = folder.PathOf(L"saved.hiv");
    ASSERT_EQ(1, reg_.SetValue(L"kept", L"before", 0));
    ASSERT_EQ(1, reg_.SetValue(L"number", 7UL, 0));
    ASSERT_EQ(1, reg_.SaveKey(file.c_str()));
    EXPECT_TRUE(folder.Exists(L"saved.hiv"));
    if (!UnderWine()) {  // Wine overwrites the file
        EXPECT_EQ(0, reg_.SaveKey(file.c_str())) << "saving over an existing file must fail";
    }

    ASSERT_EQ(1, reg_.SetValue(L"kept", L"after", 0));
    ASSERT_EQ(1, reg_.SetValue(L"extra", L"new", 0));
    ASSERT_EQ(1, reg_.RestoreKey(file.c_str(), REG_FORCE_RESTORE));
    CString out;
    ASSERT_EQ(1, reg_.GetValue(L"kept", out));
    if (UnderWine() && out == L"after") GTEST_SKIP() << "Wine's RegRestoreKeyW answers success and restores nothing";
    EXPECT_STREQ(L"before", out.GetString());
    EXPECT_EQ(0, reg_.GetValue(L"extra", out));
    unsigned long number = 0;
    EXPECT_EQ(1, reg_.GetValue(L"number", number));
    EXPECT_EQ(7UL, number);
}

TEST_F(RegistryTest, RestoreAndLoadFailWithoutAHiveFile) {
    QxScratchFolder folder;
    const std::wstring missing = folder.PathOf(L"missing.hiv");
    CRegistry fresh;
    EXPECT_EQ(0, fresh.LoadKey(CRegistry::Users, L"QxQVInfo320U-tests-missing", missing.c_str()));
    EXPECT_EQ(0, fresh.RestoreKey(missing.c_str(), 0));  // no open key
    if (UnderWine()) GTEST_SKIP() << "Wine's RegRestoreKeyW answers success for any file";
    EXPECT_EQ(0, reg_.RestoreKey(missing.c_str(), 0));
}

}  // namespace

#include <gtest/gtest.h>

#include "QxQVInfo320U.h"
#include "support/WindowTestSupport.h"
#include "platform/QxHandle.h"

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <type_traits>
#include <string>
#include <thread>
#include <vector>

using qxtest::WaitForProcessWindow;

namespace {

const int kFindMs = 15000;
const int kCloseMs = 5000;

// Control identifiers of the common file dialog.
const int kFileNameCombo = 0x47C;  // cmb13
const int kFileNameEdit = 0x480;   // edt1
const int kFileTypeCombo = 0x470;  // cmb1

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitGone(HWND hwnd, int ms) {
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start >= static_cast<DWORD>(ms)) return false;
        Sleep(20);
    }
    return true;
}

// Drives the first dialog of this process that shows up, on a helper thread, while the
// test's thread runs the dialog. Whatever happens, the dialog is closed in the end, so a
// test fails rather than blocks.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> act)
        : thread_([this, act] {
              HWND dialog = WaitForProcessWindow(L"#32770", kFindMs);
              found = dialog != nullptr;
              if (!dialog) return;
              Sleep(150);  // let the dialog finish its own start-up
              act(dialog);
              if (!WaitGone(dialog, kCloseMs)) {
                  closedByForce = true;
                  for (int i = 0; i < 20 && IsWindow(dialog); ++i) {
                      Press(dialog, IDCANCEL);
                      PostMessageW(dialog, WM_CLOSE, 0, 0);
                      Sleep(250);
                  }
              }
          }) {}
    ~DialogDriver() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<bool> found{false};
    std::atomic<bool> closedByForce{false};

private:
    std::thread thread_;
};

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 255)
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// Types a name into the dialog's file name box and presses OK.
void TypeAndAccept(HWND dialog, const std::wstring& name) {
    HWND box = GetDlgItem(dialog, kFileNameCombo);
    if (!box || !IsWindowVisible(box)) box = GetDlgItem(dialog, kFileNameEdit);
    SetWindowTextW(box, name.c_str());
    Press(dialog, IDOK);
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
    HWND child = FindWindowExW(parent, nullptr, className, nullptr);
    if (child) return child;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (HWND found = FindDescendant(c, className)) return found;
    }
    return nullptr;
}

// The text of the folder tree's selected item ("" when none).
std::wstring SelectedTreeText(HWND dialog) {
    HWND tree = FindDescendant(dialog, L"SysTreeView32");
    if (!tree) return L"";
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return L"";
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

class FileDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Not under the temporary folder: the folder browser refreshes its tree when a
        // watched folder changes, and other programs keep changing that one.
        folder_ = L"C:\\qx_dialogs_" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        for (const std::wstring& file : files_) DeleteFileW(file.c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(it->c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring MakeFile(const std::wstring& name) {
        std::wstring path = folder_ + L"\\" + name;
        QxFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        files_.push_back(path);
        return path;
    }
    std::wstring MakeFolder(const std::wstring& name) {
        std::wstring path = folder_ + L"\\" + name;
        CreateDirectoryW(path.c_str(), nullptr);
        folders_.push_back(path);
        return path;
    }
    std::wstring folder_;
    std::vector<std::wstring> files_;
    std::vector<std::wstring> folders_;
};

struct FilterCase {
    int allFiles;
    std::vector<std::wstring> entries;
};

class OpenDialogFilterTest : public FileDialogsTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(OpenDialogFilterTest, ListsTheFormattedFilterEntries) {
    const FilterCase c = GetParam();
    std::vector<std::wstring> shown;
    DialogDriver driver([&](HWND dialog) {
        shown = ComboItems(GetDlgItem(dialog, kFileTypeCombo));
        Press(dialog, IDCANCEL);
    });
    Qx_WString name(L"left over");
    long result = qx_GetOpenDlgFileName(name, Qx_WString(L"Service files"), Qx_WString(L"sxml"), c.allFiles);
    driver.Join();
    ASSERT_TRUE(driver.found) << "no dialog appeared";
    EXPECT_FALSE(driver.closedByForce);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(name.IsEmpty()) << "a cancelled dialog leaves the output empty";
    EXPECT_EQ(shown, c.entries);
}

INSTANTIATE_TEST_SUITE_P(AllFilesFlag, OpenDialogFilterTest,
                         ::testing::Values(FilterCase{0, {L"Service files(*.sxml)"}},
                                           FilterCase{1, {L"Service files(*.sxml)", L"All Files(*.*)"}}));

TEST_F(FileDialogsTest, OpenDialogAnswersTheChosenPath) {
    const std::wstring existing = MakeFile(L"chosen.sxml");
    DialogDriver driver([&](HWND dialog) { TypeAndAccept(dialog, existing); });
    Qx_WString name;
    long result = qx_GetOpenDlgFileName(name, Qx_WString(L"Service files"), Qx_WString(L"sxml"), 1);
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_FALSE(driver.closedByForce);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Lower(name.str()), Lower(existing));
}

TEST_F(FileDialogsTest, SaveDialogAppendsTheExtension) {
    DialogDriver driver([&](HWND dialog) { TypeAndAccept(dialog, folder_ + L"\\fresh"); });
    Qx_WString name;
    long result = qx_GetSaveDlgFileName(name, Qx_WString(L"Member lists"), Qx_WString(L"mbl"), 0);
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_FALSE(driver.closedByForce);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Lower(name.str()), Lower(folder_ + L"\\fresh.mbl"));
}

TEST_F(FileDialogsTest, SaveDialogAsksBeforeOverwriting) {
    const std::wstring existing = MakeFile(L"taken.sxml");
    std::atomic<bool> asked{false};
    DialogDriver driver([&](HWND dialog) {
        TypeAndAccept(dialog, existing);
        // The question comes as a second dialog window; answer Yes.
        HWND question = WaitForProcessWindow(L"#32770", kFindMs, dialog);
        if (question) {
            asked = true;
            Sleep(100);
            Press(question, IDYES);
        }
    });
    Qx_WString name;
    long result = qx_GetSaveDlgFileName(name, Qx_WString(L"Service files"), Qx_WString(L"sxml"), 1);
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_TRUE(asked) << "no overwrite question";
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Lower(name.str()), Lower(existing));
}

TEST_F(FileDialogsTest, SelectFilenameTakesTheCallersFilter) {
    const std::wstring existing = MakeFile(L"picked.txt");
    std::vector<std::wstring> shown;
    DialogDriver driver([&](HWND dialog) {
        shown = ComboItems(GetDlgItem(dialog, kFileTypeCombo));
        TypeAndAccept(dialog, existing);
    });
    Qx_WString name;
    int result = qx_SelectFilename(name, L"Services(*.sxml)|*.sxml|Texts|*.txt||");
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Lower(name.str()), Lower(existing));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Services(*.sxml)", L"Texts"}));
}

TEST_F(FileDialogsTest, SelectFilenameCancelledAnswersZeroAndEmpty) {
    DialogDriver driver([&](HWND dialog) { Press(dialog, IDCANCEL); });
    Qx_WString name(L"before");
    int result = qx_SelectFilename(name, L"Services(*.sxml)|*.sxml||");
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(name.IsEmpty());
}

// The folder browser needs COM on the calling thread.
class FolderBrowserTest : public FileDialogsTest {
protected:
    void SetUp() override {
        FileDialogsTest::SetUp();
        oleReady_ = SUCCEEDED(OleInitialize(nullptr));
        GetCurrentDirectoryW(MAX_PATH, savedCwd_);
    }
    void TearDown() override {
        SetCurrentDirectoryW(savedCwd_);
        if (oleReady_) OleUninitialize();
        FileDialogsTest::TearDown();
    }
    // Opens the browser at `start`, presses OK as soon as the folder named `leaf` is
    // selected and answers (result, folder). Input that other programs send to the shared
    // display's active window can move the selection before the helper sees it; such a run
    // is cancelled and the browser opened again, a few times at most.
    std::pair<int, std::wstring> AcceptAt(const std::wstring& start, const std::wstring& leaf) {
        for (int attempt = 0;; ++attempt) {
            std::atomic<bool> selected{false};
            DialogDriver driver([&](HWND dialog) {
                DWORD begin = GetTickCount();
                while (!selected && GetTickCount() - begin < 5000) {
                    selected = Lower(SelectedTreeText(dialog)) == Lower(leaf);
                    if (!selected) Sleep(10);
                }
                Press(dialog, selected ? IDOK : IDCANCEL);
            });
            Qx_WString folder(start.c_str());
            int result = qx_SelectFolder(nullptr, folder, L"Pick the service folder");
            driver.Join();
            EXPECT_TRUE(driver.found) << "no folder browser appeared";
            EXPECT_FALSE(driver.closedByForce);
            if (selected || attempt == 2 || !driver.found) return {result, folder.str()};
        }
    }
    bool oleReady_ = false;
    wchar_t savedCwd_[MAX_PATH] = {};
};

TEST_F(FolderBrowserTest, OpensAtTheGivenFolder) {
    const std::wstring start = MakeFolder(L"services");
    auto [result, folder] = AcceptAt(start, L"services");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Lower(WithoutTrailingSlash(folder)), Lower(start));
}

TEST_F(FolderBrowserTest, OpensAtTheCurrentDirectoryWhenTheFolderIsMissingOrEmpty) {
    const std::wstring cwd = MakeFolder(L"current");
    ASSERT_TRUE(SetCurrentDirectoryW(cwd.c_str()));
    for (const std::wstring& start : {folder_ + L"\\no such folder", std::wstring()}) {
        auto [result, folder] = AcceptAt(start, L"current");
        EXPECT_EQ(result, 1) << "start '" << std::string(start.begin(), start.end()) << "'";
        EXPECT_EQ(Lower(WithoutTrailingSlash(folder)), Lower(cwd));
    }
}

TEST_F(FolderBrowserTest, TooLongAStartFolderCountsAsAbsent) {
    const std::wstring cwd = MakeFolder(L"current2");
    ASSERT_TRUE(SetCurrentDirectoryW(cwd.c_str()));
    auto [result, folder] = AcceptAt(folder_ + L"\\" + std::wstring(300, L'x'), L"current2");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Lower(WithoutTrailingSlash(folder)), Lower(cwd));
}

TEST_F(FolderBrowserTest, CancelLeavesTheFolderUnchanged) {
    DialogDriver driver([&](HWND dialog) { Press(dialog, IDCANCEL); });
    Qx_WString folder(L"C:\\kept as it was");
    int result = qx_SelectFolder(nullptr, folder, L"Pick");
    driver.Join();
    ASSERT_TRUE(driver.found);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(folder, L"C:\\kept as it was");
}

// The callback on its own, against a window that notes what the browser would be told.
struct Told {
    UINT message;
    WPARAM wParam;
    std::wstring text;
};
std::vector<Told> g_told;

LRESULT CALLBACK ListeningProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BFFM_SETSELECTIONW || message == BFFM_SETSTATUSTEXTW) {
        g_told.push_back({message, wParam, lParam ? reinterpret_cast<const wchar_t*>(lParam) : L""});
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class BrowseCallbackTest : public FileDialogsTest {
protected:
    void SetUp() override {
        FileDialogsTest::SetUp();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ListeningProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QxBrowseListener";
        RegisterClassW(&wc);
        listener_ =
            CreateWindowExW(0, L"QxBrowseListener", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(listener_, nullptr);
        g_told.clear();
        GetCurrentDirectoryW(MAX_PATH, savedCwd_);
    }
    void TearDown() override {
        SetCurrentDirectoryW(savedCwd_);
        DestroyWindow(listener_);
        FileDialogsTest::TearDown();
    }
    HWND listener_ = nullptr;
    wchar_t savedCwd_[MAX_PATH] = {};
};

// An item list of the shell, freed with the task allocator as the shell made it.
using ItemList = QxTaskMem<std::remove_pointer_t<PIDLIST_ABSOLUTE>>;

TEST_F(BrowseCallbackTest, ShowsTheSelectedFoldersPath) {
    const std::wstring sub = MakeFolder(L"selected");
    ItemList item(ILCreateFromPathW(sub.c_str()));
    ASSERT_TRUE(item);
    EXPECT_EQ(qx_SelectFolder_BrowseCallbackProc(listener_, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item.Get()), 0),
              0);
    item.Reset();
    ASSERT_EQ(g_told.size(), 1u);
    EXPECT_EQ(g_told[0].message, static_cast<UINT>(BFFM_SETSTATUSTEXTW));
    EXPECT_EQ(g_told[0].wParam, 0u);
    EXPECT_EQ(Lower(g_told[0].text), Lower(sub));
}

TEST_F(BrowseCallbackTest, SaysNothingForAVirtualFolder) {
    ItemList item;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, item.Put())));
    EXPECT_EQ(qx_SelectFolder_BrowseCallbackProc(listener_, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item.Get()), 0),
              0);
    item.Reset();
    EXPECT_TRUE(g_told.empty());
}

TEST_F(BrowseCallbackTest, IgnoresOtherNotifications) {
    EXPECT_EQ(qx_SelectFolder_BrowseCallbackProc(listener_, BFFM_VALIDATEFAILEDW, 0, 0), 0);
    EXPECT_EQ(qx_SelectFolder_BrowseCallbackProc(listener_, BFFM_IUNKNOWN, 0, 0), 0);
    EXPECT_TRUE(g_told.empty());
}

TEST_F(BrowseCallbackTest, StartsAtTheCurrentDirectoryWithoutAStartFolder) {
    // Cancelling a browser opened with no folder leaves the start folder empty.
    {
        OleInitialize(nullptr);
        DialogDriver driver([&](HWND dialog) { Press(dialog, IDCANCEL); });
        Qx_WString none;
        qx_SelectFolder(nullptr, none, L"Pick");
        driver.Join();
        OleUninitialize();
    }
    const std::wstring cwd = MakeFolder(L"cwd");
    ASSERT_TRUE(SetCurrentDirectoryW(cwd.c_str()));
    g_told.clear();
    qx_SelectFolder_BrowseCallbackProc(listener_, BFFM_INITIALIZED, 0, 0);
    ASSERT_EQ(g_told.size(), 1u);
    EXPECT_EQ(g_told[0].message, static_cast<UINT>(BFFM_SETSELECTIONW));
    EXPECT_EQ(g_told[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(Lower(WithoutTrailingSlash(g_told[0].text)), Lower(cwd));
}

}  // namespace

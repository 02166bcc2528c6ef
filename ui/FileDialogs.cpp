#include "ui/FileDialogs.h"

#include "afx/CFileDialog.h"
#include "afx/CWnd.h"
#include "foundation/Qx_Dir.h"
#include "platform/QxBarrier.h"
#include "platform/QxHandle.h"

#include <shlobj.h>

namespace {

// The folder the browser opens at; set by qx_SelectFolder, read by its callback.
Qx_WString g_browseStartFolder;

const DWORD kFileDialogFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING;

long RunFileDialog(bool open, Qx_WString& fileName, const wchar_t* defaultExt, const wchar_t* filter) {
    fileName.Empty();
    CFileDialog dialog(open, defaultExt, nullptr, kFileDialogFlags, filter, nullptr, 0);
    INT_PTR result = dialog.DoModal();
    if (result == IDOK) fileName = dialog.GetPathName().GetString();
    return static_cast<long>(result);
}

Qx_WString MakeFilter(const Qx_WString& description, const Qx_WString& extension, int allFiles) {
    Qx_WString filter;
    const wchar_t* form = allFiles ? L"%s(*.%s)|*.%s|All Files(*.*)|*.*||" : L"%s(*.%s)|*.%s||";
    filter.Format(form, description.c_str(), extension.c_str(), extension.c_str());
    return filter;
}

long RunFormattedDialog(bool open, Qx_WString& fileName, const Qx_WString& description, const Qx_WString& extension,
                        int allFiles) {
    return RunFileDialog(open, fileName, extension.c_str(), MakeFilter(description, extension, allFiles));
}

}  // namespace

namespace {
int ChooseFile(Qx_WString& fileName, const wchar_t* filter) {
    return RunFileDialog(true, fileName, L"sxml", filter) == IDOK ? 1 : 0;
}
}  // namespace

int qx_SelectFilename(Qx_WString& fileName, const wchar_t* filter) {
    return QxBarrier(0, [&] { return ChooseFile(fileName, filter); });
}

namespace {
long ChooseFileToOpen(Qx_WString& fileName, const Qx_WString& description, const Qx_WString& extension, int allFiles) {
    return RunFormattedDialog(true, fileName, description, extension, allFiles);
}
}  // namespace

// The contract passes the description and the extension by value, here and below.
// cppcheck-suppress passedByValue
// NOLINTNEXTLINE(performance-unnecessary-value-param)
long qx_GetOpenDlgFileName(Qx_WString& fileName, Qx_WString description, Qx_WString extension, int allFiles) {
    return QxBarrier(static_cast<long>(IDCANCEL),
                     [&] { return ChooseFileToOpen(fileName, description, extension, allFiles); });
}

namespace {
long ChooseFileToSave(Qx_WString& fileName, const Qx_WString& description, const Qx_WString& extension, int allFiles) {
    return RunFormattedDialog(false, fileName, description, extension, allFiles);
}
}  // namespace

// cppcheck-suppress passedByValue
// NOLINTNEXTLINE(performance-unnecessary-value-param)
long qx_GetSaveDlgFileName(Qx_WString& fileName, Qx_WString description, Qx_WString extension, int allFiles) {
    return QxBarrier(static_cast<long>(IDCANCEL),
                     [&] { return ChooseFileToSave(fileName, description, extension, allFiles); });
}

namespace {
int ChooseFolder(CWnd* owner, Qx_WString& folder, const wchar_t* title) {
    // A folder too long for the browser's MAX_PATH buffers counts as no folder at all:
    // the browser then opens at the current directory.
    if (!folder.IsEmpty() && folder.GetLength() < MAX_PATH && Qx_Dir::IsExist(folder))
        g_browseStartFolder = folder;
    else
        g_browseStartFolder.Empty();

    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner ? owner->m_hWnd : nullptr;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = reinterpret_cast<BFFCALLBACK>(&qx_SelectFolder_BrowseCallbackProc);
    info.lParam = 0;

    // The shell allocates the item list with the task allocator.
    QxTaskMem<ITEMIDLIST> chosen(SHBrowseForFolderW(&info));
    if (!chosen) return 0;
    wchar_t path[MAX_PATH] = {};
    BOOL isFolder = SHGetPathFromIDListW(chosen.Get(), path);
    // The browser lets only file-system folders through; should an item without a path
    // come back all the same, it counts as no choice rather than an empty folder.
    if (!isFolder || !path[0]) return 0;
    folder = path;
    return 1;
}
}  // namespace

int qx_SelectFolder(CWnd* owner, Qx_WString& folder, const wchar_t* title) {
    return QxBarrier(0, [&] { return ChooseFolder(owner, folder, title); });
}

namespace {
int BrowseCallback(HWND dialog, UINT message, LPARAM lParam) {
    if (message == BFFM_INITIALIZED) {
        wchar_t start[MAX_PATH] = {};
        if (!g_browseStartFolder.IsEmpty()) {
            lstrcpynW(start, g_browseStartFolder, MAX_PATH);
        } else {
            // A current directory longer than the buffer is treated as absent.
            DWORD length = GetCurrentDirectoryW(MAX_PATH, start);
            if (length == 0 || length >= MAX_PATH) start[0] = L'\0';
        }
        if (start[0]) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start));
    } else if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lParam), path))
            SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}
}  // namespace

// The shell calls back through C code, which no exception may cross.
int CALLBACK qx_SelectFolder_BrowseCallbackProc(HWND dialog, UINT message, LPARAM lParam, LPARAM /*data*/) {
    return QxBarrier(0, [&] { return BrowseCallback(dialog, message, lParam); });
}

#include "afx/CFileDialog.h"

#include "afx/CWinApp.h"
#include "afx/CWnd.h"

#include <cwchar>

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExt, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, CWnd* parent, DWORD size)
    : open_(openFileDialog != FALSE) {
    if (fileName) wcsncpy_s(file_, MAX_PATH, fileName, _TRUNCATE);
    if (defaultExt) defaultExt_ = defaultExt;
    if (filter) {
        filter_ = filter;
        for (wchar_t& ch : filter_) {
            if (ch == L'|') ch = L'\0';
        }
        // A filter that lacks its closing "||" still ends the way the dialog needs.
        filter_.append(2, L'\0');
    }

    m_ofn.lStructSize = size && size <= sizeof(m_ofn) ? size : static_cast<DWORD>(sizeof(m_ofn));
    // Without a parent the dialog belongs to the host's main window, as the framework does.
    HWND owner = parent ? parent->m_hWnd : nullptr;
    if (!owner && AfxGetApp() && AfxGetApp()->m_pMainWnd) owner = AfxGetApp()->m_pMainWnd->m_hWnd;
    m_ofn.hwndOwner = owner;
    m_ofn.Flags = flags | OFN_EXPLORER;
}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal() {
    // Pointers are taken here, not in the constructor, so that the strings are final.
    m_ofn.lpstrFile = file_;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
    m_ofn.lpstrDefExt = defaultExt_.IsEmpty() ? nullptr : defaultExt_.GetString();
    BOOL chosen = open_ ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
    if (!chosen) {
        file_[0] = L'\0';
        return IDCANCEL;
    }
    return IDOK;
}

CString CFileDialog::GetPathName() const { return CString(file_); }

#pragma once
#include "platform/QxExport.h"
#include "platform/QxWin.h"
#include "afx/CString.h"

#include <commdlg.h>
#include <string>

class CWnd;

// The common open or save dialog. The filter comes in the framework's form, pairs of a
// display text and a pattern each ended by "|" and the whole ended by "||".
class QX_API CFileDialog {
public:
    CFileDialog(BOOL openFileDialog, const wchar_t* defaultExt = nullptr, const wchar_t* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const wchar_t* filter = nullptr,
                CWnd* parent = nullptr, DWORD size = 0);
    virtual ~CFileDialog();
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    OPENFILENAMEW m_ofn = {};

    // Runs the dialog: IDOK when the user chose a file, IDCANCEL otherwise (also when the
    // dialog could not be shown).
    virtual INT_PTR DoModal();
    // The chosen file's full path; empty before an IDOK.
    CString GetPathName() const;

private:
    bool open_;
    CString defaultExt_;
    std::wstring filter_;  // '|' turned into the terminators the dialog expects
    wchar_t file_[MAX_PATH] = {};
};

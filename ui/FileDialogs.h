#pragma once
#include "platform/QxExport.h"
#include "platform/QxWin.h"
#include "foundation/Qx_WString.h"

class CWnd;

// Asking the user for a file or a folder with the standard dialogs. The output string is
// emptied before a file dialog opens, so a cancelled dialog leaves it empty.

// Open dialog with the caller's filter ("text|pattern|...||") and the default extension
// "sxml". 1 when a file was chosen (path in fileName), else 0.
QX_API int qx_SelectFilename(Qx_WString& fileName, const wchar_t* filter);
// Open and save dialogs whose filter is "<description>(*.<ext>)|*.<ext>||", with
// "All Files(*.*)|*.*" added when allFiles is non-zero; ext is also the default extension.
// Answer IDOK (path in fileName) or IDCANCEL.
QX_API long qx_GetOpenDlgFileName(Qx_WString& fileName, Qx_WString description, Qx_WString extension, int allFiles);
QX_API long qx_GetSaveDlgFileName(Qx_WString& fileName, Qx_WString description, Qx_WString extension, int allFiles);

// The shell's folder browser, opened at folder when that is an existing folder (else at
// the current directory). 1 with the chosen folder in folder; 0 when cancelled, folder
// unchanged. Only file-system folders can be chosen. One browser at a time.
QX_API int qx_SelectFolder(CWnd* owner, Qx_WString& folder, const wchar_t* title);
// The browser's callback: selects the start folder when the browser opens and shows the
// selected folder's path as status text. Always 0.
QX_API int CALLBACK qx_SelectFolder_BrowseCallbackProc(HWND dialog, UINT message, LPARAM lParam, LPARAM data);

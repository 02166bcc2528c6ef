#pragma once
// The framework-compatible layer.
#include "afx/AfxMessageBox.h"
#include "afx/CString.h"
#include "afx/CWaitCursor.h"
// Windows, drawing, the application object, dialogs and the module's resource chain.
#include "afx/AfxModule.h"
#include "afx/AfxException.h"
#include "afx/CRect.h"
#include "afx/CWnd.h"
#include "afx/CDC.h"
#include "afx/CGdiObject.h"
#include "afx/CWinApp.h"
#include "afx/CFileDialog.h"

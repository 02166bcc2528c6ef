#pragma once
// The framework-compatible layer.
#include "afx/AfxMessageBox.h"
#include "afx/CString.h"
#include "afx/CWaitCursor.h"

#include "afx/CWaitCursor.h"
#include "platform/QxWin.h"

CWaitCursor::CWaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}

// Shared system cursors are never destroyed, so the previous one is simply shown again.
CWaitCursor::~CWaitCursor() { SetCursor(previous_); }

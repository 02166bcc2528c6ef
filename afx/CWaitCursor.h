#pragma once
#include "platform/QxExport.h"
#include "platform/QxWin.h"

// Shows the wait cursor for its lifetime: the constructor sets the system's wait cursor,
// the destructor puts back the cursor that was shown before. Not copyable.
class QX_API CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR previous_;  // the cursor shown before
};

#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_WString.h"

// One entry of the host's list of external tools, as the "Tools" dialog edits it. A plain
// value: copies and assignments copy the four texts, in field order.
class QX_API CToolItem {
public:
    CToolItem();
    CToolItem(const CToolItem& other);
    CToolItem(CToolItem&& other) noexcept;
    ~CToolItem();
    CToolItem& operator=(const CToolItem& other);
    CToolItem& operator=(CToolItem&& other) noexcept;

    Qx_WString name;        // what the tool list shows
    Qx_WString command;     // the program to start
    Qx_WString arguments;   // its command-line arguments
    Qx_WString initialDir;  // the folder it starts in
};

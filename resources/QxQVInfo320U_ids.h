#pragma once
// Identifiers of the library's own resources (dialog templates, bitmaps and their
// controls), for the hosts that use them and for the resource script.

// The "Tools" dialog on which the host edits its external tool entries.
#define IDD_QX_TOOLS 3001
#define IDC_QX_TOOLS_CAPTION 1009  // owner-drawn "Directories:" heading
#define IDC_QX_TOOLS_LIST 1000
#define IDC_QX_TOOLS_COMMAND 3001
#define IDC_QX_TOOLS_ARGUMENTS 3002
#define IDC_QX_TOOLS_BROWSE 3003
#define IDC_QX_TOOLS_INITIALDIR 3004

// The host's object panel: a static "Object" above a tree of objects and members.
#define IDD_QX_OBJECT_PANEL 3010
#define IDC_QX_PANEL_LABEL 3011
#define IDC_QX_PANEL_TREE 3012

// A strip of four 16 x 16 pictures (object, variable, method, folder) on magenta.
#define IDB_QX_PICTURES 3020
// The start-up picture (400 x 300) for QxSplashWnd.
#define IDB_QX_SPLASH 3021

#pragma once
// The desktop's windows and dialogs.
#include "ui/SplashWnd.h"
#include "ui/FileDialogs.h"
// Identifiers of the dialog templates and bitmaps the library lends to its host.
#include "resources/QxQVInfo320U_ids.h"

#pragma once
// The desktop's windows and dialogs.
#include "ui/SplashWnd.h"
#include "ui/FileDialogs.h"

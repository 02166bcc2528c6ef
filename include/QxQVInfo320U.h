#pragma once
// QxQVInfo320U: the public header for hosts. Link against QxQVInfo320U.lib (the import
// library) and ship QxQVInfo320U.dll beside the program.
#include "foundation/Foundation.h"
#include "afx/Afx.h"
#include "config/Config.h"
#include "runtime/Runtime.h"
#include "service/Service.h"
#include "ui/Ui.h"
#include "editor/Editor.h"
#include "editor/EditorWindows.h"
#include "ui/UiWindows.h"

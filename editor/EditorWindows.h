#pragma once
// The editor's windows.
#include "editor/ParameterTip.h"

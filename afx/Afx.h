#pragma once
// The framework-compatible layer.
#include "afx/CString.h"

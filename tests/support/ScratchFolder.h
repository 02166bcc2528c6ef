#pragma once
#include "support/TestFiles.h"

// The configuration tests' name for a temporary folder of their own.
using QxScratchFolder = TempDir;

#pragma once
// Desktop utilities: deletion and validation, fonts and language, tool items.
#include "ui/CToolItem.h"
#include "ui/FileDeletion.h"
#include "ui/FontsAndLanguage.h"
#include "ui/Validation.h"

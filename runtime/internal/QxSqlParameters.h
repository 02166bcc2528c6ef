#pragma once
#include "foundation/Qx_WString.h"
#include "platform/QxStatus.h"
#include <vector>

// Turns a statement with named parameters (":name", a letter or '_' then letters, digits
// and '_') into one with '?' markers and the names in marker order. Text inside '...'
// and "..." quotes, [...] brackets, "--" line comments and "/* */" comments is left
// alone, and "::" is not a parameter. A bare '?' outside them is refused: a definition
// names its parameters, so that each value goes to its own place. kMalformed with the
// reason (unterminated quote or comment, bare '?').
QxStatus QxSqlNamedToPositional(const Qx_WString& sql, Qx_WString& out, std::vector<Qx_WString>& names);

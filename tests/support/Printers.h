#pragma once
// How the tests print the library's strings, values, datasets and statuses when a
// comparison fails: as their text, the way GoogleTest prints a std::wstring, not as the
// bytes of the object; statuses by the names of their codes. Every test program takes
// this header first (tests/CMakeLists.txt), so that no comparison of a string can miss it.
#include "foundation/Qx_WString.h"
#include "foundation/Qx_Dataset.h"
#include "foundation/Qx_Variant.h"
#include "afx/CString.h"
#include "platform/QxStatus.h"

#include <ostream>
#include <string>

void PrintTo(const Qx_WString& text, std::ostream* out);
void PrintTo(const CString& text, std::ostream* out);
// A value as its type and content: null, "text" (string), 42 (int), 42LL (int64), 2.5
// (double), bytes 6a 6b (binary).
void PrintTo(const Qx_Variant& value, std::ostream* out);
// A dataset as its id, its columns (name:type) and its rows of values, cut after a few rows.
void PrintTo(const Qx_Dataset& dataset, std::ostream* out);
// A code by its name, a status as its code, number and reason.
void PrintTo(QxCode code, std::ostream* out);
void PrintTo(const QxStatus& status, std::ostream* out);

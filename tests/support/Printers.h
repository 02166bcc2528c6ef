#pragma once
// How the tests print the library's strings when a comparison fails: as their text, the
// way GoogleTest prints a std::wstring, not as the address of the object; statuses by
// the names of their codes. Every test
// program takes this header first (tests/CMakeLists.txt), so that no comparison of a
// string can miss it.
#include "foundation/Qx_WString.h"
#include "afx/CString.h"
#include "platform/QxStatus.h"

#include <ostream>
#include <string>

void PrintTo(const Qx_WString& text, std::ostream* out);
void PrintTo(const CString& text, std::ostream* out);
// A code by its name, a status as its code, number and reason.
void PrintTo(QxCode code, std::ostream* out);
void PrintTo(const QxStatus& status, std::ostream* out);

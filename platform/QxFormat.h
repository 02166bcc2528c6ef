#pragma once
#include <cstdarg>
#include <string>

// printf-style formatting into a std::wstring with the C runtime's wide vsnprintf, growing
// the buffer until the text fits. A format that fails gives the empty text. Internal.
std::wstring QxVFormat(const wchar_t* format, va_list args);

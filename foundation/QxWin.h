#pragma once
// The one place that includes <windows.h>, so that every file sees the same target
// version and no min/max macros.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef WINVER
#define WINVER 0x0601
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
// Winsock 2 must come before <windows.h>, which would otherwise pull in the old winsock.h.
#include <winsock2.h>
#include <windows.h>

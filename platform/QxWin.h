#pragma once
// The one place that includes <windows.h>, so that every file sees the same target
// version, Unicode and no min/max macros.
//
// A host may have included <windows.h> before the library's headers; its settings then
// stand, except that the library's headers name the wide (W) forms of the API and declare
// members such as LoadBitmap that the narrow macros would rename: Unicode is required.
#if defined(_WINDOWS_)
#if !defined(UNICODE) || !defined(_UNICODE)
#error "QxQVInfo320U.h needs UNICODE and _UNICODE: define both before <windows.h>, or include QxQVInfo320U.h first."
#endif
#else
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
// The project's own modules use Winsock 2, which must come before <windows.h> (that would
// otherwise pull in the old winsock.h). Hosts are not made to take it.
#ifdef QX_WINSOCK
#include <winsock2.h>
#endif
#include <windows.h>
#endif

#pragma once
// QX_API marks every exported function and class: exported while the library builds,
// imported by the hosts, tools, adaptor modules and tests that link against it.
#ifdef QXQVINFO_BUILD
#define QX_API __declspec(dllexport)
#else
#define QX_API __declspec(dllimport)
#endif

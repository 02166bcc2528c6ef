#pragma once
// QX_API marks every exported function and class: exported while the library builds,
// imported by the hosts, tools, adaptor modules and tests that link against it.
//
// QX_PLAIN_LINKAGE is for code compiled once and linked on both sides, into the library
// and into modules that import it (the runtime's internals): it names the library's
// symbols plainly, so that they resolve directly inside the library and through the import
// library elsewhere (functions by its thunks, data by the linker's auto-import).
#if defined(QXQVINFO_BUILD)
#define QX_API __declspec(dllexport)
#elif defined(QX_PLAIN_LINKAGE)
#define QX_API
#else
#define QX_API __declspec(dllimport)
#endif

#include "afx/AfxModule.h"

// The library lends its resources (dialog templates, bitmaps, strings) to its host: it
// joins the framework's resource chain when it is loaded and leaves it when unloaded.
namespace {
AFX_EXTENSION_MODULE g_libraryModule;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) return AfxInitExtensionModule(g_libraryModule, instance);
    if (reason == DLL_PROCESS_DETACH) AfxTermExtensionModule(g_libraryModule);
    return TRUE;
}

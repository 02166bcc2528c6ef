#pragma once
#include "platform/QxExport.h"
#include "platform/QxWin.h"

// The module state of the framework layer: the host's instance handle, under which window
// classes are registered and windows are made, and the resource chain through which
// resources are found: the host's resource module first, then every extension module in
// the order in which it registered.

// The host program's instance handle (the module that started the process).
QX_API HINSTANCE AfxGetInstanceHandle();
// The module searched first for resources; the host's instance unless set otherwise.
QX_API HINSTANCE AfxGetResourceHandle();
// Null restores the default (the host's instance).
QX_API void AfxSetResourceHandle(HINSTANCE resources);

// The first module of the chain that holds the resource; when none holds it, the resource
// handle, so that the caller's load fails in the ordinary way.
QX_API HINSTANCE AfxFindResourceHandle(const wchar_t* name, const wchar_t* type);

// Registers the class unless a class of that name is already registered under its
// instance handle. FALSE when it cannot be registered.
QX_API BOOL AfxRegisterClass(WNDCLASSW* windowClass);

// One extension module (a DLL that lends its resources to the host).
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized = FALSE;
    HMODULE hModule = nullptr;
};
// Adds the module to the end of the resource chain (once). FALSE for a null module.
QX_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Removes the module from the resource chain; nothing happens when it is not there.
QX_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state);

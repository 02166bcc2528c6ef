#include "afx/AfxModule.h"

#include <algorithm>
#include <vector>

namespace {

// Registration happens under the loader lock (DllMain) while other threads may search the
// chain, so the chain is guarded; an SRW lock needs no construction at load time.
SRWLOCK g_chainLock = SRWLOCK_INIT;
std::vector<HMODULE>& Chain() {
    static std::vector<HMODULE> chain;
    return chain;
}
HINSTANCE g_resourceHandle = nullptr;

bool Holds(HMODULE module, const wchar_t* name, const wchar_t* type) {
    return module && FindResourceW(module, name, type) != nullptr;
}

}  // namespace

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleW(nullptr); }

HINSTANCE AfxGetResourceHandle() { return g_resourceHandle ? g_resourceHandle : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE resources) { g_resourceHandle = resources; }

HINSTANCE AfxFindResourceHandle(const wchar_t* name, const wchar_t* type) {
    HINSTANCE first = AfxGetResourceHandle();
    if (Holds(first, name, type)) return first;
    AcquireSRWLockShared(&g_chainLock);
    HINSTANCE found = nullptr;
    for (HMODULE module : Chain()) {
        if (Holds(module, name, type)) {
            found = module;
            break;
        }
    }
    ReleaseSRWLockShared(&g_chainLock);
    return found ? found : first;
}

BOOL AfxRegisterClass(WNDCLASSW* windowClass) {
    if (!windowClass || !windowClass->lpszClassName) return FALSE;
    WNDCLASSW existing;
    if (GetClassInfoW(windowClass->hInstance, windowClass->lpszClassName, &existing)) return TRUE;
    return RegisterClassW(windowClass) != 0;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (!module) return FALSE;
    AcquireSRWLockExclusive(&g_chainLock);
    std::vector<HMODULE>& chain = Chain();
    if (std::find(chain.begin(), chain.end(), module) == chain.end()) chain.push_back(module);
    ReleaseSRWLockExclusive(&g_chainLock);
    state.hModule = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state) {
    if (!state.bInitialized) return;
    AcquireSRWLockExclusive(&g_chainLock);
    std::vector<HMODULE>& chain = Chain();
    chain.erase(std::remove(chain.begin(), chain.end(), state.hModule), chain.end());
    ReleaseSRWLockExclusive(&g_chainLock);
    state.bInitialized = FALSE;
    state.hModule = nullptr;
}

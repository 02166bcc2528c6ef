#include "support/AllocationFailure.h"
#include <cstdlib>

namespace {
int g_allowed = 0;
int g_failed = 0;
int g_made = 0;
bool g_once = false;

FARPROC RuntimeMalloc() { return GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), "malloc"); }

void* __cdecl MallocUntilExhausted(size_t size) {
    if (g_allowed <= 0 && !(g_once && g_failed > 0)) {
        ++g_failed;
        return nullptr;
    }
    --g_allowed;
    ++g_made;
    return malloc(size);
}
}  // namespace

AllocationFailure::AllocationFailure(int allowed, bool once)
    : patch_(L"libstdc++-6.dll", (g_allowed = allowed, g_failed = 0, g_made = 0, g_once = once, RuntimeMalloc()),
             AsFarProc(&MallocUntilExhausted)) {}

AllocationFailure::~AllocationFailure() = default;

int AllocationFailure::Failed() { return g_failed; }
int AllocationFailure::Made() { return g_made; }

#include "support/AllocationFailure.h"
#include <cstdlib>

namespace {
int g_allowed = 0;
int g_failed = 0;

FARPROC RuntimeMalloc() { return GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), "malloc"); }

void* __cdecl MallocUntilExhausted(size_t size) {
    if (g_allowed <= 0) {
        ++g_failed;
        return nullptr;
    }
    --g_allowed;
    return malloc(size);
}
}  // namespace

AllocationFailure::AllocationFailure(int allowed)
    : patch_(L"libstdc++-6.dll", (g_allowed = allowed, g_failed = 0, RuntimeMalloc()),
             reinterpret_cast<FARPROC>(&MallocUntilExhausted)) {}

AllocationFailure::~AllocationFailure() = default;

int AllocationFailure::Failed() { return g_failed; }

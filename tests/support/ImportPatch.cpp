#include "support/ImportPatch.h"

namespace {
// The import address table slot of module that holds function, or null.
FARPROC* FindSlot(HMODULE module, FARPROC function) {
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return nullptr;
    for (auto d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        for (auto t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function; ++t) {
            auto slot = reinterpret_cast<FARPROC*>(&t->u1.Function);
            if (*slot == function) return slot;
        }
    }
    return nullptr;
}
}  // namespace

ImportPatch::ImportPatch(const wchar_t* module, FARPROC original, FARPROC replacement) : original_(original) {
    HMODULE loaded = GetModuleHandleW(module);
    if (!loaded || !original) return;
    slot_ = FindSlot(loaded, original);
    if (slot_) Write(replacement);
}

ImportPatch::~ImportPatch() {
    if (slot_) Write(original_);
}

void ImportPatch::Write(FARPROC value) {
    DWORD old = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof *slot_, old, &old);
}

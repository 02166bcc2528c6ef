#pragma once
#include "platform/QxWin.h"

// Points one import of a loaded module at another function for as long as the object
// lives: the way to make a system call fail inside the library (a write on a full disk)
// where the system itself offers no way. The import table slot is found by the imported
// function's address, so the module must have bound the import already (every PE module
// has, once loaded). Valid() is false when the module or the import is not found.
class ImportPatch {
public:
    ImportPatch(const wchar_t* module, FARPROC original, FARPROC replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Valid() const { return slot_ != nullptr; }

private:
    void Write(FARPROC value);

    FARPROC* slot_ = nullptr;
    FARPROC original_;
};

// A function of any type as the FARPROC an import slot holds.
template <class Function>
FARPROC AsFarProc(Function* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

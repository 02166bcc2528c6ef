#pragma once
#include "platform/QxWin.h"

// Owns one loaded module (LoadLibraryW); frees it once. Move-only.
class QxModule {
public:
    QxModule() = default;
    explicit QxModule(HMODULE module) : module_(module) {}
    ~QxModule() { Reset(); }
    QxModule(const QxModule&) = delete;
    QxModule& operator=(const QxModule&) = delete;
    QxModule(QxModule&& other) noexcept : module_(other.Release()) {}
    QxModule& operator=(QxModule&& other) noexcept {
        if (this != &other) { Reset(); module_ = other.Release(); }
        return *this;
    }

    HMODULE Get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }
    HMODULE Release() { HMODULE m = module_; module_ = nullptr; return m; }
    void Reset() { if (module_) FreeLibrary(module_); module_ = nullptr; }
    // Null when the module is not loaded or lacks the name.
    FARPROC Proc(const char* name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }

private:
    HMODULE module_ = nullptr;
};

#pragma once
#include "runtime/Qx_Provider.h"

// A provider that runs work: it is prepared with InitObject once its environment is
// loaded.
class QX_API Qx_Worker : public Qx_Provider {
public:
    explicit Qx_Worker(Qx_EnvProvider* envProvider = nullptr, Qx_Provider* parentProvider = nullptr);
    ~Qx_Worker() override;
    Qx_Worker(const Qx_Worker&) = delete;  // as every provider
    Qx_Worker& operator=(const Qx_Worker&) = delete;

    // Prepares the worker; flags and name are accepted for callers that pass 0 and "".
    // Always 0.
    long InitObject(int flags = 0, const wchar_t* name = L"");
    bool IsInitialized() const { return initialized_; }

private:
    bool initialized_ = false;
};

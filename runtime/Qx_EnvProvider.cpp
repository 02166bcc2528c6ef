#include "runtime/Qx_EnvProvider.h"
#include "platform/QxBarrier.h"

Qx_EnvProvider::Qx_EnvProvider() = default;
Qx_EnvProvider::~Qx_EnvProvider() = default;

void Qx_EnvProvider::SetEnvStr(const wchar_t* name, const wchar_t* value) {
    QxBarrierVoid([&] {
        if (Qx_Variable* v = envs_.GetItem(name))
            v->SetString(value);
        else
            envs_.AddStr(name, value);
    });
}

const wchar_t* Qx_EnvProvider::GetEnvStr(const wchar_t* name) const {
    const Qx_Variable* v = envs_.GetItem(name);
    return v ? v->GetText() : nullptr;
}

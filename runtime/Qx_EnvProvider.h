#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_VariableList.h"

// The environment shared by the providers that point to it: string values looked up by
// name (case ignored) after a provider's own. The caller constructs it and keeps it alive
// longer than every provider that points to it.
class QX_API Qx_EnvProvider {
public:
    Qx_EnvProvider();
    ~Qx_EnvProvider();
    Qx_EnvProvider(const Qx_EnvProvider&) = delete;
    Qx_EnvProvider& operator=(const Qx_EnvProvider&) = delete;

    // Sets (or replaces) one value.
    void SetEnvStr(const wchar_t* name, const wchar_t* value);
    // Null when the name is not set.
    const wchar_t* GetEnvStr(const wchar_t* name) const;

private:
    Qx_VariableList envs_{1};
};

#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_DatasetList.h"
#include "foundation/Qx_Result.h"
#include "foundation/Qx_VariableList.h"
#include "foundation/Qx_WString.h"
#include <memory>
#include <vector>

class Qx_EnvProvider;
class Qx_AdapterComWrapper;
class Qx_SvcWrapper;
class QxStatus;

// A provider holds what one request or job works with: environment strings, variables,
// datasets, and the frame services (loaded adaptor modules) it created.
//
// Typical use, sending one request to a service server:
//
//   Qx_EnvProvider env;
//   Qx_Provider provider(&env);
//   provider.SetEnvStr(L"GROUP_NAME", L"demo");
//   provider.SetEnvStr(L"SERVICE_NAME", L"demo_customers_by_city");
//   ... (the other four request strings: SERVICE_TYPE, LISTENER_ID, REQUEST_ID, CLIENT_IP)
//   Qx_AdapterComWrapper* wrapper = nullptr;
//   if (provider.CreateFrameService(dir, L"QxTcpAdaptor320U", id, type, ver, name, wrapper, 1) != 0)
//       show provider.GetLastErrorText();           // names the module and the folder
//   else if (wrapper->SendReq(vars, datasets, L"127.0.0.1", port, 10, 1, 0) != 0)
//       show wrapper->GetLastErrorText();           // or wrapper->GetLastResult()
//   // the wrapper is released with the provider; never delete it.
class QX_API Qx_Provider {
public:
    // Both links may be null; they are not owned.
    explicit Qx_Provider(Qx_EnvProvider* envProvider = nullptr, Qx_Provider* parentProvider = nullptr);
    // Releases the frame services this provider created (their modules are unloaded).
    virtual ~Qx_Provider();
    Qx_Provider(const Qx_Provider&) = delete;
    Qx_Provider& operator=(const Qx_Provider&) = delete;

    // Where environment strings not set here are looked up: first the parent provider,
    // then the environment provider.
    Qx_EnvProvider* envProvider;
    Qx_Provider* parentProvider;

    // Sets (or replaces) one environment string.
    void SetEnvStr(const wchar_t* name, const wchar_t* value);
    // Sets the six strings every request to a service server carries: GROUP_NAME and
    // SERVICE_NAME as given, SERVICE_TYPE "NORMAL", LISTENER_ID "CLIENT", REQUEST_ID "0"
    // and CLIENT_IP "127.0.0.1".
    void SetRequestEnv(const wchar_t* group, const wchar_t* service);
    // Sets every variable of the list as an environment string (its text form), in order;
    // a name already set is replaced.
    void LoadEnvs(const Qx_VariableList& envs);
    // This provider's value, else the parent's, else the environment provider's; null when
    // none has it. Names ignore case.
    const wchar_t* GetEnvStr(const wchar_t* name) const;
    // The strings set on this provider itself.
    const Qx_VariableList& GetEnvList() const { return envs_; }

    // The provider's variables: writable, and for reading. The list holds copies.
    Qx_VariableList& GetSafeVarList() { return vars_; }
    const Qx_VariableList& GetVarList() const { return vars_; }
    // Adds a copy of dataset under id; a dataset of that id already held is replaced in
    // place. Answers its index.
    int AddDataset(const wchar_t* id, const Qx_Dataset& dataset);
    Qx_DatasetList& GetDatasetList() { return datasets_; }
    const Qx_DatasetList& GetDatasetList() const { return datasets_; }
    // Drops the environment strings, variables and datasets (frame services stay until the
    // provider is destroyed).
    void FreeAll();

    // Loads the adaptor module <dir>\<module> (".dll" added when module has no extension;
    // an empty dir loads by the system's search order) and asks its QxCreateAdaptor entry
    // point for an adaptor with the catalogue's id, type, version and name. 0 with out set
    // to a Qx_SvcWrapper owned by this provider (valid until the provider is destroyed or
    // ReleaseFrameService); otherwise a QX_RT_E_... code, out untouched, and
    // GetLastErrorText naming the module and the folder. flag is accepted for callers that
    // pass 1; every frame service lives as long as its provider.
    long CreateFrameService(const wchar_t* dir, const wchar_t* module, const wchar_t* id, const wchar_t* type, int ver,
                            const wchar_t* name, Qx_AdapterComWrapper*& out, int flag = 1);
    // Releases one frame service of this provider before the provider goes; unknown
    // pointers are ignored.
    void ReleaseFrameService(Qx_AdapterComWrapper* wrapper);

    // The outcome of the last CreateFrameService (code 0 and no message after success).
    const Qx_Result& GetLastResult() const { return lastResult_; }
    const Qx_WString& GetLastErrorText() const { return lastError_; }

protected:
    void SetLastError(long code, const Qx_WString& text);

private:
    long LoadFrameService(const wchar_t* dir, const wchar_t* module, const wchar_t* id, const wchar_t* type, int ver,
                          const wchar_t* name, Qx_AdapterComWrapper*& out);
    QxStatus LoadAdaptor(const wchar_t* dir, const wchar_t* module, const wchar_t* id, const wchar_t* type, int ver,
                         const wchar_t* name, Qx_AdapterComWrapper*& out);

private:
    Qx_VariableList envs_{1};
    Qx_VariableList vars_{1};
    Qx_DatasetList datasets_;
    std::vector<std::unique_ptr<Qx_SvcWrapper>> services_;
    Qx_Result lastResult_;
    Qx_WString lastError_;
};

#include "service/LocalExecution.h"
#include "afx/CWaitCursor.h"
#include "config/AdaptorCatalogue.h"
#include "config/QxRecords.h"
#include "foundation/Qx_File.h"
#include "platform/QxBarrier.h"
#include "runtime/Qx_EnvProvider.h"

Qx_TarnWorkerCommon::Qx_TarnWorkerCommon() : Qx_TarnWorker(nullptr, nullptr) {}

Qx_TarnWorkerCommon::~Qx_TarnWorkerCommon() = default;

long Qx_TarnWorkerCommon::ReadServiceXml(const Qx_WString& folder, const Qx_WString& name, Qx_Buffer& buffer) {
    return QxBarrier(-1L, [&] {
        Qx_WString path = folder;
        if (path.GetAt(path.GetLength() - 1) != L'\\') path += L'\\';
        path += name;
        // Only the name decides: a dot in a folder name must not suppress the extension.
        if (name.Find(L'.') < 0) path += L".xml";
        return Qx_File::ReadFile(path.c_str(), buffer) < 0 ? -1L : 0L;
    });
}

namespace {
// The environment of a local job: the adaptor and the database of the record.
void FillJobEnvironment(Qx_VariableList& envs, const SERVER_INFO& server, const ADAPTER_INFO& adapter) {
    envs.AddStr(L"_ADAPTOR_DB_", server.adaptor.c_str());
    envs.AddStr(L"_ADAPTOR_DIR_", adapter.dir.c_str());
    envs.AddStr(L"_ADAPTOR_DB_MODULE_", adapter.module.c_str());
    envs.AddStr(L"_ADAPTOR_DB_ID_", adapter.id.c_str());
    envs.AddStr(L"_ADAPTOR_DB_TYPE_", adapter.type.c_str());
    envs.AddStr(L"_ADAPTOR_DB_VER_", adapter.ver.c_str());
    envs.AddStr(L"_ADAPTOR_DB_NAME_", adapter.name.c_str());
    envs.AddStr(L"ConnectionString", server.connection_str.c_str());
    envs.AddStr(L"DBUser", server.DBUser.c_str());
    envs.AddStr(L"DBPass", server.DBPass.c_str());
    envs.AddStr(L"BindMethod", server.bindmethod.c_str());
}

// Moves the caller's inputs into the worker, leaving the caller's lists empty.
void HandOverInputs(Qx_TarnWorker& worker, Qx_VariableList& variables, Qx_DatasetList& datasets) {
    for (int i = 0; i < variables.Count(); ++i) worker.GetSafeVarList().Add(*variables.GetItemNN(i));
    variables.ReleaseList();
    for (int i = 0; i < datasets.Count(); ++i) {
        const Qx_Dataset* dataset = datasets.GetItemNN(i);
        worker.AddDataset(dataset->GetId().c_str(), *dataset);
    }
    datasets.ReleaseList();
}

// Copies the outputs the worker names into the caller's lists; names it lacks are skipped.
void CollectOutputs(Qx_TarnWorker& worker, Qx_VariableList& variables, Qx_DatasetList& datasets) {
    const Qx_WStrList& outVars = worker.GetOutVarList();
    for (int i = 0; i < outVars.Count(); ++i)
        if (const Qx_Variable* v = worker.GetVarList().GetItem(outVars.GetItemNN(i))) variables.Add(*v);
    const Qx_WStrList& outSets = worker.GetOutDSList();
    for (int i = 0; i < outSets.Count(); ++i)
        if (const Qx_Dataset* d = worker.GetDatasetList().GetItem(outSets.GetItemNN(i)))
            datasets.AddDataset(d->GetId().c_str(), *d);
}
}  // namespace

namespace {
long LoadLocalService(SERVER_INFO* server, const wchar_t* service, Qx_VariableList& variables, Qx_DatasetList& datasets,
                      int system) {
    CWaitCursor wait;
    if (!server) return -1;
    Qx_EnvProvider environment;
    ADAPTER_INFO adapter;
    Qx_VariableList envs(1);
    Qx_TarnWorker worker(nullptr, nullptr);
    worker.envProvider = &environment;
    worker.SetDebugTrace(0);
    if (qx_GetAdapterInfo(server->adaptor.c_str(), adapter) == -1) return -1;

    FillJobEnvironment(envs, *server, adapter);
    worker.LoadEnvs(envs);
    worker.InitObject(0, L"");
    long started = worker.InitJob(system ? L"_system_" : server->svc_forder.c_str(), service);
    worker.SetServicePath(server->svc_forder.c_str());
    worker.SetServiceName(service);
    if (started != 0) {
        worker.FreeAll();
        return -1;
    }
    HandOverInputs(worker, variables, datasets);

    Qx_TarnWorkerCommon definitions;
    worker.parentWorker = &definitions;
    // A failed run is reported as a failure, not as success with empty lists.
    const long ran = worker.Run(L"", L"");
    if (ran == 0) CollectOutputs(worker, variables, datasets);
    worker.EndJob();
    worker.FreeAll();
    worker.parentWorker = nullptr;
    return ran == 0 ? 0 : -1;
}
}  // namespace

long qx_LoadLocalService(SERVER_INFO* server, const wchar_t* service, Qx_VariableList& variables,
                         Qx_DatasetList& datasets, int system) {
    return QxBarrier(-1L, [&] { return LoadLocalService(server, service, variables, datasets, system); });
}

#pragma once
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_WStrList.h"
#include "runtime/Qx_Worker.h"

class QxServiceDefinition;
struct QxServiceStatement;
class QxDbAdaptor;
class QxStatus;

// Runs one service job: reads the service's definition (ServiceDefinition.md), checks
// its inputs (the worker's variables and datasets), runs its statements through the
// database adaptor that the environment names, and leaves the outputs in the worker.
//
// The database comes from these environment strings (LoadEnvs / SetEnvStr, or the
// parent provider / environment provider): "_ADAPTOR_DIR_" and "_ADAPTOR_DB_MODULE_"
// (the module to load, e.g. QxOdbcAdaptor320U), "_ADAPTOR_DB_ID_", "_ADAPTOR_DB_TYPE_",
// "_ADAPTOR_DB_VER_", "_ADAPTOR_DB_NAME_" (handed to the module), "ConnectionString",
// "DBUser", "DBPass". "BindMethod" is read by nobody: inputs are always bound as statement
// parameters, so that no input text can change a statement.
//
// A job, in order:
//   Qx_TarnWorker worker;                       // no environment provider, no parent
//   worker.envProvider = &env;  worker.SetDebugTrace(0);
//   worker.LoadEnvs(envs);  worker.InitObject(0, L"");
//   if (worker.InitJob(group, service) != 0) ... refused
//   worker.SetServicePath(folder);  worker.SetServiceName(service);
//   worker.GetSafeVarList().Add(...);  worker.AddDataset(id, ds);     // inputs
//   worker.parentWorker = &definitionReader;    // optional: reads definitions
//   if (worker.Run(L"", L"") == 0) read GetOutVarList / GetOutDSList names in
//       GetVarList / GetDatasetList;  else GetResultCode / GetResultMsg
//   worker.EndJob();  worker.FreeAll();
class QX_API Qx_TarnWorker : public Qx_Worker {
public:
    explicit Qx_TarnWorker(Qx_EnvProvider* envProvider = nullptr, Qx_TarnWorker* parentWorker = nullptr);
    ~Qx_TarnWorker() override;
    Qx_TarnWorker(const Qx_TarnWorker&) = delete;  // as every provider
    Qx_TarnWorker& operator=(const Qx_TarnWorker&) = delete;

    // When set, Run asks this worker (its ReadServiceXml) for the definition; otherwise the
    // worker reads it itself. Not owned.
    Qx_TarnWorker* parentWorker;

    // 0: no trace; above 0: every statement run is written with OutputDebugString.
    void SetDebugTrace(int level) { debugTrace_ = level; }

    // Opens a job for service in group. 0 when it can start; -1 when the group or the
    // service name is empty, or the name could leave its folder ("." or "..", a '\\',
    // '/' or ':' in it). Sets the service name too.
    long InitJob(const wchar_t* group, const wchar_t* service);
    // The folder of the service definitions, and the service to run.
    void SetServicePath(const wchar_t* folder) { servicePath_ = folder; }
    void SetServiceName(const wchar_t* name) { serviceName_ = name; }
    const Qx_WString& GetGroup() const { return group_; }
    const Qx_WString& GetServicePath() const { return servicePath_; }
    const Qx_WString& GetServiceName() const { return serviceName_; }

    // Runs the service. 0 on success: its output variables and datasets are in this worker
    // and named by GetOutVarList and GetOutDSList. Otherwise a QX_RT_E_... code, with
    // GetResultMsg saying why; the statements' changes are rolled back and no outputs are
    // named. The two texts are accepted for callers that pass "" and "".
    long Run(const wchar_t* entry = L"", const wchar_t* options = L"");

    // The names of the last successful run's outputs, in the definition's order (an output
    // the service never set is named but absent from the lists).
    const Qx_WStrList& GetOutVarList() const { return outVars_; }
    const Qx_WStrList& GetOutDSList() const { return outDatasets_; }
    long GetResultCode() const { return resultCode_; }
    // Empty after success.
    const Qx_WString& GetResultMsg() const { return resultMsg_; }

    // Closes the job: the database connection is released. Always 0.
    long EndJob();

    // Reads a definition into buffer: <folder>\<name>, with ".xml" appended when the name
    // holds no '.'. 0 when read, -1 when not. Derived classes read definitions elsewhere.
    virtual long ReadServiceXml(const Qx_WString& folder, const Qx_WString& name, Qx_Buffer& buffer);

private:
    QxStatus RunJob();
    long Finish(long code, const Qx_WString& message);
    QxStatus CheckInputs(const QxServiceDefinition& def);
    QxStatus OpenDatabase(QxDbAdaptor*& db);
    QxStatus RunStatements(const QxServiceDefinition& def, QxDbAdaptor* db);
    QxStatus RunStatement(const QxServiceDefinition& def, const QxServiceStatement& st, int number, QxDbAdaptor* db);
    void SetVariable(const Qx_WString& name, const Qx_Variant& value);
    void Trace(const Qx_WString& text) const;

    int debugTrace_ = 0;
    bool jobOpen_ = false;
    Qx_WString group_;
    Qx_WString servicePath_;
    Qx_WString serviceName_;
    Qx_WStrList outVars_;
    Qx_WStrList outDatasets_;
    long resultCode_ = 0;
    Qx_WString resultMsg_;
    Qx_AdapterComWrapper* database_ = nullptr;  // frame service of the database adaptor
};

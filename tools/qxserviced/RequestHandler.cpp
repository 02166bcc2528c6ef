#include "RequestHandler.h"
#include "runtime/internal/QxRuntimeText.h"
#include <utility>

using qxrt::operator+;

namespace {

// Lets the running worker read definitions from the server's folder; the definition of
// the service being run was read already, before its inputs were handed over.
class FolderDefinitions : public Qx_TarnWorker {
public:
    FolderDefinitions(const ServiceFolder& folder, const Qx_WString& service, const Qx_Buffer& definition)
        : folder_(folder), service_(service), definition_(definition) {}
    long ReadServiceXml(const Qx_WString&, const Qx_WString& name, Qx_Buffer& buffer) override {
        if (name == service_) {
            buffer = definition_;
            return 0;
        }
        return folder_.ReadDefinition(name, buffer).ok() ? 0 : -1;
    }

private:
    const ServiceFolder& folder_;
    const Qx_WString& service_;
    const Qx_Buffer& definition_;
};

void Fail(ServerReply& reply, long code, const Qx_WString& message) {
    reply.code = code;
    reply.messages.Add(message.c_str());
}

Qx_WString EnvText(const Qx_VariableList& env, const wchar_t* name) {
    const Qx_Variable* v = env.GetItem(name);
    return v ? v->ToString() : Qx_WString();
}

}  // namespace

void RequestHandler::Handle(const Qx_VariableList& env, Qx_VariableList& variables, Qx_DatasetList& datasets,
                            ServerReply& reply) const {
    Qx_WString service = EnvText(env, L"SERVICE_NAME");
    if (service == L"dbm_svc_get_svclist")
        ListServices(reply);
    else if (service == L"dbm_svc_load_svc")
        LoadService(datasets, reply);
    else
        RunService(EnvText(env, L"GROUP_NAME"), service, variables, datasets, reply);
    for (int i = 0; i < reply.datasets.Count(); ++i) reply.rows += reply.datasets.GetItemNN(i)->GetRowCount();
}

void RequestHandler::ListServices(ServerReply& reply) const {
    Qx_Dataset output(L"output");
    if (!folder_.ListSources(output).ok()) {
        Fail(reply, QX_RT_E_FAIL, Qx_WString(L"The service folder cannot be listed."));
        return;
    }
    reply.datasets.AddDataset(L"output", std::move(output));
}

void RequestHandler::LoadService(const Qx_DatasetList& datasets, ServerReply& reply) const {
    const Qx_Dataset* input = datasets.GetItem(L"input");
    const Qx_Variant* name = input ? input->GetColumn(0, L"name") : nullptr;
    if (!name) {
        Fail(reply, QX_RT_E_INPUT, Qx_WString(L"dbm_svc_load_svc needs an \"input\" dataset with a \"name\"."));
        return;
    }
    Qx_WString text;
    const QxStatus read = folder_.ReadSource(name->ToString(), text);
    if (!read.ok()) {
        Fail(reply, QX_RT_E_NO_DEFINITION,
             Qx_WString(L"Service source \"") + name->ToString() + L"\": " + read.reason().c_str());
        return;
    }
    // Clients decode the value from the ANSI code page.
    Qx_AString bytes(text, 0);
    Qx_Dataset output(L"output");
    output.AddColumn(L"value", QX_VT_BINARY, bytes.GetLength(), 1);
    Qx_Variant value;
    value.SetBinary(bytes.GetSafeBuffer(), bytes.GetLength());
    output.SetColumn(output.AppendRow(), L"value", value);
    reply.datasets.AddDataset(L"output", std::move(output));
}

void RequestHandler::RunService(const Qx_WString& group, const Qx_WString& service, Qx_VariableList& variables,
                                Qx_DatasetList& datasets, ServerReply& reply) const {
    if (!ServiceFolder::IsSafeName(service)) {
        Fail(reply, QX_RT_E_JOB, Qx_WString(L"Refused: invalid service name \"") + service + L"\".");
        return;
    }
    // An unknown service costs no copy of its inputs.
    Qx_Buffer definition;
    if (!folder_.ReadDefinition(service, definition).ok()) {
        Fail(reply, QX_RT_E_NO_DEFINITION, Qx_WString(L"No such service: \"") + service + L"\".");
        return;
    }
    Qx_VariableList envs(1);
    envs.AddStr(L"_ADAPTOR_DIR_", config_.adaptorDir.c_str());
    envs.AddStr(L"_ADAPTOR_DB_MODULE_", config_.dbModule.c_str());
    envs.AddStr(L"ConnectionString", config_.connection.c_str());
    envs.AddStr(L"DBUser", config_.user.c_str());
    envs.AddStr(L"DBPass", config_.password.c_str());
    const std::pair<const wchar_t*, long long> limits[] = {
        {L"DBLoginTimeout", config_.dbLoginTimeout}, {L"DBQueryTimeout", config_.dbQueryTimeout},
        {L"DBMaxRows", config_.dbMaxRows},           {L"DBMaxBytes", config_.dbMaxBytes},
        {L"DBMaxRowRuns", config_.dbMaxRowRuns},     {L"DBPoolSeconds", config_.dbPoolSeconds}};
    for (const auto& limit : limits)
        if (limit.second > 0) envs.AddStr(limit.first, std::to_wstring(limit.second).c_str());
    Qx_EnvProvider env;
    Qx_TarnWorker worker;
    worker.envProvider = &env;
    worker.SetDebugTrace(0);
    worker.LoadEnvs(envs);
    worker.InitObject(0, L"");
    if (worker.InitJob(group.c_str(), service.c_str()) != 0) {
        Fail(reply, QX_RT_E_JOB,
             Qx_WString(L"The job cannot start: group \"") + group + L"\", service \"" + service + L"\".");
        return;
    }
    worker.SetServicePath(config_.services.c_str());
    worker.SetServiceName(service.c_str());
    for (int i = 0; i < variables.Count(); ++i) worker.GetSafeVarList().Add(*variables.GetItemNN(i));
    for (int i = 0; i < datasets.Count(); ++i)
        worker.AddDataset(datasets.GetItemNN(i)->GetId().c_str(), *datasets.GetItemNN(i));
    FolderDefinitions definitions(folder_, service, definition);
    worker.parentWorker = &definitions;
    long rc = worker.Run(L"", L"");
    if (rc != 0) {
        Fail(reply, rc, worker.GetResultMsg());
    } else {
        const Qx_WStrList& outVars = worker.GetOutVarList();
        for (int i = 0; i < outVars.Count(); ++i)
            if (const Qx_Variable* v = worker.GetVarList().GetItem(outVars.GetItemNN(i))) reply.variables.Add(*v);
        const Qx_WStrList& outDatasets = worker.GetOutDSList();
        for (int i = 0; i < outDatasets.Count(); ++i)
            if (const Qx_Dataset* ds = worker.GetDatasetList().GetItem(outDatasets.GetItemNN(i)))
                reply.datasets.AddDataset(ds->GetId().c_str(), *ds);
    }
    worker.EndJob();
    worker.FreeAll();
}

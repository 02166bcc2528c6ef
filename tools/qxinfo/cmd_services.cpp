// qxinfo services SERVER [--local]          the services of a server, or of its local folder
// qxinfo definition SERVER SERVICE          a service's XML definition
// qxinfo run SERVER SERVICE [NAME=VALUE ...] [--dataset ID=FILE.csv ...] [--system]
//                                           runs a service: in-process for a local record,
//                                           on the server otherwise; prints its outputs
// SERVER is the "name" of an entry of qrx_serverenv.xml.
#include "Commands.h"
#include "Csv.h"
#include "ServerRecords.h"
#include "Table.h"

namespace {
struct ServiceList {
    Qx_PtrList list;
    ~ServiceList() { qx_ClearSvcList(list); }
};

SERVER_INFO* FindOrComplain(QxServerRecords& records, const std::wstring& name) {
    records.ReadAll();
    SERVER_INFO* server = records.Find(name);
    if (!server) QxPrintError(L"no environment named \"" + name + L"\" in qrx_serverenv.xml");
    return server;
}

int ListServices(const std::vector<std::wstring>& args) {
    if (args.empty()) return 2;
    QxServerRecords records;
    SERVER_INFO* server = FindOrComplain(records, args[0]);
    if (!server) return 1;
    const bool fromServer = server->remote != 0 && !(args.size() > 1 && args[1] == L"--local");
    ServiceList services;
    if (qx_GetSvcList(server, services.list, fromServer) != 0) return 1;
    QxPrintLine(std::wstring(L"Services of \"") + server->name.c_str() + L"\" " +
                (fromServer ? L"from the server" : L"from " + server->svc_forder.str()));
    QxTable table({L"name", L"class_name", L"size", L"date", L"time"});
    for (int i = 0; i < services.list.Count(); ++i) {
        const SVC_INFO& s = *static_cast<const SVC_INFO*>(services.list.Items(i));
        table.AddRow({s.name.str(), s.class_name.str(), s.size.str(), s.date.str(), s.time.str()});
    }
    table.Print();
    if (!fromServer && !Qx_Dir::IsExist(server->svc_forder.c_str()))
        QxPrintError(L"the service folder \"" + server->svc_forder.str() +
                     L"\" does not exist (relative paths lead from " + QxCurrentFolder() + L")");
    return 0;
}

int PrintDefinition(const std::vector<std::wstring>& args) {
    if (args.size() < 2) return 2;
    QxServerRecords records;
    SERVER_INFO* server = FindOrComplain(records, args[0]);
    if (!server) return 1;
    Qx_WString definition;
    if (qx_GetSvcSource(server, args[1].c_str(), definition) != 0) {
        QxPrintError(L"the definition of \"" + args[1] + L"\" could not be fetched");
        return 1;
    }
    QxPrint(definition.str());
    if (!definition.IsEmpty() && definition.GetAt(definition.GetLength() - 1) != L'\n') QxPrintLine();
    return 0;
}

// NAME=VALUE variables, --dataset ID=FILE datasets and --system; false on a bad argument.
bool ParseInputs(const std::vector<std::wstring>& args, Qx_VariableList& vars, Qx_DatasetList& datasets, bool& system) {
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == L"--system") {
            system = true;
            continue;
        }
        const bool isDataset = args[i] == L"--dataset";
        const std::wstring& item = isDataset ? (i + 1 < args.size() ? args[++i] : std::wstring()) : args[i];
        size_t eq = item.find(L'=');
        if (eq == std::wstring::npos || eq == 0) {
            QxPrintError(L"expected NAME=VALUE, got \"" + item + L"\"");
            return false;
        }
        const std::wstring name = item.substr(0, eq), value = item.substr(eq + 1);
        if (!isDataset) {
            vars.AddStr(name.c_str(), value.c_str());
            continue;
        }
        Qx_Dataset dataset;
        std::wstring why;
        if (!QxReadCsvDataset(value, dataset, why)) {
            QxPrintError(why);
            return false;
        }
        datasets.AddDataset(name.c_str(), dataset);
    }
    return true;
}

void PrintOutputs(const Qx_VariableList& vars, const Qx_DatasetList& datasets) {
    QxTable variables({L"variable", L"value"});
    for (int i = 0; i < vars.Count(); ++i)
        variables.AddRow({vars.GetItemNN(i)->GetName().str(), vars.GetItemNN(i)->ToString().str()});
    variables.Print();
    for (int d = 0; d < datasets.Count(); ++d) {
        const Qx_Dataset& ds = *datasets.GetItemNN(d);
        QxPrintLine();
        QxPrintLine(L"Dataset \"" + ds.GetId().str() + L"\" (" + std::to_wstring(ds.GetRowCount()) + L" rows)");
        std::vector<std::wstring> headers;
        for (int c = 0; c < ds.GetColumnCount(); ++c) headers.push_back(ds.GetColumnInfo(c)->name.str());
        QxTable table(headers);
        for (int r = 0; r < ds.GetRowCount(); ++r) {
            std::vector<std::wstring> cells;
            for (int c = 0; c < ds.GetColumnCount(); ++c)
                cells.push_back(ds.GetColumn(r, nullptr, c)->ToString().str());
            table.AddRow(cells);
        }
        table.Print();
    }
}

// Why a local run failed, where the host can tell: an adaptor the catalogue lacks, a
// service folder that is not there, a definition that is not in it.
void ExplainLocalFailure(const SERVER_INFO& server, const std::wstring& service) {
    ADAPTER_INFO adaptor;
    if (qx_GetAdapterInfo(server.adaptor.c_str(), adaptor) != 0) {
        QxPrintError(L"the adaptor \"" + server.adaptor.str() + L"\" is not in qrx_adaptor.xml");
        return;
    }
    std::wstring folder = server.svc_forder.str();
    if (folder.empty() || !Qx_Dir::IsExist(folder.c_str())) {
        QxPrintError(L"the service folder \"" + folder + L"\" does not exist (relative paths lead from " +
                     QxCurrentFolder() + L")");
        return;
    }
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    const std::wstring file = folder + service + (service.find(L'.') == std::wstring::npos ? L".xml" : L"");
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        QxPrintError(L"there is no definition \"" + file + L"\"");
        return;
    }
    QxPrintError(L"the service's definition was read; its statements or its database failed");
}

int RunService(const std::vector<std::wstring>& args) {
    if (args.size() < 2) return 2;
    QxServerRecords records;
    SERVER_INFO* server = FindOrComplain(records, args[0]);
    if (!server) return 1;
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    bool system = false;
    if (!ParseInputs(args, vars, datasets, system)) return 2;
    const bool local = server->remote == 0;
    long rc = local ? qx_LoadLocalService(server, args[1].c_str(), vars, datasets, system ? 1 : 0)
                    : qx_LoadServerService(server, Qx_WString(args[1].c_str()), vars, datasets, L"BIN", 2);
    QxPrintLine(L"Ran \"" + args[1] + L"\" " + (local ? L"locally" : L"on the server") + L": " +
                (rc == 0 ? L"success" : L"failed"));
    if (rc != 0) {
        if (local) ExplainLocalFailure(*server, args[1]);
        return 1;
    }
    PrintOutputs(vars, datasets);
    return 0;
}

QxCommandRegistrar listing({L"services", L"services SERVER [--local]  list a server's or its local folder's services",
                            ListServices});
QxCommandRegistrar definition({L"definition", L"definition SERVER SERVICE  print a service's XML definition",
                               PrintDefinition});
QxCommandRegistrar running(
    {L"run", L"run SERVER SERVICE [NAME=VALUE ...] [--dataset ID=FILE.csv ...] [--system]  run a service", RunService});
}  // namespace

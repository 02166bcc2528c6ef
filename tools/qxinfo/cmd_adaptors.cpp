// qxinfo adaptors [KEY]: the adaptor catalogue of qrx_adaptor.xml and the component folder
// that a lookup by key gives. qxinfo modules: the environment modules of qrx_environment.xml.
#include "Commands.h"
#include "Table.h"
#include "QxQVInfo320U.h"

namespace {

// Frees the records at the end of the command whatever happens.
struct AdaptorList {
    Qx_PtrList list;
    ~AdaptorList() { qx_ClearAdapterInfoList(list); }
    const ADAPTER_INFO& At(int i) const { return *static_cast<const ADAPTER_INFO*>(list.Items(i)); }
};

// The library has no clear operation for environment modules: the host deletes them.
struct ModuleList {
    Qx_PtrList list;
    ~ModuleList() {
        for (int i = 0; i < list.Count(); ++i) delete static_cast<ENVIRONMENT_INFO*>(list.Items(i));
        list.Clear();
    }
    const ENVIRONMENT_INFO& At(int i) const { return *static_cast<const ENVIRONMENT_INFO*>(list.Items(i)); }
};

// What a lookup by key answers, as service access would see it.
bool PrintLookup(const std::wstring& key) {
    ADAPTER_INFO found;
    if (qx_GetAdapterInfo(key.c_str(), found) != 0) {
        QxPrintLine(L"Lookup of \"" + key + L"\": not in the catalogue");
        return false;
    }
    QxPrintLine(L"Lookup of \"" + key + L"\": module " + found.module.str() + L" from component folder " +
                found.dir.str());
    return true;
}

int RunAdaptors(const std::vector<std::wstring>& args) {
    AdaptorList adaptors;
    const bool ok = qx_ReadAdapterInformation(adaptors.list) == 0;
    QxPrintLine(L"Working directory: " + QxHostWorkingDir());
    QxPrintLine();
    QxPrintLine(L"Adaptor catalogue");
    QxTable table({L"adaptor", L"module", L"id", L"type", L"name", L"ver", L"dir"});
    for (int i = 0; i < adaptors.list.Count(); ++i) {
        const ADAPTER_INFO& a = adaptors.At(i);
        table.AddRow(
            {a.adaptor.str(), a.module.str(), a.id.str(), a.type.str(), a.name.str(), a.ver.str(), a.dir.str()});
    }
    table.Print();
    if (!ok) {
        QxPrintError(L"qrx_adaptor.xml could not be read completely");
        return 1;
    }
    QxPrintLine();
    if (!args.empty()) return PrintLookup(args[0]) ? 0 : 1;
    // The component folder comes from the tool's settings, whichever adaptor is looked up.
    if (adaptors.list.Count() == 0) {
        QxPrintLine(L"Component folder: (no adaptor to look up)");
        return 0;
    }
    ADAPTER_INFO found;
    qx_GetAdapterInfo(adaptors.At(0).adaptor, found);
    QxPrintLine(L"Component folder used by lookups: " + found.dir.str());
    return 0;
}

int RunModules(const std::vector<std::wstring>&) {
    ModuleList modules;
    const bool ok = qx_ReadEnvironmentList(modules.list);
    QxPrintLine(L"Working directory: " + QxHostWorkingDir());
    QxPrintLine();
    QxPrintLine(L"Environment modules");
    QxTable table({L"name", L"module"});
    for (int i = 0; i < modules.list.Count(); ++i) table.AddRow({modules.At(i).name.str(), modules.At(i).module.str()});
    table.Print();
    if (!ok) QxPrintError(L"qrx_environment.xml could not be read completely");
    return ok ? 0 : 1;
}

QxCommandRegistrar adaptorsCommand(
    {L"adaptors",
     L"adaptors [KEY]          list the adaptor catalogue and the component folder a lookup (of KEY) gives",
     RunAdaptors});
QxCommandRegistrar modulesCommand({L"modules", L"modules                 list the environment modules", RunModules});
}  // namespace

// qxinfo environments: the local, AspJsp and server environments of qrx_serverenv.xml.
#include "Commands.h"
#include "ServerRecords.h"
#include "Table.h"
#include "QxQVInfo320U.h"

namespace {
// Passwords are never shown: a set password prints as asterisks of a fixed length.
std::wstring Masked(const Qx_WString& password) { return password.IsEmpty() ? L"" : L"********"; }

bool PrintLocal() {
    QxServerRecords servers;
    bool ok = qx_ReadLocalList(servers.List());
    QxPrintLine(L"Local environments");
    QxTable table({L"name", L"adaptor", L"bindmethod", L"svc_forder", L"connection_str", L"DBUser", L"DBPass"});
    for (int i = 0; i < servers.Count(); ++i) {
        const SERVER_INFO& s = servers.At(i);
        table.AddRow({s.name.str(), s.adaptor.str(), s.bindmethod.str(), s.svc_forder.str(), s.connection_str.str(),
                      s.DBUser.str(), Masked(s.DBPass)});
    }
    table.Print();
    return ok;
}

bool PrintAspJsp() {
    QxServerRecords servers;
    bool ok = qx_ReadAspJspList(servers.List());
    QxPrintLine(L"AspJsp servers");
    QxTable table({L"name", L"PrgmType", L"baseurl", L"DbType", L"connection_str"});
    for (int i = 0; i < servers.Count(); ++i) {
        const SERVER_INFO& s = servers.At(i);
        table.AddRow({s.name.str(), s.PrgmType.str(), s.baseurl.str(), s.DbType.str(), s.connection_str.str()});
    }
    table.Print();
    return ok;
}

bool PrintServers() {
    QxServerRecords servers;
    bool ok = qx_ReadServerList(servers.List());
    QxPrintLine(L"Service servers");
    QxTable table({L"name", L"grpname", L"ip", L"port", L"adaptor", L"PrgmType", L"TimeOut", L"DBUser", L"DBPass"});
    for (int i = 0; i < servers.Count(); ++i) {
        const SERVER_INFO& s = servers.At(i);
        table.AddRow({s.name.str(), s.grpname.str(), s.ip.str(), s.port.str(), s.adaptor.str(), s.PrgmType.str(),
                      s.TimeOut.str(), s.DBUser.str(), Masked(s.DBPass)});
    }
    table.Print();
    return ok;
}

int Run(const std::vector<std::wstring>&) {
    QxPrintLine(L"Working directory: " + QxHostWorkingDir());
    QxPrintLine();
    bool ok = PrintLocal();
    QxPrintLine();
    ok = PrintAspJsp() && ok;
    QxPrintLine();
    ok = PrintServers() && ok;
    if (!ok) QxPrintError(L"qrx_serverenv.xml could not be read completely");
    return ok ? 0 : 1;
}

QxCommandRegistrar registrar({L"environments",
                              L"environments            list the local, AspJsp and server environments", Run});
}  // namespace

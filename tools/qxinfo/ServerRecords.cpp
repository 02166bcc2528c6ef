#include "ServerRecords.h"

bool QxServerRecords::ReadAll() {
    bool ok = qx_ReadLocalList(list_);
    ok = qx_ReadAspJspList(list_) && ok;
    return qx_ReadServerList(list_) && ok;
}

SERVER_INFO* QxServerRecords::Find(const std::wstring& name) {
    for (int i = 0; i < list_.Count(); ++i) {
        SERVER_INFO* server = static_cast<SERVER_INFO*>(list_.Items(i));
        if (server && server->name == name.c_str()) return server;
    }
    return nullptr;
}

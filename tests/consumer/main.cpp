// A host of the library: reads the demo environments and shows a member's tip text.
//   qxconsumer <working directory>
#include "QxQVInfo320U.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    qx_SetWorkingDir(argv[1]);
    Qx_PtrList local, servers;
    const bool read = qx_ReadLocalList(local) && qx_ReadServerList(servers);
    for (Qx_PtrList* list : {&local, &servers}) {
        for (int i = 0; i < list->Count(); ++i) {
            const SERVER_INFO* s = static_cast<const SERVER_INFO*>(list->Items(i));
            wprintf(L"environment: %ls\n", s->name.c_str());
        }
    }
    qx_ClearServerInformation(local);
    qx_ClearServerInformation(servers);

    Qx_WString members(argv[1]);
    members += L"\\members.xml";
    CObjectList catalogue;
    const int loaded = catalogue.ReadMemberList(members.c_str());
    CString tip;
    catalogue.GetParameterStr(L"Customer", L"Load", tip, 0);
    catalogue.ClearObject();
    wprintf(L"tip: %ls\n", tip.GetString());
    return read && loaded && !tip.IsEmpty() ? 0 : 1;
}

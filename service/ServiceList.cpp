#include "service/ServiceList.h"
#include "config/QxRecords.h"
#include "foundation/QxHandOver.h"
#include "foundation/Qx_Dir.h"
#include "platform/QxBarrier.h"
#include "service/ServerExecution.h"
#include <memory>
#include <utility>

namespace {
// The columns of the server's list that a record takes, found once for all rows.
struct ListColumns {
    int name, className, size, date, time;
    explicit ListColumns(const Qx_Dataset& list)
        : name(list.FindColumn(L"name")),
          className(list.FindColumn(L"class_name")),
          size(list.FindColumn(L"size")),
          date(list.FindColumn(L"date")),
          time(list.FindColumn(L"time")) {}
};

// A cell's text; a column the list lacks gives the empty text.
Qx_WString CellText(const Qx_Variant* row, int column) { return column < 0 ? Qx_WString() : row[column].ToString(); }

// A new record for one listed service of server, identity filled, description empty.
std::unique_ptr<SVC_INFO> NewRecord(const SERVER_INFO& server, const Qx_WString& name) {
    std::unique_ptr<SVC_INFO> info(new SVC_INFO);
    info->grpname = server.grpname;
    info->svrname = server.name;
    info->name = name;
    info->desc_num1 = info->desc_num2 = info->desc_num3 = info->desc_num4 = 0;
    return info;
}

long ListFromServer(SERVER_INFO& server, Qx_PtrList& list) {
    Qx_VariableList variables(1);
    Qx_DatasetList datasets;
    if (qx_LoadServerService(&server, Qx_WString(L"dbm_svc_get_svclist"), variables, datasets, L"BIN", 2) != 0)
        return -1;
    const Qx_Dataset* output = datasets.GetItem(L"output");
    if (!output) return 0;
    const ListColumns columns(*output);
    for (int row = 0; row < output->GetRowCount(); ++row) {
        const Qx_Variant* cells = output->GetRowCells(row);
        Qx_WString name = CellText(cells, columns.name);
        name.Replace(L".cpp", L"");
        std::unique_ptr<SVC_INFO> info = NewRecord(server, name);
        info->class_name = CellText(cells, columns.className);
        info->size = CellText(cells, columns.size);
        info->date = CellText(cells, columns.date);
        info->time = CellText(cells, columns.time);
        QxHandOver(list, std::move(info));
    }
    return 0;
}

long ListFromFolder(const SERVER_INFO& server, Qx_PtrList& list) {
    // No folder set lists nothing (rather than whatever the current folder holds).
    if (server.svc_forder.IsEmpty()) return 0;
    Qx_WString folder = server.svc_forder;
    if (folder.GetAt(folder.GetLength() - 1) != L'\\') folder += L'\\';
    Qx_WStrList names;
    const int count = Qx_Dir::GetList(folder.c_str(), names, L"xml");
    for (int i = 0; i < count; ++i) {
        const Qx_WString* file = names.GetItem(i);
        if (!file) continue;
        Qx_WString name = file->Left(file->GetLength() - 4);
        name.Replace(L".xml", L"");
        QxHandOver(list, NewRecord(server, name));
    }
    return 0;
}
}  // namespace

namespace {
long ListServices(SERVER_INFO* server, Qx_PtrList& list, bool fromServer) {
    if (!server) return -1;
    return fromServer ? ListFromServer(*server, list) : ListFromFolder(*server, list);
}
}  // namespace

long qx_GetSvcList(SERVER_INFO* server, Qx_PtrList& list, bool fromServer) {
    return QxBarrier(-1L, [&] { return ListServices(server, list, fromServer); });
}

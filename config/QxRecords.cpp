#include "config/QxRecords.h"
#include "foundation/QxStringFunctions.h"

namespace {
// Deletes every non-null record of list as a T, then empties the list.
template <class T>
void ClearRecords(Qx_PtrList& list) {
    const int count = list.Count();
    for (int i = 0; i < count; ++i) delete static_cast<T*>(list.Items(i));
    list.Clear();
}

// Deletes the entries of one description list; the count is read again at every step.
template <class T>
void DeleteEntries(Qx_PtrList& list) {
    for (int i = 0; i < list.Count(); ++i) delete static_cast<T*>(list.Items(i));
}
}  // namespace

void qx_ClearServerInformation(Qx_PtrList& list) { ClearRecords<SERVER_INFO>(list); }
void qx_ClearAdapterInfoList(Qx_PtrList& list) { ClearRecords<ADAPTER_INFO>(list); }
void qx_ClearSvcList(Qx_PtrList& list) { ClearRecords<SVC_INFO>(list); }

void qx_InitSvcInfo(SVC_INFO* info) {
    if (!info) return;
    info->desc_text1.Empty();
    info->desc_text3.Empty();
    DeleteEntries<SVC_DESC4>(info->desc_list2);
    DeleteEntries<SVC_DESC10>(info->desc_list1);
    DeleteEntries<DATASET_INFO>(info->desc_list3);
    info->desc_num2 = 0;
    info->desc_num3 = 0;
    info->desc_list1.Clear();
    info->desc_list2.Clear();
    info->desc_list3.Clear();
    info->desc_num7 = info->desc_num8 = info->desc_num9 = info->desc_num10 = info->desc_num11 = 0;
}

DATASET_INFO* qx_GetDatasetInfo(Qx_PtrList& list, const wchar_t* name) {
    const int count = list.Count();
    for (int i = 0; i < count; ++i) {
        DATASET_INFO* info = static_cast<DATASET_INFO*>(list.Items(i));
        if (info && qx_stricmpW(info->name.c_str(), name) == 0) return info;
    }
    return nullptr;
}

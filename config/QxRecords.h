#pragma once
// The plain configuration records. Constructors build the strings and lists empty;
// integer fields start at 0. Destroying a record never frees what its lists point to.
#include "platform/QxExport.h"
#include "foundation/Qx_Dataset.h"
#include "foundation/Qx_PtrList.h"
#include "foundation/Qx_VariableList.h"
#include "foundation/Qx_WStrList.h"
#include "foundation/Qx_WString.h"

// One configured environment: a local environment, an AspJsp server or a service server.
struct QX_API SERVER_INFO {
    Qx_WString name;
    Qx_WString grpname;
    Qx_WString ip;
    Qx_WString port;
    Qx_WString DBUser;
    Qx_WString DBPass;
    Qx_WString connection_str;
    Qx_WString svc_forder;
    Qx_WString adaptor;
    Qx_WString bindmethod;
    int state = 0;
    int remote = 0;       // 0: local group; 1: AspJsp and server groups
    Qx_PtrList hostList;  // the host's; never filled or freed by the library
    Qx_WString PrgmType;
    Qx_WString TimeOut;
    Qx_WString baseurl;
    Qx_WString DbType;
    Qx_WString extra;
};

// One data adaptor of the adaptor catalogue.
struct QX_API ADAPTER_INFO {
    Qx_WString adaptor;
    Qx_WString dir;
    Qx_WString module;
    Qx_WString id;
    Qx_WString type;
    Qx_WString name;
    Qx_WString ver;
};

// One environment module.
struct QX_API ENVIRONMENT_INFO {
    Qx_WString name;
    Qx_WString module;
};

// Description entries of a service; their meaning is the host's.
struct QX_API SVC_DESC10 {
    Qx_WString value1, value2, value3, value4, value5, value6, value7, value8, value9, value10;
};

struct QX_API SVC_DESC4 {
    Qx_WString value1, value2, value3, value4;
};

// The description of one dataset of a service.
struct QX_API DATASET_INFO {
    Qx_WString name;
    Qx_WString desc_text1;
    Qx_WString desc_text2;
    Qx_WString desc_text3;
    Qx_VariableList varList{1};
    Qx_WStrList strList;
    Qx_Dataset dataset;
};

// One service of a service list. Fields 1-7 identify it; the rest is the host's description.
struct QX_API SVC_INFO {
    Qx_WString grpname;
    Qx_WString svrname;
    Qx_WString name;
    Qx_WString class_name;
    Qx_WString size;
    Qx_WString date;
    Qx_WString time;
    Qx_WString desc_text1;
    Qx_WString desc_text2;
    Qx_WString desc_text3;
    Qx_WString desc_text4;
    Qx_WString desc_text5;
    Qx_PtrList desc_list1;  // SVC_DESC10*
    Qx_PtrList desc_list2;  // SVC_DESC4*
    Qx_PtrList desc_list3;  // DATASET_INFO*
    Qx_PtrList desc_list4;  // the host's; never emptied by the library
    int desc_num1 = 0;
    int desc_num2 = 0;
    int desc_num3 = 0;
    int desc_num4 = 0;
    int desc_num5 = 0;
    int desc_num6 = 0;
    int desc_num7 = 0;
    int desc_num8 = 0;
    int desc_num9 = 0;
    int desc_num10 = 0;
    int desc_num11 = 0;
};

// Each destroys and deletes every non-null record of the list, then empties the list.
QX_API void qx_ClearServerInformation(Qx_PtrList& list);
QX_API void qx_ClearAdapterInfoList(Qx_PtrList& list);
QX_API void qx_ClearSvcList(Qx_PtrList& list);
// Frees the entries of desc_list1..3 and empties the description part of one record
// (desc_text1, desc_text3, desc_num2, desc_num3, desc_num7..11). Null is ignored.
QX_API void qx_InitSvcInfo(SVC_INFO* info);
// The first record whose name equals name, case ignored; null when none.
QX_API DATASET_INFO* qx_GetDatasetInfo(Qx_PtrList& list, const wchar_t* name);

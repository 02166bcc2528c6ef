#include <gtest/gtest.h>
#include "QxQVInfo320U.h"

TEST(Records, ConstructEmptyWithZeroIntegers) {
    SERVER_INFO server;
    EXPECT_TRUE(server.name.IsEmpty());
    EXPECT_EQ(server.state, 0);
    EXPECT_EQ(server.remote, 0);
    EXPECT_EQ(server.hostList.Count(), 0);
    SVC_INFO svc;
    EXPECT_EQ(svc.desc_num5, 0);
    EXPECT_EQ(svc.desc_num11, 0);
    EXPECT_EQ(svc.desc_list4.Count(), 0);
}

TEST(Records, ClearOperationsDeleteItemsSkipNullsAndEmptyTheList) {
    Qx_PtrList servers;
    qx_ClearServerInformation(servers);  // empty: nothing to do
    EXPECT_EQ(servers.Count(), 0);
    servers.Add(new SERVER_INFO);
    servers.Add(nullptr);
    servers.Add(new SERVER_INFO);
    qx_ClearServerInformation(servers);
    EXPECT_EQ(servers.Count(), 0);
    servers.Add(new SERVER_INFO);  // the list stays usable
    qx_ClearServerInformation(servers);

    Qx_PtrList adaptors;
    adaptors.Add(new ADAPTER_INFO);
    qx_ClearAdapterInfoList(adaptors);
    EXPECT_EQ(adaptors.Count(), 0);

    Qx_PtrList services;
    services.Add(new SVC_INFO);
    services.Add(nullptr);
    qx_ClearSvcList(services);
    EXPECT_EQ(services.Count(), 0);
}

TEST(Records, InitSvcInfoEmptiesOnlyTheDescriptionItOwns) {
    SVC_INFO info;
    info.name = L"svc_orders";
    info.grpname = L"demo";
    info.desc_text1 = L"t1";
    info.desc_text2 = L"t2";
    info.desc_text3 = L"t3";
    info.desc_list1.Add(new SVC_DESC10);
    info.desc_list2.Add(new SVC_DESC4);
    info.desc_list2.Add(nullptr);
    DATASET_INFO* ds = new DATASET_INFO;
    ds->varList.AddStr(L"v", L"1");
    info.desc_list3.Add(ds);
    int host = 0;
    info.desc_list4.Add(&host);
    for (int* n : {&info.desc_num1, &info.desc_num2, &info.desc_num3, &info.desc_num4, &info.desc_num5, &info.desc_num6,
                   &info.desc_num7, &info.desc_num8, &info.desc_num9, &info.desc_num10, &info.desc_num11})
        *n = 9;

    qx_InitSvcInfo(&info);

    EXPECT_EQ(info.name, L"svc_orders");
    EXPECT_EQ(info.grpname, L"demo");
    EXPECT_EQ(info.desc_text1, L"");
    EXPECT_EQ(info.desc_text2, L"t2");
    EXPECT_EQ(info.desc_text3, L"");
    EXPECT_EQ(info.desc_list1.Count() + info.desc_list2.Count() + info.desc_list3.Count(), 0);
    EXPECT_EQ(info.desc_list4.Count(), 1);
    EXPECT_EQ(info.desc_num1, 9);
    EXPECT_EQ(info.desc_num2, 0);
    EXPECT_EQ(info.desc_num3, 0);
    EXPECT_EQ(info.desc_num4, 9);
    EXPECT_EQ(info.desc_num5, 9);
    EXPECT_EQ(info.desc_num6, 9);
    EXPECT_EQ(info.desc_num7 + info.desc_num8 + info.desc_num9 + info.desc_num10 + info.desc_num11, 0);

    info.desc_list2.Add(new SVC_DESC4);  // can be filled and emptied again
    qx_InitSvcInfo(&info);
    EXPECT_EQ(info.desc_list2.Count(), 0);
    qx_InitSvcInfo(nullptr);
}

TEST(Records, GetDatasetInfoFindsTheFirstIgnoringCase) {
    Qx_PtrList list;
    EXPECT_EQ(qx_GetDatasetInfo(list, L"input"), nullptr);
    DATASET_INFO* first = new DATASET_INFO;
    first->name = L"Input";
    DATASET_INFO* second = new DATASET_INFO;
    second->name = L"input";
    list.Add(first);
    list.Add(second);
    EXPECT_EQ(qx_GetDatasetInfo(list, L"INPUT"), first);
    EXPECT_EQ(qx_GetDatasetInfo(list, L"output"), nullptr);
    for (int i = 0; i < list.Count(); ++i) delete static_cast<DATASET_INFO*>(list.Items(i));
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"

TEST(QxVariant, TypesAndTextForms) {
    Qx_Variant v;
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(v.ToString(), L"");
    v.SetInt(-5);
    EXPECT_EQ(v.GetType(), QX_VT_INT);
    EXPECT_EQ(v.ToString(), L"-5");
    v.SetInt64(1234567890123LL);
    EXPECT_EQ(v.ToString(), L"1234567890123");
    v.SetDouble(0.1);
    EXPECT_EQ(v.ToString(), L"0.1");
    EXPECT_DOUBLE_EQ(v.ToDouble(), 0.1);
    v.SetBinary("ab\0c", 4);
    EXPECT_EQ(v.GetType(), QX_VT_BINARY);
    EXPECT_EQ(v.GetByteCount(), 4);
    EXPECT_EQ(v.ToInt64(), 0);
    v.SetString(L"42");
    EXPECT_EQ(v.ToInt64(), 42);
    EXPECT_EQ(v.GetByteCount(), 0);  // a new type drops the old payload
}

TEST(QxVariableList, OwnsCopiesFoundByNameIgnoringCase) {
    Qx_VariableList list(1);
    EXPECT_EQ(list.AddStr(L"City", L"Seoul"), 0);
    Qx_Variable v(L"count", Qx_Variant(L"3"));
    EXPECT_EQ(list.Add(v), 1);
    v.SetString(L"changed");  // the list holds its own copy
    EXPECT_EQ(list.GetItem(L"COUNT")->ToString(), L"3");
    EXPECT_EQ(list.GetItem(L"missing"), nullptr);
    EXPECT_EQ(list.GetItemNN(0)->GetName(), L"City");
    EXPECT_EQ(list.GetItemNN(2), nullptr);
    list.AddStr(L"city", L"Busan");
    EXPECT_EQ(list.GetItem(L"city")->ToString(), L"Seoul");  // the first of a name wins
    Qx_VariableList copy(list);
    list.ReleaseList();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(copy.Count(), 3);
}

TEST(QxDataset, ColumnsRowsAndMissingCells) {
    Qx_Dataset ds(L"output");
    EXPECT_EQ(ds.AddColumn(L"name", QX_VT_STRING, 80, 1), 0);
    int row = ds.AppendRow();
    EXPECT_EQ(row, 0);
    EXPECT_EQ(ds.SetColumn(row, L"NAME", L"svc_a", -1, -1), 0);
    EXPECT_EQ(ds.AddColumn(L"size", QX_VT_INT, 4, 0), 1);  // existing rows get a null cell
    ASSERT_NE(ds.GetColumn(0, L"size", -1), nullptr);
    EXPECT_TRUE(ds.GetColumn(0, L"size", -1)->IsNull());
    EXPECT_EQ(ds.GetColumn(0, L"name", -1)->ToString(), L"svc_a");
    EXPECT_EQ(ds.GetColumn(0, nullptr, 0)->ToString(), L"svc_a");
    EXPECT_EQ(ds.GetColumn(1, L"name", -1), nullptr);
    EXPECT_EQ(ds.GetColumn(0, L"nope", -1), nullptr);
    EXPECT_EQ(ds.GetColumn(0, nullptr, 7), nullptr);
    EXPECT_EQ(ds.SetColumn(5, L"name", L"x"), -1);
    ds.ClearAll();
    EXPECT_EQ(ds.GetColumnCount(), 0);
    EXPECT_EQ(ds.GetRowCount(), 0);
    EXPECT_EQ(ds.GetId(), L"output");
}

TEST(QxDatasetList, KeepsCopiesUnderTheirIds) {
    Qx_Dataset ds;
    ds.AddColumn(L"v", QX_VT_STRING, 10, 0);
    ds.SetColumn(ds.AppendRow(), L"v", L"one");
    Qx_DatasetList list;
    EXPECT_EQ(list.AddDataset(L"input", ds), 0);
    ds.SetColumn(0, L"v", L"changed");
    ASSERT_NE(list.GetItem(L"INPUT"), nullptr);
    EXPECT_EQ(list.GetItem(L"input")->GetId(), L"input");
    EXPECT_EQ(list.GetItem(L"input")->GetColumn(0, L"v")->ToString(), L"one");
    EXPECT_EQ(list.GetItem(L"output"), nullptr);
    EXPECT_EQ(list.GetItemNN(1), nullptr);
    list.ReleaseList();
    EXPECT_EQ(list.Count(), 0);
}

TEST(QxResult, MessagesNeverReadAsSuccess) {
    Qx_Result ok;
    EXPECT_EQ(ok.GetCode(), 0);
    EXPECT_EQ(ok.GetLastMsg(), nullptr);
    Qx_WString text;
    Qx_MsgView::GetMsgStr(0, text, ok, 4913, L',', 1, L'"');
    EXPECT_EQ(text, L"");

    Qx_Result r;
    r.AddMsg(525, L"QVCommon", 171, L"[QRX-0525] Unknown adaptor. [X]", 0);
    EXPECT_NE(r.GetCode(), 0);
    r.AddMsg(0, L"here", 1, L"second", 0);
    EXPECT_EQ(r.GetCode(), 525);  // a code already set stays
    EXPECT_EQ(r.GetLastMsg()->text, L"second");
    Qx_Result copy(r);
    Qx_MsgView::GetMsgStr(0, text, copy, 4913, L',', 1, L'"');
    EXPECT_EQ(text, L"[QRX-0525] Unknown adaptor. [X]\nsecond");

    Qx_Result codeOnly(-3);
    Qx_MsgView::GetMsgStr(0, text, codeOnly, 4913, L',', 1, L'"');
    EXPECT_EQ(text, L"Error code -3.");
}

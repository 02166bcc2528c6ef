#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/TestTexts.h"
#include <cstring>
#include <string>
#include <vector>

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

TEST(QxDataset, CellPointersSurviveLaterRows) {
    for (int reserved : {0, 3}) {
        Qx_Dataset ds(L"output");
        ds.AddColumn(L"id", QX_VT_INT, 4, 0);
        ds.AddColumn(L"name", QX_VT_STRING, 80, 0);
        ds.ReserveRows(reserved);
        std::vector<Qx_Variant*> kept;
        for (int r = 0; r < 5000; ++r) {
            int row = ds.AppendRow();
            ASSERT_EQ(row, r);
            Qx_Variant id;
            id.SetInt(r);
            ds.SetColumn(row, nullptr, id, 0);
            ds.SetColumn(row, L"name", QxTestText(static_cast<size_t>(r % 30)).c_str());
            if (r % 97 == 0) kept.push_back(ds.GetColumn(row, L"name"));
        }
        for (size_t i = 0; i < kept.size(); ++i) {
            int row = static_cast<int>(i) * 97;
            EXPECT_EQ(kept[i], ds.GetColumn(row, L"name"));
            EXPECT_EQ(kept[i]->ToString().str(), QxTestText(static_cast<size_t>(row % 30)));
            EXPECT_EQ(ds.GetRowCells(row)[0].GetInteger(), row);
        }
        EXPECT_EQ(ds.GetRowCells(5000), nullptr);
        EXPECT_EQ(ds.GetRowCells(-1), nullptr);
    }
}

TEST(QxDataset, StoredTextsLiveAsLongAsTheirHolders) {
    Qx_Dataset* ds = new Qx_Dataset(L"d");
    ds->AddColumn(L"v", QX_VT_STRING, 0, 0);
    ds->AddColumn(L"b", QX_VT_BINARY, 0, 0);
    for (int r = 0; r < 300; ++r) {
        int row = ds->AppendRow();
        std::wstring text = QxTestText(static_cast<size_t>(r));
        memcpy(ds->PreparePayload(*ds->GetColumn(row, L"v"), QX_VT_STRING, static_cast<uint32_t>(r)), text.data(),
               text.size() * sizeof(wchar_t));
        memcpy(ds->PreparePayload(*ds->GetColumn(row, L"b"), QX_VT_BINARY, static_cast<uint32_t>(r)),
               std::string(r, 'x').data(), static_cast<size_t>(r));
    }
    Qx_Dataset copy(*ds);
    Qx_Variant out(*ds->GetColumn(299, L"v"));
    Qx_Variant taken(std::move(*ds->GetColumn(298, L"v")));
    Qx_Dataset assigned;
    assigned = *ds;
    assigned.AddColumn(L"late", QX_VT_INT, 4, 0);  // every row moves to make room
    delete ds;
    EXPECT_EQ(out.ToString().str(), QxTestText(299));
    EXPECT_EQ(taken.ToString().str(), QxTestText(298));
    for (const Qx_Dataset* d : {&copy, &assigned}) {
        ASSERT_EQ(d->GetRowCount(), 300);
        for (int r = 0; r < 300; r += 13) {
            EXPECT_EQ(d->GetColumn(r, L"v")->ToString().str(), QxTestText(static_cast<size_t>(r)));
            EXPECT_EQ(d->GetColumn(r, L"b")->GetByteCount(), r);
        }
    }
    EXPECT_TRUE(assigned.GetColumn(299, L"late")->IsNull());
    Qx_Dataset moved(std::move(assigned));
    EXPECT_EQ(moved.GetColumn(150, L"v")->ToString().str(), QxTestText(150));
    EXPECT_EQ(assigned.GetRowCount(), 0);
    moved.ClearRows();
    EXPECT_EQ(moved.GetColumnCount(), 3);
    moved.SetColumn(moved.AppendRow(), L"v", QxTestText(50).c_str());
    EXPECT_EQ(moved.GetColumn(0, L"v")->ToString().str(), QxTestText(50));
}

TEST(QxDataset, RowsBeforeTheFirstColumnGetCellsWithIt) {
    Qx_Dataset ds;
    ds.AppendRow();
    ds.AppendRow();
    EXPECT_EQ(ds.GetColumn(0, nullptr, 0), nullptr);
    ds.AddColumn(L"Name", QX_VT_STRING, 10, 0);
    ds.AddColumn(L"name", QX_VT_STRING, 10, 0);
    EXPECT_TRUE(ds.GetColumn(1, L"name")->IsNull());
    EXPECT_EQ(ds.FindColumn(L"name"), 0);  // the first of a name without regard to case
    EXPECT_EQ(ds.FindColumn(L"NAME"), 0);
    Qx_Dataset copy(ds);
    EXPECT_EQ(copy.GetRowCount(), 2);
}

TEST(QxLists, ItemPointersSurviveLaterAdds) {
    Qx_VariableList vars(1);
    vars.AddStr(L"first", L"a value longer than a cell holds");
    Qx_Variable* first = vars.GetItemNN(0);
    Qx_DatasetList datasets;
    datasets.AddDataset(L"first", Qx_Dataset());
    Qx_Dataset* firstSet = datasets.GetItemNN(0);
    for (int i = 0; i < 1000; ++i) {
        vars.AddStr(L"v", L"x");
        Qx_Dataset ds(L"d");
        datasets.Add(std::move(ds));
    }
    EXPECT_EQ(vars.GetItem(L"FIRST"), first);
    EXPECT_EQ(first->ToString(), L"a value longer than a cell holds");
    EXPECT_EQ(datasets.GetItem(L"First"), firstSet);
    EXPECT_EQ(datasets.GetItemNN(1000)->GetId(), L"d");
    Qx_DatasetList copy(datasets);
    EXPECT_EQ(copy.Count(), 1001);
    EXPECT_NE(copy.GetItemNN(0), firstSet);
}

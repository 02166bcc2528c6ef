#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/RuntimeTestSupport.h"
#include <map>

namespace {

std::string Narrow(const Qx_WString& text) { return Qx_AString(text.c_str(), -1, CP_UTF8).str(); }

// A worker that hands out definitions from memory and records what it was asked for.
class MemoryDefinitions : public Qx_TarnWorker {
public:
    std::map<std::wstring, std::string> definitions;
    std::vector<std::wstring> asked;

    long ReadServiceXml(const Qx_WString& folder, const Qx_WString& name, Qx_Buffer& buffer) override {
        asked.push_back(folder.str() + L"|" + name.str());
        auto it = definitions.find(name.str());
        if (it == definitions.end()) return -1;
        buffer = Qx_Buffer(it->second.data(), static_cast<int>(it->second.size()));
        return 0;
    }
};

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring failure = QxTestMakeDemoDb(temp_.File(L"demo.db"), connection_);
        ASSERT_TRUE(failure.empty()) << Narrow(Qx_WString(failure));
        services_ = QxTestSourceDir() + L"\\demo\\services";
    }

    // The environment of a local job, as the host builds it, with extra values when given.
    void Prepare(Qx_TarnWorker& worker, const wchar_t* module = L"QxOdbcAdaptor320U",
                 const Qx_VariableList* extra = nullptr) {
        Qx_VariableList envs(1);
        if (extra)
            for (int i = 0; i < extra->Count(); ++i) envs.Add(*extra->GetItemNN(i));
        envs.AddStr(L"_ADAPTOR_DB_", L"ADO");
        envs.AddStr(L"_ADAPTOR_DIR_", QxTestBinDir().c_str());
        envs.AddStr(L"_ADAPTOR_DB_MODULE_", module);
        envs.AddStr(L"_ADAPTOR_DB_ID_", L"odbc");
        envs.AddStr(L"_ADAPTOR_DB_TYPE_", L"DB");
        envs.AddStr(L"_ADAPTOR_DB_VER_", L"1");
        envs.AddStr(L"_ADAPTOR_DB_NAME_", L"ODBC");
        envs.AddStr(L"ConnectionString", connection_.c_str());
        envs.AddStr(L"DBUser", L"demo");
        envs.AddStr(L"DBPass", L"demo-secret");
        envs.AddStr(L"BindMethod", L"Text");  // asks for text substitution: must still bind
        worker.envProvider = &env_;
        worker.SetDebugTrace(0);
        worker.LoadEnvs(envs);
        worker.InitObject(0, L"");
    }

    long RunService(Qx_TarnWorker& worker, const wchar_t* service) {
        if (worker.InitJob(services_.c_str(), service) != 0) return 99;
        worker.SetServicePath(services_.c_str());
        worker.SetServiceName(service);
        return worker.Run(L"", L"");
    }

    QxTestTempFolder temp_;
    std::wstring connection_;
    std::wstring services_;
    Qx_EnvProvider env_;
};

}  // namespace

TEST_F(WorkerTest, QueryWithInputParameterGivesTypedDatasetAndVariable) {
    Qx_TarnWorker worker;
    Prepare(worker);
    worker.GetSafeVarList().AddStr(L"city", L"Lyon");
    ASSERT_EQ(RunService(worker, L"demo_customers_by_city"), 0) << Narrow(worker.GetResultMsg());
    EXPECT_EQ(worker.GetResultCode(), 0);
    EXPECT_TRUE(worker.GetResultMsg().IsEmpty());
    ASSERT_EQ(worker.GetOutVarList().Count(), 1);
    EXPECT_EQ(Qx_WString(worker.GetOutVarList().GetItemNN(0)), L"customer_count");
    ASSERT_EQ(worker.GetOutDSList().Count(), 1);
    const Qx_Dataset* ds = worker.GetDatasetList().GetItem(L"customers");
    ASSERT_NE(ds, nullptr);
    ASSERT_EQ(ds->GetRowCount(), 2);
    EXPECT_EQ(ds->GetColumnInfo(ds->FindColumn(L"id"))->type, QX_VT_INT);
    EXPECT_EQ(ds->GetColumnInfo(ds->FindColumn(L"name"))->type, QX_VT_STRING);
    EXPECT_EQ(ds->GetColumn(0, L"id")->GetInteger(), 1);
    EXPECT_EQ(ds->GetColumn(1, L"name")->ToString(), L"Bruno Castel");
    const Qx_Variable* count = worker.GetVarList().GetItem(L"customer_count");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->ToInt64(), 2);
    worker.EndJob();
    worker.FreeAll();
    EXPECT_EQ(worker.GetVarList().Count(), 0);
}

TEST_F(WorkerTest, TwoDatasetsFromOneService) {
    Qx_TarnWorker worker;
    Prepare(worker);
    worker.GetSafeVarList().AddStr(L"customer_id", L"1");  // text turned into the declared int
    ASSERT_EQ(RunService(worker, L"demo_customer_orders"), 0) << Narrow(worker.GetResultMsg());
    ASSERT_EQ(worker.GetOutDSList().Count(), 2);
    EXPECT_EQ(worker.GetDatasetList().GetItem(L"customer")->GetRowCount(), 1);
    const Qx_Dataset* orders = worker.GetDatasetList().GetItem(L"orders");
    ASSERT_EQ(orders->GetRowCount(), 2);
    EXPECT_EQ(orders->GetColumnInfo(orders->FindColumn(L"price"))->type, QX_VT_DOUBLE);
    EXPECT_DOUBLE_EQ(worker.GetVarList().GetItem(L"order_total")->ToDouble(), 3 * 4.5 + 32.0);
}

TEST_F(WorkerTest, HostileInputComesBackAsDataAndChangesNoStatement) {
    const wchar_t* hostile = L"Robert'); DROP TABLE customers; --";
    const wchar_t* city = L"x' OR '1'='1";
    {
        Qx_TarnWorker worker;
        Prepare(worker);
        Qx_Dataset input(L"input");
        input.AddColumn(L"name", QX_VT_STRING, 80, 1);
        input.AddColumn(L"city", QX_VT_STRING, 80, 1);
        int row = input.AppendRow();
        input.SetColumn(row, L"name", hostile);
        input.SetColumn(row, L"city", city);
        row = input.AppendRow();
        input.SetColumn(row, L"name", L"Plain Name");
        input.SetColumn(row, L"city", L"Cork");
        worker.AddDataset(L"input", input);
        ASSERT_EQ(RunService(worker, L"demo_add_customers"), 0) << Narrow(worker.GetResultMsg());
        EXPECT_EQ(worker.GetVarList().GetItem(L"added")->ToInt64(), 2);
    }
    Qx_TarnWorker worker;
    Prepare(worker);
    worker.GetSafeVarList().AddStr(L"city", city);
    ASSERT_EQ(RunService(worker, L"demo_customers_by_city"), 0) << Narrow(worker.GetResultMsg());
    const Qx_Dataset* ds = worker.GetDatasetList().GetItem(L"customers");
    ASSERT_EQ(ds->GetRowCount(), 1);  // the quote did not widen the query
    EXPECT_EQ(ds->GetColumn(0, L"name")->ToString(), hostile);
    EXPECT_EQ(QxTestQueryText(connection_, L"SELECT COUNT(*) FROM customers"), L"7");
}

TEST_F(WorkerTest, FailingServiceRollsBackAndNamesNoOutputs) {
    Qx_TarnWorker worker;
    Prepare(worker);
    long rc = RunService(worker, L"demo_fail");
    EXPECT_EQ(rc, QX_RT_E_DATABASE);
    EXPECT_EQ(worker.GetResultCode(), QX_RT_E_DATABASE);
    EXPECT_NE(worker.GetResultMsg().Find(L"statement 2"), -1) << Narrow(worker.GetResultMsg());
    EXPECT_NE(worker.GetResultMsg().Find(L"no_such_table"), -1) << Narrow(worker.GetResultMsg());
    EXPECT_EQ(worker.GetOutDSList().Count(), 0);
    worker.EndJob();
    EXPECT_EQ(QxTestQueryText(connection_, L"SELECT COUNT(*) FROM orders WHERE item = 'Never kept'"), L"0");
}

TEST_F(WorkerTest, MissingOrInvalidInputs) {
    {
        Qx_TarnWorker worker;
        Prepare(worker);
        EXPECT_EQ(RunService(worker, L"demo_customers_by_city"), QX_RT_E_INPUT);
        EXPECT_NE(worker.GetResultMsg().Find(L"city"), -1);
    }
    {
        Qx_TarnWorker worker;
        Prepare(worker);
        worker.GetSafeVarList().AddStr(L"customer_id", L"1 OR 1=1");
        EXPECT_EQ(RunService(worker, L"demo_customer_orders"), QX_RT_E_INPUT) << Narrow(worker.GetResultMsg());
    }
    {
        Qx_TarnWorker worker;
        Prepare(worker);
        EXPECT_EQ(RunService(worker, L"demo_add_customers"), QX_RT_E_INPUT);  // required dataset
    }
}

TEST_F(WorkerTest, MissingDefinitionAndMissingModule) {
    {
        Qx_TarnWorker worker;
        Prepare(worker);
        EXPECT_EQ(RunService(worker, L"no_such_service"), QX_RT_E_NO_DEFINITION);
        EXPECT_NE(worker.GetResultMsg().Find(L"no_such_service"), -1);
    }
    Qx_TarnWorker worker;
    Prepare(worker, L"NoSuchAdaptor320U");
    worker.GetSafeVarList().AddStr(L"city", L"Lyon");
    EXPECT_EQ(RunService(worker, L"demo_customers_by_city"), QX_RT_E_DATABASE);
    EXPECT_NE(worker.GetResultMsg().Find(L"NoSuchAdaptor320U"), -1) << Narrow(worker.GetResultMsg());
    EXPECT_NE(worker.GetResultMsg().Find(QxTestBinDir().c_str()), -1) << Narrow(worker.GetResultMsg());
}

TEST_F(WorkerTest, ParentWorkerSuppliesTheDefinition) {
    MemoryDefinitions parent;
    parent.definitions[L"mem_service"] =
        "<service name='mem_service'><output><variable name='answer'/><variable name='absent'/></output>"
        "<statement variables='1'>SELECT 41 + 1 AS answer</statement></service>";
    Qx_TarnWorker worker;
    Prepare(worker);
    ASSERT_EQ(worker.InitJob(L"_system_", L"mem_service"), 0);
    worker.SetServicePath(L"C:\\some.folder");
    worker.SetServiceName(L"mem_service");
    worker.parentWorker = &parent;
    ASSERT_EQ(worker.Run(L"", L""), 0) << Narrow(worker.GetResultMsg());
    ASSERT_EQ(parent.asked.size(), 1u);
    EXPECT_EQ(parent.asked[0], L"C:\\some.folder|mem_service");
    EXPECT_EQ(worker.GetVarList().GetItem(L"answer")->ToInt64(), 42);
    // An output the service names but never set is listed and simply absent.
    EXPECT_EQ(worker.GetOutVarList().Count(), 2);
    EXPECT_EQ(worker.GetVarList().GetItem(L"absent"), nullptr);
}

TEST_F(WorkerTest, InvalidDefinitionsAreReported) {
    const char* bad[] = {
        "<service><statement>SELECT ?</statement></service>",
        "<service><statement>   </statement></service>",
        "<service><input><variable name='a' type='date'/></input></service>",
        "<service><bogus/></service>",
        "<notservice/>",
        "not xml at all",
    };
    for (const char* xml : bad) {
        MemoryDefinitions parent;
        parent.definitions[L"s"] = xml;
        Qx_TarnWorker worker;
        Prepare(worker);
        ASSERT_EQ(worker.InitJob(L"g", L"s"), 0);
        worker.parentWorker = &parent;
        long rc = worker.Run(L"", L"");
        EXPECT_TRUE(rc == QX_RT_E_DEFINITION) << xml << " gave " << rc;
        EXPECT_FALSE(worker.GetResultMsg().IsEmpty()) << xml;
    }
}

TEST(WorkerJob, InitJobRefusesNamesThatLeaveTheFolder) {
    struct Case {
        const wchar_t* group;
        const wchar_t* service;
        long expected;
    } cases[] = {
        {L"services", L"demo", 0},        {L"_system_", L"demo.v2", 0}, {L"", L"demo", -1},
        {L"services", L"", -1},           {L"services", L"..", -1},     {L"services", L"..\\secret", -1},
        {L"services", L"a/b", -1},        {L"services", L"C:x", -1},    {nullptr, nullptr, -1},
    };
    for (const Case& c : cases) {
        Qx_TarnWorker worker;
        EXPECT_EQ(worker.InitJob(c.group, c.service), c.expected) << Narrow(Qx_WString(c.service));
    }
    Qx_TarnWorker worker;
    EXPECT_EQ(worker.Run(L"", L""), QX_RT_E_JOB);
}

TEST(WorkerJob, ReadServiceXmlAddsTheExtensionOnlyToNamesWithoutADot) {
    QxTestTempFolder temp;
    std::wstring folder = temp.File(L"with.dot");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    qx_PutTextFileSource((folder + L"\\svc.xml").c_str(), Qx_WString(L"<service/>"));
    qx_PutTextFileSource((folder + L"\\svc.v2").c_str(), Qx_WString(L"<other/>"));
    Qx_TarnWorker worker;
    Qx_Buffer buffer;
    EXPECT_EQ(worker.ReadServiceXml(Qx_WString(folder.c_str()), Qx_WString(L"svc"), buffer), 0);
    EXPECT_EQ(std::string(buffer.GetData(), buffer.GetLength()), "<service/>");
    EXPECT_EQ(worker.ReadServiceXml(Qx_WString((folder + L"\\").c_str()), Qx_WString(L"svc.v2"), buffer), 0);
    EXPECT_EQ(std::string(buffer.GetData(), buffer.GetLength()), "<other/>");
    EXPECT_EQ(worker.ReadServiceXml(Qx_WString(folder.c_str()), Qx_WString(L"missing"), buffer), -1);
}

TEST_F(WorkerTest, ResultsPastTheirLimitsAreErrorsNotCuts) {
    const char* all = "<service name='s'><output><dataset name='rows'/></output>"
                      "<statement dataset='rows'>SELECT * FROM customers</statement></service>";
    struct Case {
        const wchar_t* limit;
        const wchar_t* value;
        const wchar_t* says;
    } cases[] = {{L"DBMaxRows", L"2", L"more than 2 rows"}, {L"DBMaxBytes", L"40", L"more than 40 bytes"}};
    for (const Case& c : cases) {
        Qx_VariableList extra(1);
        extra.AddStr(c.limit, c.value);
        MemoryDefinitions parent;
        parent.definitions[L"s"] = all;
        Qx_TarnWorker worker;
        Prepare(worker, L"QxOdbcAdaptor320U", &extra);
        ASSERT_EQ(worker.InitJob(L"g", L"s"), 0);
        worker.parentWorker = &parent;
        EXPECT_EQ(worker.Run(L"", L""), QX_RT_E_DATABASE) << Narrow(Qx_WString(c.limit));
        EXPECT_NE(worker.GetResultMsg().Find(c.says), -1) << Narrow(worker.GetResultMsg());
        EXPECT_EQ(worker.GetDatasetList().GetItem(L"rows"), nullptr) << "no partial result";
        worker.EndJob();
    }
}

TEST_F(WorkerTest, ATextHoldingUPlus0000IsRefusedNotCut) {
    MemoryDefinitions parent;
    parent.definitions[L"echo"] = "<service name='echo'><input><variable name='t' required='1'/></input>"
                                  "<output><variable name='back'/></output>"
                                  "<statement variables='1'>SELECT :t AS back</statement></service>";
    Qx_TarnWorker worker;
    Prepare(worker);
    Qx_Variant text;
    text.SetString(L"ab\0cd", 5);
    worker.GetSafeVarList().Add(L"t", text);
    ASSERT_EQ(worker.InitJob(L"g", L"echo"), 0);
    worker.parentWorker = &parent;
    EXPECT_EQ(worker.Run(L"", L""), QX_RT_E_DATABASE);
    EXPECT_NE(worker.GetResultMsg().Find(L"U+0000"), -1) << Narrow(worker.GetResultMsg());
    worker.EndJob();
}

#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/LoopbackListener.h"
#include "support/RuntimeTestSupport.h"
#include "support/StatusAssertions.h"
#include "support/TestDatabase.h"
#include "runtime/internal/QxSocket.h"
#include <map>
#include <memory>

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

// Every test of the worker runs against each database the adaptor meets: a SQLite file
// and a PostgreSQL server.
class WorkerTest : public ::testing::TestWithParam<QxBackend> {
protected:
    void SetUp() override {
        db_ = std::make_unique<QxTestDatabase>(GetParam());
        std::wstring failure = db_->MakeDemo();
        ASSERT_TRUE(failure.empty()) << Narrow(Qx_WString(failure.c_str()));
        connection_ = db_->Connection();
        services_ = QxTestSourceDir() + L"\\demo\\services";
    }
    bool OnPostgreSQL() const { return GetParam() == QxBackend::kPostgreSQL; }

    // Runs a definition held in memory; the worker stays for the caller to read.
    long RunDefinition(Qx_TarnWorker& worker, MemoryDefinitions& parent, const char* xml) {
        parent.definitions[L"s"] = xml;
        if (worker.InitJob(L"g", L"s") != 0) return 99;
        worker.parentWorker = &parent;
        return worker.Run(L"", L"");
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

    std::unique_ptr<QxTestDatabase> db_;
    std::wstring connection_;
    std::wstring services_;
    Qx_EnvProvider env_;
};

INSTANTIATE_TEST_SUITE_P(Backends, WorkerTest, ::testing::ValuesIn(QxAllBackends()),
                         [](const ::testing::TestParamInfo<QxBackend>& info) { return QxBackendName(info.param); });

}  // namespace

TEST_P(WorkerTest, QueryWithInputParameterGivesTypedDatasetAndVariable) {
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

TEST_P(WorkerTest, TwoDatasetsFromOneService) {
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

TEST_P(WorkerTest, HostileInputComesBackAsDataAndChangesNoStatement) {
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

TEST_P(WorkerTest, FailingServiceRollsBackAndNamesNoOutputs) {
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

TEST_P(WorkerTest, MissingOrInvalidInputs) {
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

TEST_P(WorkerTest, MissingDefinitionAndMissingModule) {
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

TEST_P(WorkerTest, ParentWorkerSuppliesTheDefinition) {
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

TEST_P(WorkerTest, InvalidDefinitionsAreReported) {
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
    // clang-format off
    struct Case {
        const wchar_t* group;
        const wchar_t* service;
        long expected;
    } cases[] = {
        {L"services", L"demo", 0},        {L"_system_", L"demo.v2", 0}, {L"", L"demo", -1},
        {L"services", L"", -1},           {L"services", L"..", -1},     {L"services", L"..\\secret", -1},
        {L"services", L"a/b", -1},        {L"services", L"C:x", -1},    {nullptr, nullptr, -1},
    };
    // clang-format on
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

TEST_P(WorkerTest, ResultsPastTheirLimitsAreErrorsNotCuts) {
    const char* all =
        "<service name='s'><output><dataset name='rows'/></output>"
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

TEST_P(WorkerTest, ATextHoldingUPlus0000IsRefusedNotCut) {
    MemoryDefinitions parent;
    parent.definitions[L"echo"] =
        "<service name='echo'><input><variable name='t' required='1'/></input>"
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

TEST_P(WorkerTest, OutputsComeBackTyped) {
    const char* create =
        OnPostgreSQL()
            ? "CREATE TABLE typed (i INTEGER, big BIGINT, d NUMERIC(12, 3), day DATE, s TEXT, n TEXT, b BYTEA);\n"
              "INSERT INTO typed VALUES (7, 1099511627776, 12.5, DATE '2024-02-29', 'text', NULL, "
              "'\\x00ff10'::bytea);\n"
            : "CREATE TABLE typed (i INTEGER, big INTEGER, d REAL, day TEXT, s TEXT, n TEXT, b BLOB);\n"
              "INSERT INTO typed VALUES (7, 1099511627776, 12.5, '2024-02-29', 'text', NULL, X'00FF10');\n";
    ASSERT_EQ(QxTestRunSqlScript(connection_, create), L"");
    MemoryDefinitions parent;
    Qx_TarnWorker worker;
    Prepare(worker);
    ASSERT_EQ(RunDefinition(worker, parent,
                            "<service name='s'><output><dataset name='t'/></output>"
                            "<statement dataset='t'>SELECT i, big, d, day, s, n, b FROM typed</statement></service>"),
              0)
        << Narrow(worker.GetResultMsg());
    const Qx_Dataset* t = worker.GetDatasetList().GetItem(L"t");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->GetRowCount(), 1);
    EXPECT_EQ(t->GetColumn(0, L"i")->GetType(), QX_VT_INT);
    EXPECT_EQ(t->GetColumn(0, L"i")->GetInteger(), 7);
    EXPECT_EQ(t->GetColumn(0, L"big")->GetType(), QX_VT_INT64) << "kept whole, also from a 32-bit column";
    EXPECT_EQ(t->GetColumn(0, L"big")->GetInteger(), 1099511627776LL);
    EXPECT_EQ(t->GetColumn(0, L"d")->GetType(), QX_VT_DOUBLE);
    EXPECT_DOUBLE_EQ(t->GetColumn(0, L"d")->GetDouble(), 12.5);
    EXPECT_EQ(t->GetColumn(0, L"day")->ToString(), L"2024-02-29");
    EXPECT_EQ(t->GetColumn(0, L"s")->ToString(), L"text");
    EXPECT_TRUE(t->GetColumn(0, L"n")->IsNull());
    const Qx_Variant* b = t->GetColumn(0, L"b");
    EXPECT_EQ(b->GetType(), QX_VT_BINARY);
    EXPECT_EQ(std::string(b->GetBytes(), b->GetByteCount()), std::string("\x00\xff\x10", 3));
}

TEST_P(WorkerTest, BinaryInputsAreBoundWhole) {
    ASSERT_EQ(QxTestRunSqlScript(connection_, OnPostgreSQL() ? "CREATE TABLE blobs (k INTEGER, b BYTEA);\n"
                                                             : "CREATE TABLE blobs (k INTEGER, b BLOB);\n"),
              L"");
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<char>(i * 7));
    Qx_Variant blob;
    blob.SetBinary(bytes.data(), static_cast<int>(bytes.size()));
    MemoryDefinitions parent;
    Qx_TarnWorker worker;
    Prepare(worker);
    worker.GetSafeVarList().Add(L"b", blob);
    ASSERT_EQ(RunDefinition(worker, parent,
                            "<service name='s'><input><variable name='b' type='binary' required='1'/></input>"
                            "<output><dataset name='back'/></output>"
                            "<statement>INSERT INTO blobs (k, b) VALUES (1, :b)</statement>"
                            "<statement dataset='back'>SELECT b FROM blobs WHERE k = 1</statement></service>"),
              0)
        << Narrow(worker.GetResultMsg());
    const Qx_Variant* back = worker.GetDatasetList().GetItem(L"back")->GetColumn(0, L"b");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::string(back->GetBytes(), back->GetByteCount()), bytes);
}

TEST_P(WorkerTest, AStatementWithoutRowsGivesAnEmptyResultAndItsCount) {
    MemoryDefinitions parent;
    Qx_TarnWorker worker;
    Prepare(worker);
    ASSERT_EQ(RunDefinition(
                  worker, parent,
                  "<service name='s'><output><dataset name='none'/><variable name='changed'/></output>"
                  "<statement dataset='none'>SELECT id, name FROM customers WHERE city = 'Atlantis'</statement>"
                  "<statement rowcount='changed'>UPDATE customers SET city = city WHERE city = 'Atlantis'</statement>"
                  "</service>"),
              0)
        << Narrow(worker.GetResultMsg());
    const Qx_Dataset* none = worker.GetDatasetList().GetItem(L"none");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->GetRowCount(), 0);
    EXPECT_EQ(none->GetColumnCount(), 2) << "the columns are described all the same";
    EXPECT_EQ(worker.GetVarList().GetItem(L"changed")->ToInt64(), 0);
}

TEST_P(WorkerTest, TheDriversErrorCarriesNoPassword) {
    // Connecting with a password that the database refuses (PostgreSQL), or to a file that
    // cannot be made (SQLite): the message is the driver's, without the password.
    const std::wstring password = L"do-not-show-" + std::to_wstring(GetCurrentProcessId());
    std::wstring connection = connection_;
    if (OnPostgreSQL()) {
        size_t at = connection.find(L"Pwd=");
        connection = connection.substr(0, at) + L"Pwd=" + password + connection.substr(connection.find(L';', at));
    } else {
        connection = L"Driver=SQLite3;Database=/no/such/folder/x.db;Pwd=" + password + L";";
    }
    Qx_TarnWorker worker;
    Prepare(worker);
    worker.SetEnvStr(L"ConnectionString", connection.c_str());
    worker.GetSafeVarList().AddStr(L"city", L"Lyon");
    EXPECT_EQ(RunService(worker, L"demo_customers_by_city"), QX_RT_E_DATABASE);
    const std::wstring message = worker.GetResultMsg().str();
    EXPECT_NE(message.find(L"connect"), std::wstring::npos) << Narrow(Qx_WString(message.c_str()));
    EXPECT_EQ(message.find(password), std::wstring::npos) << Narrow(Qx_WString(message.c_str()));
    EXPECT_EQ(message.find(L"demo-secret"), std::wstring::npos) << "nor the user's password";
    if (!db_->Password().empty()) {
        EXPECT_EQ(message.find(db_->Password()), std::wstring::npos);
    }
}

// Time-outs of a database server: PostgreSQL's own (SQLite has no server to wait for).
class PostgresTimeouts : public WorkerTest {};
INSTANTIATE_TEST_SUITE_P(Server, PostgresTimeouts, ::testing::Values(QxBackend::kPostgreSQL),
                         [](const ::testing::TestParamInfo<QxBackend>& info) { return QxBackendName(info.param); });

TEST_P(PostgresTimeouts, AStatementThatRunsPastTheQueryTimeOutIsCancelled) {
    Qx_VariableList extra(1);
    extra.AddStr(L"DBQueryTimeout", L"1");
    MemoryDefinitions parent;
    Qx_TarnWorker worker;
    Prepare(worker, L"QxOdbcAdaptor320U", &extra);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(RunDefinition(worker, parent, "<service name='s'><statement>SELECT pg_sleep(8)</statement></service>"),
              QX_RT_E_DATABASE);
    EXPECT_LT(GetTickCount64() - start, 5000u) << "cancelled after about a second, not after the sleep";
    EXPECT_NE(worker.GetResultMsg().Find(L"cancel"), -1) << Narrow(worker.GetResultMsg());
}

TEST_P(PostgresTimeouts, LoginFailsInTimeAgainstAStoppedOrSilentServer) {
    // A port nobody listens on (a stopped server), and one that accepts and never answers.
    QxLoopbackListener silent;
    const int silentPort = silent.Port();
    const int stoppedPort = QxUnusedLoopbackPort();
    ASSERT_NE(silentPort, 0);
    ASSERT_NE(stoppedPort, 0);

    for (int port : {stoppedPort, silentPort}) {
        std::wstring connection = connection_;
        size_t at = connection.find(L"Port=");
        connection =
            connection.substr(0, at) + L"Port=" + std::to_wstring(port) + connection.substr(connection.find(L';', at));
        Qx_VariableList extra(1);
        extra.AddStr(L"DBLoginTimeout", L"2");
        Qx_TarnWorker worker;
        Prepare(worker, L"QxOdbcAdaptor320U", &extra);
        worker.SetEnvStr(L"ConnectionString", connection.c_str());
        worker.GetSafeVarList().AddStr(L"city", L"Lyon");
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(RunService(worker, L"demo_customers_by_city"), QX_RT_E_DATABASE) << port;
        EXPECT_LT(GetTickCount64() - start, 6000u) << (port == silentPort ? "silent" : "stopped") << " server";
        EXPECT_NE(worker.GetResultMsg().Find(L"connect"), -1) << Narrow(worker.GetResultMsg());
    }
}

TEST_P(WorkerTest, TheLoginMayComeFromDBUserAndDBPass) {
    // The connection string without a login; the environment's user and password are added.
    std::wstring connection = connection_;
    std::wstring user, password;
    for (const wchar_t* key : {L"Uid=", L"Pwd="}) {
        size_t at = connection.find(key);
        if (at == std::wstring::npos) continue;
        size_t end = connection.find(L';', at);
        (key[0] == L'U' ? user : password) = connection.substr(at + 4, end - at - 4);
        connection.erase(at, end - at + 1);
    }
    Qx_TarnWorker worker;
    Prepare(worker);
    worker.SetEnvStr(L"ConnectionString", connection.c_str());
    worker.SetEnvStr(L"DBUser", user.empty() ? L"demo" : user.c_str());
    worker.SetEnvStr(L"DBPass", password.empty() ? L"demo-secret" : password.c_str());
    worker.GetSafeVarList().AddStr(L"city", L"Lyon");
    EXPECT_EQ(RunService(worker, L"demo_customers_by_city"), 0) << Narrow(worker.GetResultMsg());
}

TEST_P(WorkerTest, APooledConnectionComesBackCleanAfterAFailedJob) {
    // The module stays loaded, as in the service server, so that its pool lives on.
    QxModule pinned(LoadLibraryW((QxTestBinDir() + L"\\QxOdbcAdaptor320U.dll").c_str()));
    ASSERT_TRUE(pinned);
    Qx_VariableList pooling(1);
    pooling.AddStr(L"DBPoolSeconds", L"60");
    for (int round = 0; round < 3; ++round) {
        Qx_TarnWorker failing;
        Prepare(failing, L"QxOdbcAdaptor320U", &pooling);
        EXPECT_EQ(RunService(failing, L"demo_fail"), QX_RT_E_DATABASE);
        failing.EndJob();
        Qx_TarnWorker reading;
        Prepare(reading, L"QxOdbcAdaptor320U", &pooling);
        reading.GetSafeVarList().AddStr(L"city", L"Lyon");
        ASSERT_EQ(RunService(reading, L"demo_customers_by_city"), 0) << Narrow(reading.GetResultMsg());
        reading.EndJob();
    }
    EXPECT_EQ(QxTestQueryText(connection_, L"SELECT COUNT(*) FROM orders WHERE item = 'Never kept'"), L"0")
        << "the failed job's insert was rolled back before its connection went back";
}

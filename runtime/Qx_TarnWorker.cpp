#include "runtime/Qx_TarnWorker.h"
#include "runtime/internal/QxRuntimeText.h"
#include "foundation/QxStringFunctions.h"
#include "platform/QxWin.h"
#include "foundation/Qx_AString.h"
#include "foundation/Qx_File.h"
#include "runtime/QxAdaptor.h"
#include "runtime/QxRuntimeCodes.h"
#include "runtime/internal/QxServiceDefinition.h"
#include "runtime/internal/QxSqlParameters.h"
#include "runtime/internal/QxTextLimits.h"
#include "runtime/Qx_AdapterComWrapper.h"
#include "platform/QxBarrier.h"
#include "platform/QxStatus.h"
#include <cerrno>
#include <cwchar>

using qxrt::operator+;

namespace {

bool LeavesFolder(const Qx_WString& name) {
    return name == L"." || name == L".." || name.Find(L'\\') >= 0 || name.Find(L'/') >= 0 || name.Find(L':') >= 0;
}

// Turns an input into the type its definition declares; false when the text is no such
// value. Null stays null.
bool Convert(const Qx_Variant& in, int type, Qx_Variant& out) {
    out = in;
    if (type == 0 || in.IsNull() || in.GetType() == type) return true;
    if (type == QX_VT_STRING) {
        out.SetString(in.ToString().c_str());
        return true;
    }
    if (type == QX_VT_BINARY) {
        Qx_AString bytes(in.ToString(), 0);
        out.SetBinary(bytes.GetSafeBuffer(), bytes.GetLength());
        return true;
    }
    if (in.GetType() != QX_VT_STRING) {
        // Numbers between numeric types.
        if (type == QX_VT_DOUBLE)
            out.SetDouble(in.ToDouble());
        else if (type == QX_VT_INT64)
            out.SetInt64(in.ToInt64());
        else if (type == QX_VT_INT)
            out.SetInt(static_cast<int32_t>(in.ToInt64()));
        return in.GetType() != QX_VT_BINARY;
    }
    const wchar_t* text = in.GetText();
    wchar_t* end = nullptr;
    errno = 0;
    if (type == QX_VT_DOUBLE) {
        double d = wcstod(text, &end);
        out.SetDouble(d);
    } else {
        long long v = wcstoll(text, &end, 10);
        if (type == QX_VT_INT && (v < INT32_MIN || v > INT32_MAX)) return false;
        if (type == QX_VT_INT)
            out.SetInt(static_cast<int32_t>(v));
        else
            out.SetInt64(v);
    }
    while (end && (*end == L' ' || *end == L'\t')) ++end;
    return errno == 0 && end != text && *text && *end == L'\0';
}

void AppendRows(Qx_Dataset& to, const Qx_Dataset& from) {
    for (int r = 0; r < from.GetRowCount(); ++r) {
        int row = to.AppendRow();
        for (int c = 0; c < from.GetColumnCount() && c < to.GetColumnCount(); ++c)
            to.SetColumn(row, nullptr, *from.GetColumn(r, nullptr, c), c);
    }
}

// Where one named parameter of a statement takes its value from: worked out once per
// statement, so that a statement run once per row of a large dataset does not search the
// variables for every row.
struct ParameterSource {
    Qx_WString name;
    int column = -1;                       // the per-row dataset's column of that name, or -1
    const Qx_Variant* variable = nullptr;  // else the variable of that name, or null
    int type = 0;                          // the declared input's type; 0: as given
    bool declared = false;                 // a declared input left out is bound as NULL
};

std::vector<ParameterSource> PlanParameters(const std::vector<Qx_WString>& names, const Qx_Dataset* rows,
                                            const Qx_VariableList& variables, const QxServiceDefinition& def) {
    std::vector<ParameterSource> plan;
    plan.reserve(names.size());
    for (const Qx_WString& name : names) {
        ParameterSource source;
        source.name = name;
        source.column = rows ? rows->FindColumn(name.c_str()) : -1;
        if (source.column < 0) source.variable = variables.GetItem(name.c_str());
        for (const QxServiceInput& in : def.inputVariables)
            if (qx_stricmpW(in.name.c_str(), name.c_str()) == 0) {
                source.type = in.type;  // the last declaration of a name counts
                source.declared = true;
            }
        plan.push_back(source);
    }
    return plan;
}

// A positive number from an environment text; fallback when it is missing or not one.
long long EnvNumber(const wchar_t* text, long long fallback) {
    if (!text || !*text) return fallback;
    wchar_t* end = nullptr;
    long long value = wcstoll(text, &end, 10);
    return end && *end == L'\0' && value > 0 ? value : fallback;
}

// A statement runs at most this many times per call, once per row of its dataset.
const long long kDefaultMaxRowRuns = 100000;

// Run's code for how the job ended. Inside a job, every failure the database adaptor or
// its module answers with a code of its own is the database's.
long ResultCodeOf(const QxStatus& status) {
    switch (status.code()) {
    case QxCode::kOk: return QX_RT_OK;
    case QxCode::kNotReady: return QX_RT_E_JOB;
    case QxCode::kReadFailed: return QX_RT_E_NO_DEFINITION;
    case QxCode::kMalformed:
    case QxCode::kNotWellFormed: return QX_RT_E_DEFINITION;
    case QxCode::kBadInput: return QX_RT_E_INPUT;
    case QxCode::kResultCode: return QX_RT_E_DATABASE;
    default: return QX_RT_E_FAIL;
    }
}

}  // namespace

Qx_TarnWorker::Qx_TarnWorker(Qx_EnvProvider* envProvider, Qx_TarnWorker* parentWorker)
    : Qx_Worker(envProvider, nullptr), parentWorker(parentWorker) {}

Qx_TarnWorker::~Qx_TarnWorker() = default;

long Qx_TarnWorker::InitJob(const wchar_t* group, const wchar_t* service) {
    jobOpen_ = false;
    return QxBarrier(-1L, [&] {
        Qx_WString g(group), s(service);
        if (g.IsEmpty() || s.IsEmpty() || LeavesFolder(s)) return -1L;
        group_ = g;
        serviceName_ = s;
        jobOpen_ = true;
        return 0L;
    });
}

long Qx_TarnWorker::ReadServiceXml(const Qx_WString& folder, const Qx_WString& name, Qx_Buffer& buffer) {
    return QxBarrier(-1L, [&] {
        Qx_WString path(folder);
        if (!path.IsEmpty() && path.GetAt(path.GetLength() - 1) != L'\\') path += L'\\';
        path += name;
        // Only the name decides about the extension: a dot in the folder must not stop it.
        if (name.Find(L'.') < 0) path += L".xml";
        return Qx_File::ReadFile(path.c_str(), buffer) < 0 ? -1L : 0L;
    });
}

long Qx_TarnWorker::Finish(long code, const Qx_WString& message) {
    resultCode_ = code;
    resultMsg_ = message;
    if (code != 0) Trace(Qx_WString(L"failed: ") + message);
    return code;
}

void Qx_TarnWorker::Trace(const Qx_WString& text) const {
    if (debugTrace_ <= 0) return;
    Qx_WString line = Qx_WString(L"[Qx_TarnWorker] ") + serviceName_ + L": " + text + L"\n";
    OutputDebugStringW(line.c_str());
}

void Qx_TarnWorker::SetVariable(const Qx_WString& name, const Qx_Variant& value) {
    if (Qx_Variable* v = GetSafeVarList().GetItem(name.c_str()))
        static_cast<Qx_Variant&>(*v) = value;
    else
        GetSafeVarList().Add(name.c_str(), value);
}

long Qx_TarnWorker::Run(const wchar_t*, const wchar_t*) {
    // A service whose data outgrows the memory fails with a code, the job stays usable.
    return QxBarrier(
        static_cast<long>(QX_RT_E_FAIL),
        [&] {
            const QxStatus status = RunJob();
            return Finish(ResultCodeOf(status), status.reason().c_str());
        },
        [&](const char* what) {
            outVars_.Clear();
            outDatasets_.Clear();
            Qx_WString text;
            text.Set(what);
            Finish(QX_RT_E_FAIL, Qx_WString(L"The service failed: ") + text);
        });
}

QxStatus Qx_TarnWorker::RunJob() {
    outVars_.Clear();
    outDatasets_.Clear();
    if (!jobOpen_) return QxStatus(QxCode::kNotReady, L"No job is open: InitJob was not called or refused the job.");

    Qx_Buffer xml;
    Qx_TarnWorker* reader = parentWorker ? parentWorker : this;
    if (reader->ReadServiceXml(servicePath_, serviceName_, xml) != 0)
        return QxStatus(QxCode::kReadFailed, Qx_WString(L"The definition of service \"") + serviceName_ +
                                                 L"\" cannot be read from folder \"" + servicePath_ + L"\".");
    QxServiceDefinition def;
    if (QxStatus loaded = def.Load(xml); !loaded.ok())
        return QxStatus(loaded.code(), Qx_WString(L"The definition of service \"") + serviceName_ +
                                           L"\" is not valid: " + loaded.reason().c_str());
    if (QxStatus checked = CheckInputs(def); !checked.ok()) return checked;
    if (!def.statements.empty()) {
        QxDbAdaptor* db = nullptr;
        if (QxStatus opened = OpenDatabase(db); !opened.ok()) return opened;
        if (QxStatus ran = RunStatements(def, db); !ran.ok()) return ran;
    }
    for (int i = 0; i < def.outputVariables.Count(); ++i) outVars_.Add(def.outputVariables.GetItemNN(i));
    for (int i = 0; i < def.outputDatasets.Count(); ++i) outDatasets_.Add(def.outputDatasets.GetItemNN(i));
    return QxStatus();
}

QxStatus Qx_TarnWorker::CheckInputs(const QxServiceDefinition& def) {
    for (const QxServiceInput& in : def.inputVariables) {
        const Qx_Variable* v = GetVarList().GetItem(in.name.c_str());
        if (in.required && (!v || v->IsNull()))
            return QxStatus(QxCode::kBadInput, Qx_WString(L"Service \"") + serviceName_ +
                                                   L"\" needs the input variable \"" + in.name + L"\".");
        Qx_Variant converted;
        if (v && !Convert(*v, in.type, converted))
            return QxStatus(QxCode::kBadInput, Qx_WString(L"Input variable \"") + in.name + L"\" of service \"" +
                                                   serviceName_ + L"\" is not a valid value of its type: \"" +
                                                   QxCutText(v->ToString(), 64) + L"\".");
    }
    for (const QxServiceInput& in : def.inputDatasets)
        if (in.required && !GetDatasetList().GetItem(in.name.c_str()))
            return QxStatus(QxCode::kBadInput, Qx_WString(L"Service \"") + serviceName_ +
                                                   L"\" needs the input dataset \"" + in.name + L"\".");
    return QxStatus();
}

// Every failure here is the database's: the adaptor's own code, or QX_RT_E_ADAPTOR.
QxStatus Qx_TarnWorker::OpenDatabase(QxDbAdaptor*& db) {
    auto env = [this](const wchar_t* name) {
        const wchar_t* v = GetEnvStr(name);
        return v ? v : L"";
    };
    if (database_) {
        ReleaseFrameService(database_);
        database_ = nullptr;
    }
    Qx_AdapterComWrapper* wrapper = nullptr;
    if (long rc = CreateFrameService(env(L"_ADAPTOR_DIR_"), env(L"_ADAPTOR_DB_MODULE_"), env(L"_ADAPTOR_DB_ID_"),
                                     env(L"_ADAPTOR_DB_TYPE_"), Qx_WString(env(L"_ADAPTOR_DB_VER_")).ToInteger(),
                                     env(L"_ADAPTOR_DB_NAME_"), wrapper, 1))
        return QxStatus(QxCode::kResultCode, GetLastErrorText(), rc);
    database_ = wrapper;
    db = wrapper->GetDbAdaptor();
    if (!db)
        return QxStatus(
            QxCode::kResultCode,
            Qx_WString(L"Adaptor module \"") + env(L"_ADAPTOR_DB_MODULE_") + L"\" is not a database adaptor.",
            QX_RT_E_ADAPTOR);
    // The environment may bound what the database may cost; else the adaptor's defaults.
    QxDbLimits limits;
    limits.loginTimeoutSeconds = static_cast<long>(EnvNumber(GetEnvStr(L"DBLoginTimeout"), limits.loginTimeoutSeconds));
    limits.queryTimeoutSeconds = static_cast<long>(EnvNumber(GetEnvStr(L"DBQueryTimeout"), limits.queryTimeoutSeconds));
    limits.maxRows = EnvNumber(GetEnvStr(L"DBMaxRows"), limits.maxRows);
    limits.maxBytes = EnvNumber(GetEnvStr(L"DBMaxBytes"), limits.maxBytes);
    limits.poolIdleSeconds = static_cast<long>(EnvNumber(GetEnvStr(L"DBPoolSeconds"), limits.poolIdleSeconds));
    db->SetLimits(limits);
    Qx_WString error;
    if (long rc = db->Connect(env(L"ConnectionString"), env(L"DBUser"), env(L"DBPass"), error))
        return QxStatus(QxCode::kResultCode, Qx_WString(L"Cannot connect to the database: ") + error, rc);
    return QxStatus();
}

QxStatus Qx_TarnWorker::RunStatements(const QxServiceDefinition& def, QxDbAdaptor* db) {
    Qx_WString error;
    // All statements of a run succeed together or not at all.
    if (long rc = db->BeginTransaction(error))
        return QxStatus(QxCode::kResultCode, Qx_WString(L"Cannot start a transaction: ") + error, rc);
    for (size_t i = 0; i < def.statements.size(); ++i) {
        QxStatus ran = RunStatement(def, def.statements[i], static_cast<int>(i) + 1, db);
        if (!ran.ok()) {
            // The statement's failure is what the caller hears of; a failed rollback leaves
            // the transaction to the connection's release.
            Qx_WString ignored;
            static_cast<void>(db->EndTransaction(false, ignored));
            return ran;
        }
    }
    if (long rc = db->EndTransaction(true, error))
        return QxStatus(QxCode::kResultCode, Qx_WString(L"Cannot commit the service's changes: ") + error, rc);
    return QxStatus();
}

QxStatus Qx_TarnWorker::RunStatement(const QxServiceDefinition& def, const QxServiceStatement& st, int number,
                                     QxDbAdaptor* db) {
    Qx_WString where;
    where.Format(L"Service \"%ls\", statement %d: ", serviceName_.c_str(), number);
    Qx_WString sql, error;
    std::vector<Qx_WString> names;
    QxStatus parsed = QxSqlNamedToPositional(st.sql, sql, names);
    if (!parsed.ok()) return QxStatus(parsed.code(), where + parsed.reason().c_str());

    const Qx_Dataset* rows = nullptr;
    if (!st.forEach.IsEmpty()) {
        rows = GetDatasetList().GetItem(st.forEach.c_str());
        if (!rows) return QxStatus(QxCode::kBadInput, where + L"the input dataset \"" + st.forEach + L"\" is missing.");
    }
    const int runs = rows ? rows->GetRowCount() : 1;
    const long long maxRuns = EnvNumber(GetEnvStr(L"DBMaxRowRuns"), kDefaultMaxRowRuns);
    if (runs > maxRuns) {
        Qx_WString limit;
        limit.Format(L"the input dataset \"%ls\" has %d rows; a statement runs for at most %lld rows.",
                     st.forEach.c_str(), runs, maxRuns);
        return QxStatus(QxCode::kBadInput, where + limit);
    }
    // Each name takes the row's column of that name, else the variable of that name.
    const std::vector<ParameterSource> plan = PlanParameters(names, rows, GetVarList(), def);
    const Qx_Variant null;
    Qx_Dataset result;
    long affectedTotal = 0;
    for (int r = 0; r < runs; ++r) {
        std::vector<Qx_Variant> params;
        params.reserve(plan.size());
        for (const ParameterSource& source : plan) {
            const Qx_Variant* value = source.column >= 0 ? rows->GetColumn(r, nullptr, source.column) : source.variable;
            if (!value && source.declared) value = &null;
            if (!value) return QxStatus(QxCode::kBadInput, where + L"no value for parameter :" + source.name + L".");
            Qx_Variant bound;
            if (!Convert(*value, source.type, bound))
                return QxStatus(QxCode::kBadInput,
                                where + L"parameter :" + source.name + L" is not a valid value of its type.");
            params.push_back(bound);
        }
        Trace(sql);
        Qx_Dataset part;
        long affected = -1;
        if (long rc = db->Execute(sql.c_str(), params, &part, affected, error))
            return QxStatus(QxCode::kResultCode, where + error, rc);
        if (affected > 0) affectedTotal += affected;
        if (r == 0)
            result = part;
        else
            AppendRows(result, part);
    }
    if (!st.dataset.IsEmpty()) AddDataset(st.dataset.c_str(), result);
    if (st.intoVariables)
        for (int c = 0; c < result.GetColumnCount(); ++c) {
            const Qx_Variant* value = result.GetColumn(0, nullptr, c);
            SetVariable(result.GetColumnInfo(c)->name, value ? *value : Qx_Variant());
        }
    if (!st.rowCount.IsEmpty()) {
        Qx_Variant count;
        count.SetInt64(affectedTotal);
        SetVariable(st.rowCount, count);
    }
    return QxStatus();
}

long Qx_TarnWorker::EndJob() {
    if (database_) ReleaseFrameService(database_);
    database_ = nullptr;
    jobOpen_ = false;
    return 0;
}

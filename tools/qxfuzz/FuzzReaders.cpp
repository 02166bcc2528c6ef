#include "tools/qxfuzz/FuzzReaders.h"
#include "QxQVInfo320U.h"
#include "runtime/internal/QxServiceDefinition.h"
#include "platform/QxHandle.h"
#include "tools/qxfuzz/FuzzOracle.h"

namespace qxfuzz {
namespace {

Judgement Judge(const Qx_Buffer& bytes) {
    Judgement judged;
    judged.loads = qx_ValidXML(const_cast<Qx_Buffer&>(bytes)) == 1;
    judged.wellFormed = IsWellFormed(std::string(bytes.GetData(), static_cast<size_t>(bytes.GetLength())));
    return judged;
}

// A file as the configuration readers read it, in text mode; an unreadable one is no document.
Judgement JudgeFile(const wchar_t* path) {
    Qx_Buffer buffer;
    return qx_GetTextFileSource(path, buffer) ? Judge(buffer) : Judgement();
}

template <class Read, class Clear>
Answer ReadList(Read read, Clear clear, Judgement input) {
    Qx_PtrList list;
    Answer answer;
    answer.ok = read(list);
    answer.records = list.Count();
    answer.input = input;
    clear(list);
    return answer;
}

void ClearModules(Qx_PtrList& list) {
    for (int i = 0; i < list.Count(); ++i) delete static_cast<ENVIRONMENT_INFO*>(list.Items(i));
    list.Clear();
}

int Members(const CObjectList& catalogue) {
    int count = catalogue.Count();
    for (int i = 0; i < catalogue.Count(); ++i)
        count += catalogue.Items(i)->variables.Count() + catalogue.Items(i)->methods.Count();
    return count;
}

Answer LoadDefinition(const Qx_Buffer& xml) {
    QxServiceDefinition definition;
    Answer answer;
    answer.input = Judge(xml);
    answer.ok = definition.Load(xml).ok();
    if (answer.ok)
        answer.records = static_cast<int>(definition.inputVariables.size() + definition.inputDatasets.size() +
                                          definition.statements.size()) +
                         definition.outputVariables.Count() + definition.outputDatasets.Count();
    return answer;
}

int NoMessage(const wchar_t*, unsigned) { return IDOK; }

}  // namespace

Readers::Readers(std::wstring folder) : folder_(std::move(folder)) { AfxSetMessageSink(&NoMessage); }

std::vector<std::string> Readers::ReaderNames(Kind kind) {
    switch (kind) {
    case Kind::ServerEnvironment: return {"qx_ReadLocalList", "qx_ReadAspJspList", "qx_ReadServerList"};
    case Kind::AdaptorCatalogue: return {"qx_ReadAdapterInformation", "qx_GetAdapterInfo"};
    case Kind::ModuleList: return {"qx_ReadEnvironmentList"};
    case Kind::MemberList: return {"ReadMemberList", "ReadMemberList sorted"};
    case Kind::ServiceDefinition: return {"qx_GetSvcSource local", "qx_ValidXML", "worker's definition"};
    case Kind::ServiceSource: return {"qx_GetXMLSource + LoadXML", "qx_GetXMLSource + worker's definition"};
    }
    return {};
}

bool Readers::Parses(Kind kind, size_t reader) { return !(kind == Kind::ServiceDefinition && reader == 0); }

ReadOutcome Readers::Read(Kind kind, const std::string& bytes) {
    qx_SetWorkingDir(folder_.c_str());
    switch (kind) {
    case Kind::ServerEnvironment: Write(L"qrx_serverenv.xml", bytes); return ReadServerEnvironment();
    case Kind::AdaptorCatalogue: Write(L"qrx_adaptor.xml", bytes); return ReadAdaptorCatalogue();
    case Kind::ModuleList: Write(L"qrx_environment.xml", bytes); return ReadModuleList();
    case Kind::MemberList: return ReadMemberList(Write(L"members.xml", bytes));
    case Kind::ServiceDefinition: Write(L"svc.xml", bytes); return ReadServiceDefinition();
    case Kind::ServiceSource: return ReadServiceSource(bytes);
    }
    return ReadOutcome();
}

std::wstring Readers::Write(const wchar_t* name, const std::string& bytes) {
    const std::wstring path = folder_ + L"\\" + name;
    QxFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        DWORD written = 0;
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    return path;
}

ReadOutcome Readers::ReadServerEnvironment() {
    ReadOutcome out;
    out.input = JudgeFile((folder_ + L"\\qrx_serverenv.xml").c_str());
    for (auto read : {&qx_ReadLocalList, &qx_ReadAspJspList, &qx_ReadServerList})
        out.answers.push_back(ReadList([&](Qx_PtrList& l) { return read(l); }, &qx_ClearServerInformation, out.input));
    return out;
}

ReadOutcome Readers::ReadAdaptorCatalogue() {
    ReadOutcome out;
    out.input = JudgeFile((folder_ + L"\\qrx_adaptor.xml").c_str());
    out.answers.push_back(
        ReadList([](Qx_PtrList& l) { return qx_ReadAdapterInformation(l) == 0; }, &qx_ClearAdapterInfoList, out.input));
    ADAPTER_INFO adapter;
    Answer lookUp;
    lookUp.ok = qx_GetAdapterInfo(L"ADO", adapter) == 0;
    lookUp.records = lookUp.ok ? 1 : 0;
    lookUp.input = out.input;
    out.answers.push_back(lookUp);
    return out;
}

ReadOutcome Readers::ReadModuleList() {
    ReadOutcome out;
    out.input = JudgeFile((folder_ + L"\\qrx_environment.xml").c_str());
    out.answers.push_back(ReadList(&qx_ReadEnvironmentList, &ClearModules, out.input));
    return out;
}

ReadOutcome Readers::ReadMemberList(const std::wstring& path) {
    ReadOutcome out;
    out.input = JudgeFile(path.c_str());
    for (int sorted : {0, 1}) {
        CObjectList catalogue;
        catalogue.sorted = sorted;
        Answer answer;
        answer.ok = catalogue.ReadMemberList(path.c_str()) == 1;
        answer.records = Members(catalogue);
        answer.input = out.input;
        catalogue.ClearObject();
        out.answers.push_back(answer);
    }
    return out;
}

// As the tool reads a local definition (qx_GetSvcSource) and as the worker does.
ReadOutcome Readers::ReadServiceDefinition() {
    ReadOutcome out;
    SERVER_INFO local;
    local.svc_forder = folder_.c_str();
    Qx_WString text;
    Answer source;
    source.ok = qx_GetSvcSource(&local, L"svc", text) == 0;
    source.records = source.ok ? 1 : 0;
    out.answers.push_back(source);

    Answer valid;
    valid.input = JudgeFile((folder_ + L"\\svc.xml").c_str());
    valid.ok = valid.input.loads;
    valid.records = valid.ok ? 1 : 0;
    out.answers.push_back(valid);
    out.input = valid.input;

    Qx_TarnWorkerCommon worker;
    Qx_Buffer raw;
    Answer definition;
    if (worker.ReadServiceXml(Qx_WString(folder_.c_str()), Qx_WString(L"svc"), raw) == 0)
        definition = LoadDefinition(raw);
    out.answers.push_back(definition);
    return out;
}

// A source as a server sends it: bytes in the ANSI code page, decoded whole, then cut.
Qx_WString Readers::CutDefinition(const std::string& bytes) {
    Qx_WString source, definition;
    source.Set(bytes.data(), static_cast<int>(bytes.size()), 0);
    qx_GetXMLSource(source, definition);
    return definition;
}

ReadOutcome Readers::ReadServiceSource(const std::string& bytes) {
    const Qx_WString definition = CutDefinition(bytes);
    ReadOutcome out;
    Qx_XmlDOM dom(0);
    Answer loaded;
    loaded.ok = dom.LoadXML(definition.c_str(), definition.GetLength()) == 1;
    loaded.records = loaded.ok ? dom.Count() : 0;
    loaded.input.loads = loaded.ok;
    loaded.input.wellFormed = IsWellFormed(definition.str());
    out.answers.push_back(loaded);
    Qx_AString utf8(definition, CP_UTF8);
    out.answers.push_back(LoadDefinition(Qx_Buffer(utf8.GetSafeBuffer(), utf8.GetLength())));
    out.input = loaded.input;
    return out;
}

}  // namespace qxfuzz

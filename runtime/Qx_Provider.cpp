#include "runtime/Qx_Provider.h"
#include "runtime/internal/QxRuntimeText.h"
#include "foundation/QxStringFunctions.h"
#include "platform/QxBarrier.h"
#include "platform/QxStatus.h"
#include "runtime/QxAdaptor.h"
#include "runtime/QxRuntimeCodes.h"
#include "runtime/Qx_AdapterComWrapper.h"
#include "runtime/Qx_EnvProvider.h"
#include <algorithm>

using qxrt::operator+;

namespace {

bool HasExtension(const Qx_WString& module) {
    int dot = -1;
    for (int i = module.GetLength() - 1; i >= 0 && dot < 0; --i) {
        wchar_t ch = module.GetAt(i);
        if (ch == L'\\' || ch == L'/') break;
        if (ch == L'.') dot = i;
    }
    return dot >= 0;
}

// CreateFrameService's code for a module that gave no adaptor.
long CodeOf(const QxStatus& status) {
    switch (status.code()) {
    case QxCode::kOk: return QX_RT_OK;
    case QxCode::kNotFound: return QX_RT_E_ENTRY_POINT;
    case QxCode::kResultCode: return QX_RT_E_ADAPTOR;
    default: return QX_RT_E_MODULE_LOAD;
    }
}

}  // namespace

Qx_Provider::Qx_Provider(Qx_EnvProvider* envProvider, Qx_Provider* parentProvider)
    : envProvider(envProvider), parentProvider(parentProvider) {}

Qx_Provider::~Qx_Provider() {
    // Newest first: a later service may rely on an earlier one's module.
    while (!services_.empty()) services_.pop_back();
}

// Setters and the adaptor loader are entry points of the library: what runs out of memory
// in them fails the call (the value is not set, the service not created), never the host.
void Qx_Provider::SetEnvStr(const wchar_t* name, const wchar_t* value) {
    QxBarrierVoid([&] {
        if (Qx_Variable* v = envs_.GetItem(name))
            v->SetString(value);
        else
            envs_.AddStr(name, value);
    });
}

void Qx_Provider::SetRequestEnv(const wchar_t* group, const wchar_t* service) {
    SetEnvStr(L"GROUP_NAME", group);
    SetEnvStr(L"SERVICE_NAME", service);
    SetEnvStr(L"SERVICE_TYPE", L"NORMAL");
    SetEnvStr(L"LISTENER_ID", L"CLIENT");
    SetEnvStr(L"REQUEST_ID", L"0");
    SetEnvStr(L"CLIENT_IP", L"127.0.0.1");
}

void Qx_Provider::LoadEnvs(const Qx_VariableList& envs) {
    QxBarrierVoid([&] {
        for (int i = 0; i < envs.Count(); ++i) {
            const Qx_Variable* v = envs.GetItemNN(i);
            SetEnvStr(v->GetName().c_str(), v->ToString().c_str());
        }
    });
}

const wchar_t* Qx_Provider::GetEnvStr(const wchar_t* name) const {
    if (const Qx_Variable* v = envs_.GetItem(name)) return v->GetText();
    if (parentProvider)
        if (const wchar_t* value = parentProvider->GetEnvStr(name)) return value;
    return envProvider ? envProvider->GetEnvStr(name) : nullptr;
}

int Qx_Provider::AddDataset(const wchar_t* id, const Qx_Dataset& dataset) {
    return QxBarrier(-1, [&] {
        for (int i = 0; i < datasets_.Count(); ++i) {
            Qx_Dataset* held = datasets_.GetItemNN(i);
            if (qx_stricmpW(held->GetId().c_str(), id) == 0) {
                *held = dataset;
                held->SetId(id);
                return i;
            }
        }
        return datasets_.AddDataset(id, dataset);
    });
}

void Qx_Provider::FreeAll() {
    envs_.ReleaseList();
    vars_.ReleaseList();
    datasets_.ReleaseList();
}

void Qx_Provider::SetLastError(long code, const Qx_WString& text) {
    lastResult_ = Qx_Result(code);
    lastError_ = text;
    if (code != 0) lastResult_.AddMsg(code, L"Qx_Provider", 0, text.c_str());
    lastResult_.SetCode(code);
}

long Qx_Provider::CreateFrameService(const wchar_t* dir, const wchar_t* module, const wchar_t* id, const wchar_t* type,
                                     int ver, const wchar_t* name, Qx_AdapterComWrapper*& out, int /*flag*/) {
    return QxBarrier(
        static_cast<long>(QX_RT_E_MODULE_LOAD), [&] { return LoadFrameService(dir, module, id, type, ver, name, out); },
        [&](const char* what) {
            Qx_WString text;
            text.Set(what);
            SetLastError(QX_RT_E_MODULE_LOAD, Qx_WString(L"The adaptor module cannot be loaded: ") + text);
        });
}

// The load's status becomes CreateFrameService's code and the last error here.
long Qx_Provider::LoadFrameService(const wchar_t* dir, const wchar_t* module, const wchar_t* id, const wchar_t* type,
                                   int ver, const wchar_t* name, Qx_AdapterComWrapper*& out) {
    const QxStatus status = LoadAdaptor(dir, module, id, type, ver, name, out);
    const long code = CodeOf(status);
    SetLastError(code, Qx_WString(status.reason()));
    return code;
}

QxStatus Qx_Provider::LoadAdaptor(const wchar_t* dir, const wchar_t* module, const wchar_t* id, const wchar_t* type,
                                  int ver, const wchar_t* name, Qx_AdapterComWrapper*& out) {
    Qx_WString folder(dir), file(module);
    if (file.IsEmpty())
        return QxStatus(QxCode::kBadInput, Qx_WString(L"No adaptor module is named (folder \"") + folder + L"\").");
    if (!HasExtension(file)) file += L".dll";
    Qx_WString path;
    if (!folder.IsEmpty()) {
        path = folder;
        wchar_t last = folder.GetAt(folder.GetLength() - 1);
        if (last != L'\\' && last != L'/') path += L'\\';
    }
    path += file;
    // An absolute path lets the module's own dependencies (this library) be found beside it.
    wchar_t full[MAX_PATH];
    DWORD n = folder.IsEmpty() ? 0 : GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (n > 0 && n < MAX_PATH) path = full;

    QxModule loaded(LoadLibraryExW(path.c_str(), nullptr, folder.IsEmpty() ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!loaded) {
        const DWORD error = GetLastError();
        return QxStatus::FromSystemError(error, Qx_WString(L"Adaptor module \"") + Qx_WString(module) +
                                                    L"\" cannot be loaded from folder \"" + folder + L"\"");
    }
    auto create = reinterpret_cast<QxCreateAdaptorFn>(
        reinterpret_cast<void*>(GetProcAddress(loaded.Get(), QX_ADAPTOR_ENTRY_POINT)));
    if (!create)
        return QxStatus(QxCode::kNotFound, Qx_WString(L"Adaptor module \"") + Qx_WString(module) + L"\" in folder \"" +
                                               folder + L"\" has no entry point " + Qx_WString(L"QxCreateAdaptor") +
                                               L".");
    QxAdaptor* adaptor = nullptr;
    long rc = create(id ? id : L"", type ? type : L"", ver, name ? name : L"", &adaptor);
    if (rc != 0 || !adaptor) {
        Qx_WString text;
        text.Format(L"Adaptor module \"%ls\" in folder \"%ls\" refused to create its adaptor (code %ld).", module,
                    folder.c_str(), rc);
        return QxStatus(QxCode::kResultCode, text.str(), rc);
    }
    services_.push_back(std::make_unique<Qx_SvcWrapper>(this, std::move(loaded), adaptor, path.c_str()));
    out = services_.back().get();
    return QxStatus();
}

void Qx_Provider::ReleaseFrameService(Qx_AdapterComWrapper* wrapper) {
    auto it = std::find_if(services_.begin(), services_.end(),
                           [wrapper](const std::unique_ptr<Qx_SvcWrapper>& s) { return s.get() == wrapper; });
    if (it != services_.end()) services_.erase(it);
}

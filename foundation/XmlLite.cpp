#include "foundation/XmlLite.h"

namespace {
using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

CreateXmlReaderFn LoadCreateXmlReader() {
    // Kept loaded for the life of the process: unloading it from this DLL's own detach
    // would call FreeLibrary under the loader lock.
    static HMODULE module = LoadLibraryW(L"xmllite.dll");
    static CreateXmlReaderFn create =
        module ? reinterpret_cast<CreateXmlReaderFn>(reinterpret_cast<void*>(GetProcAddress(module, "CreateXmlReader")))
               : nullptr;
    return create;
}

// Wine answers E_NOTIMPL to some properties; those are enforced elsewhere.
bool Accepted(HRESULT hr) { return SUCCEEDED(hr) || hr == E_NOTIMPL; }
}  // namespace

QxStatus QxCreateXmlReader(IXmlReader** reader) {
    *reader = nullptr;
    CreateXmlReaderFn create = LoadCreateXmlReader();
    if (!create) return QxStatus::FromSystemError(ERROR_MOD_NOT_FOUND, L"xmllite.dll", QxCode::kNotFound);
    IXmlReader* created = nullptr;
    HRESULT hr = create(__uuidof(IXmlReader), reinterpret_cast<void**>(&created), nullptr);
    if (FAILED(hr)) return QxStatus::FromHResult(hr, L"CreateXmlReader");
    // With DTDs prohibited no entity can be declared, so only the predefined and numeric
    // references are ever expanded.
    hr = created->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    if (!Accepted(hr)) {
        created->Release();
        return QxStatus::FromHResult(hr, L"prohibiting DTDs");
    }
    *reader = created;
    return QxStatus();
}

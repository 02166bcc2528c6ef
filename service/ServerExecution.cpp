#include "service/ServerExecution.h"
#include "afx/AfxMessageBox.h"
#include "afx/CWaitCursor.h"
#include "config/AdaptorCatalogue.h"
#include "config/QxRecords.h"
#include "platform/QxBarrier.h"
#include "resources/StringIds.h"
#include "runtime/Qx_AdapterComWrapper.h"
#include "runtime/Qx_EnvProvider.h"
#include "runtime/Qx_Provider.h"
#include "service/ResultMessages.h"

namespace {
long g_timeoutSeconds = 10;

}  // namespace

void qx_SetTimeout(long seconds) { g_timeoutSeconds = seconds; }

namespace {
Qx_Result LoadAdapter(SERVER_INFO* server, Qx_AdapterComWrapper*& wrapper, Qx_Provider* provider) {
    ADAPTER_INFO adapter;
    Qx_Result result;
    if (!server || !provider) {
        result.SetCode(-1);
        return result;
    }
    if (qx_GetAdapterInfo(server->adaptor.c_str(), adapter) == -1) {
        result.AddMsg(525, L"QVCommon", 171,
                      QxFormatModuleMessage(IDS_QRX_UNKNOWN_ADAPTOR, server->adaptor.c_str()).c_str(), 0);
        // An unknown adaptor is shown to the user rather than dropped unseen.
        qx_DisplayResultMsg(result);
        return result;
    }
    Qx_AdapterComWrapper* loaded = nullptr;
    result.SetCode(provider->CreateFrameService(adapter.dir.c_str(), adapter.module.c_str(), adapter.id.c_str(),
                                                adapter.type.c_str(), adapter.ver.ToInteger(), adapter.name.c_str(),
                                                loaded, 1));
    if (result.GetCode() != 0) {
        // The provider says which module failed to load from which folder.
        result = provider->GetLastResult();
        if (result.GetCode() == 0) result.SetCode(-1);
        qx_DisplayResultMsg(result);
        return result;
    }
    wrapper = loaded;
    return result;
}
}  // namespace

Qx_Result qx_LoadAdapter(SERVER_INFO* server, Qx_AdapterComWrapper*& wrapper, Qx_Provider* provider) {
    return QxBarrier(Qx_Result(-1), [&] { return LoadAdapter(server, wrapper, provider); });
}

namespace {
long LoadServerService(SERVER_INFO* server, const Qx_WString& service, Qx_VariableList& variables,
                       Qx_DatasetList& datasets, const wchar_t*, long) {
    CWaitCursor wait;
    if (!server || server->grpname.IsEmpty() || service.IsEmpty()) return -1;
    Qx_EnvProvider environment;
    Qx_Provider provider(&environment, nullptr);
    provider.SetRequestEnv(server->grpname.c_str(), service.c_str());

    Qx_AdapterComWrapper* wrapper = nullptr;
    if (qx_LoadAdapter(server, wrapper, &provider).GetCode() != 0 || !wrapper) return -1;

    const Qx_WString address = server->ip;
    const Qx_WString port = server->port;
    if (address.IsEmpty() || port.IsEmpty()) {
        AfxMessageBox(L"Server IP or Port No. is not specified.", MB_OK, 0);
        return -1;
    }
    long code = wrapper->SendReq(variables, datasets, address.c_str(), port.ToInteger(), g_timeoutSeconds, 1, 0);
    if (code == 0) return 0;
    // The user sees the request's code together with the wrapper's account of it.
    Qx_Result result = wrapper->GetLastResult();
    result.SetCode(code);
    qx_DisplayResultMsg(result);
    return -1;
}
}  // namespace

// The contract passes the service name by value.
// cppcheck-suppress passedByValue
// NOLINTNEXTLINE(performance-unnecessary-value-param)
long qx_LoadServerService(SERVER_INFO* server, Qx_WString service, Qx_VariableList& variables, Qx_DatasetList& datasets,
                          const wchar_t* format, long flags) {
    return QxBarrier(-1L, [&] { return LoadServerService(server, service, variables, datasets, format, flags); });
}

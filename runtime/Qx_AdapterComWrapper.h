#pragma once
#include "platform/QxExport.h"
#include "platform/QxHandle.h"
#include "foundation/Qx_DatasetList.h"
#include "foundation/Qx_Result.h"
#include "foundation/Qx_VariableList.h"
#include "foundation/Qx_WString.h"
#include <string>

class Qx_Provider;
class QxStatus;
class Qx_WStrList;
class QxAdaptor;
class QxComAdaptor;
class QxDbAdaptor;

// The client side of a service server: sends one request through a communication adaptor
// and adds the reply to the caller's lists. Made by Qx_Provider::CreateFrameService (as a
// Qx_SvcWrapper); the provider owns it.
class QX_API Qx_AdapterComWrapper {
public:
    virtual ~Qx_AdapterComWrapper();
    Qx_AdapterComWrapper(const Qx_AdapterComWrapper&) = delete;
    Qx_AdapterComWrapper& operator=(const Qx_AdapterComWrapper&) = delete;

    // Sends the service named by the creating provider's environment strings ("GROUP_NAME",
    // "SERVICE_NAME", "SERVICE_TYPE", "LISTENER_ID", "REQUEST_ID", "CLIENT_IP"; a missing
    // one goes as the empty text) with variables and datasets as inputs to address:port,
    // and waits for the reply: connecting, sending and receiving together take at most
    // timeoutSeconds (0 or less: 10 seconds). The reply's variables and datasets are added
    // to the end of the same two lists, the inputs stay in front of them.
    // Answers 0 when the server ran the service; the server's non-zero result code when
    // the service failed there (the reply's variables and datasets are still added); a
    // QX_RT_E_... code when no valid reply came (nothing added, except that a malformed
    // reply may leave part of it). On failure GetLastErrorText and GetLastResult say why.
    // The last two arguments are accepted for callers that pass 1 and 0.
    long SendReq(Qx_VariableList& variables, Qx_DatasetList& datasets, const wchar_t* address, int port,
                 long timeoutSeconds, int reserved1 = 1, int reserved2 = 0);

    // Why the last SendReq failed, one message per line; empty after success.
    const Qx_WString& GetLastErrorText() const { return lastError_; }
    // The last SendReq's code with one message per server message (or transport failure).
    const Qx_Result& GetLastResult() const { return lastResult_; }

    // The adaptor behind this frame service by its kind; null when it is of the other kind.
    QxComAdaptor* GetComAdaptor() const;
    QxDbAdaptor* GetDbAdaptor() const;
    Qx_Provider* GetProvider() const { return provider_; }

protected:
    Qx_AdapterComWrapper(Qx_Provider* provider, QxAdaptor* adaptor);
    QxAdaptor* adaptor_;

private:
    void Fail(long code, const Qx_WString& text);
    long Send(Qx_VariableList& variables, Qx_DatasetList& datasets, const wchar_t* address, int port,
              long timeoutSeconds);
    QxStatus Request(Qx_VariableList& variables, Qx_DatasetList& datasets, const wchar_t* address, int port,
                     long timeoutSeconds, long& code, Qx_WStrList& messages);

    Qx_Provider* provider_;
    Qx_Result lastResult_;
    Qx_WString lastError_;
    // The last reply's buffer, kept for the next one when it is not large: a reply received
    // into memory already touched costs no fresh pages.
    std::string reply_;
};

// A frame service: one loaded adaptor module and the adaptor it made. Releasing it
// releases the adaptor (inside its module) and then unloads the module.
class QX_API Qx_SvcWrapper : public Qx_AdapterComWrapper {
public:
    Qx_SvcWrapper(Qx_Provider* provider, QxModule module, QxAdaptor* adaptor, const wchar_t* modulePath);
    ~Qx_SvcWrapper() override;
    // It owns its module and adaptor: one holder only.
    Qx_SvcWrapper(const Qx_SvcWrapper&) = delete;
    Qx_SvcWrapper& operator=(const Qx_SvcWrapper&) = delete;

    const Qx_WString& GetModulePath() const { return modulePath_; }

private:
    QxModule module_;
    Qx_WString modulePath_;
};

#include "runtime/Qx_AdapterComWrapper.h"
#include "runtime/internal/QxRuntimeText.h"
#include "runtime/QxAdaptor.h"
#include "runtime/QxRuntimeCodes.h"
#include "runtime/internal/QxTextLimits.h"
#include "runtime/internal/QxWireProtocol.h"
#include "platform/QxBarrier.h"
#include "platform/QxStatus.h"
#include "runtime/Qx_Provider.h"

using qxrt::operator+;

namespace {
// The environment strings every request carries, in this order.
const wchar_t* const kRequestEnv[] = {L"GROUP_NAME",  L"SERVICE_NAME", L"SERVICE_TYPE",
                                      L"LISTENER_ID", L"REQUEST_ID",   L"CLIENT_IP"};
const long kDefaultTimeoutSeconds = 10;
// What a decoded reply may take in the host, on top of the codec's bound per byte: a
// server that sends 64 MiB of null cells (1.5 GiB decoded) is refused, while real replies
// (texts and numbers decode to one to three times their bytes) pass far below it. The
// host is a 32-bit process with 2 GiB of address space.
const size_t kMaxDecodedReply = 256u << 20;
// Reply buffers up to this size are kept for the next request.
const size_t kKeptReplyBytes = 4u << 20;

// SendReq's code for a request that brought no valid reply.
long CodeOf(const QxStatus& status) {
    switch (status.code()) {
    case QxCode::kResultCode: return status.number();  // the adaptor's own
    case QxCode::kBadInput: return QX_RT_E_ADAPTOR;
    default: return QX_RT_E_PROTOCOL;
    }
}
}  // namespace

Qx_AdapterComWrapper::Qx_AdapterComWrapper(Qx_Provider* provider, QxAdaptor* adaptor)
    : adaptor_(adaptor), provider_(provider) {}

Qx_AdapterComWrapper::~Qx_AdapterComWrapper() = default;

QxComAdaptor* Qx_AdapterComWrapper::GetComAdaptor() const {
    return adaptor_ && adaptor_->GetKind() == QX_ADAPTOR_COM ? static_cast<QxComAdaptor*>(adaptor_) : nullptr;
}

QxDbAdaptor* Qx_AdapterComWrapper::GetDbAdaptor() const {
    return adaptor_ && adaptor_->GetKind() == QX_ADAPTOR_DB ? static_cast<QxDbAdaptor*>(adaptor_) : nullptr;
}

void Qx_AdapterComWrapper::Fail(long code, const Qx_WString& text) {
    lastError_ = text;
    lastResult_ = Qx_Result();
    lastResult_.AddMsg(code, L"Qx_AdapterComWrapper", 0, text.c_str());
    lastResult_.SetCode(code);
}

long Qx_AdapterComWrapper::SendReq(Qx_VariableList& variables, Qx_DatasetList& datasets, const wchar_t* address,
                                   int port, long timeoutSeconds, int, int) {
    // A reply too large for the memory left, above all, fails this request only.
    const long rc = QxBarrier(
        static_cast<long>(QX_RT_E_FAIL), [&] { return Send(variables, datasets, address, port, timeoutSeconds); },
        [&](const char* what) {
            Qx_WString text;
            text.Set(what);
            Fail(QX_RT_E_FAIL, Qx_WString(L"The request failed: ") + text);
        });
    if (reply_.capacity() > kKeptReplyBytes)
        std::string().swap(reply_);
    else
        reply_.clear();
    return rc;
}

// The request's status becomes SendReq's code and the last error here.
long Qx_AdapterComWrapper::Send(Qx_VariableList& variables, Qx_DatasetList& datasets, const wchar_t* address, int port,
                                long timeoutSeconds) {
    lastError_.Empty();
    lastResult_ = Qx_Result();
    long code = 0;
    Qx_WStrList messages;
    const QxStatus status = Request(variables, datasets, address, port, timeoutSeconds, code, messages);
    if (!status.ok()) {
        const long rc = CodeOf(status);
        Fail(rc, Qx_WString(status.reason()));
        return rc;
    }
    if (code == 0) return 0;
    // The server's messages, one per line, cut to a stated length and count (a server could
    // send thousands); a bare code still reads as a failure.
    QxCutMessages(messages);
    for (int i = 0; i < messages.Count(); ++i) {
        if (i > 0) lastError_ += L"\n";
        lastError_ += *messages.GetItem(i);
        lastResult_.AddMsg(code, L"server", 0, messages.GetItemNN(i));
    }
    if (messages.Count() == 0) lastError_.Format(L"The service failed on the server with code %ld.", code);
    lastResult_.SetCode(code);
    return code;
}

// Ok when a valid reply came, with the server's code and messages; its variables and
// datasets are added to the lists.
QxStatus Qx_AdapterComWrapper::Request(Qx_VariableList& variables, Qx_DatasetList& datasets, const wchar_t* address,
                                       int port, long timeoutSeconds, long& code, Qx_WStrList& messages) {
    QxComAdaptor* com = GetComAdaptor();
    if (!com) return QxStatus(QxCode::kBadInput, L"The adaptor is not a communication adaptor.");
    Qx_VariableList env(1);
    for (const wchar_t* name : kRequestEnv) {
        const wchar_t* value = provider_ ? provider_->GetEnvStr(name) : nullptr;
        env.AddStr(name, value ? value : L"");
    }
    std::string request;
    std::string& reply = reply_;  // emptied after every request, its buffer kept
    QxWireCodec::EncodeRequest(env, variables, datasets, request);
    Qx_WString error;
    long rc = com->Exchange(request, reply, address, port, timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds,
                            error);
    if (rc != 0) return QxStatus(QxCode::kResultCode, error.str(), rc);
    QxWireCodec::DecodeCost cost;
    cost.limit = kMaxDecodedReply;
    QxStatus decoded = QxWireCodec::DecodeReply(reply.data(), reply.size(), QxWireCodec::kDefaultMaxFrame, code,
                                                messages, variables, datasets, &cost);
    if (decoded.ok()) return decoded;
    const wchar_t* verdict =
        decoded.code() == QxCode::kTooLarge ? L"The server's reply is refused: " : L"The server's reply is not valid: ";
    return QxStatus(decoded.code(), verdict + decoded.reason());
}

Qx_SvcWrapper::Qx_SvcWrapper(Qx_Provider* provider, QxModule module, QxAdaptor* adaptor, const wchar_t* modulePath)
    : Qx_AdapterComWrapper(provider, adaptor), module_(std::move(module)), modulePath_(modulePath) {}

Qx_SvcWrapper::~Qx_SvcWrapper() {
    // The adaptor's code lives in the module: destroy it before the module goes.
    if (adaptor_) adaptor_->Release();
    adaptor_ = nullptr;
}

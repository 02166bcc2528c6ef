// The TCP communication adaptor: carries one wire-protocol request to a service server
// and brings its reply back. One connection per exchange.
#include "runtime/QxAdaptor.h"
#include "runtime/QxRuntimeCodes.h"
#include "runtime/internal/QxSocket.h"
#include "runtime/internal/QxWireProtocol.h"

namespace {

// The runtime's code for a failed send or receive.
long CodeOf(const QxStatus& status) {
    switch (status.code()) {
    case QxCode::kTimeout: return QX_RT_E_TIMEOUT;
    case QxCode::kBadFrame: return QX_RT_E_PROTOCOL;
    default: return QX_RT_E_TRANSPORT;
    }
}

class TcpAdaptor : public QxComAdaptor {
public:
    void Release() override { delete this; }

    long Exchange(const std::string& request, std::string& reply, const wchar_t* address, int port, long timeoutSeconds,
                  Qx_WString& error) override {
        return QxAdaptorCall(QX_RT_E_TRANSPORT, error,
                             [&] { return Carry(request, reply, address, port, timeoutSeconds, error); });
    }

private:
    // The statuses of the socket helpers become the runtime's codes and texts here.
    long Carry(const std::string& request, std::string& reply, const wchar_t* address, int port, long timeoutSeconds,
               Qx_WString& error) {
        // One deadline covers connecting, sending and the whole reply.
        QxDeadline deadline(static_cast<int64_t>(timeoutSeconds) * 1000);
        QxSocket s;
        QxStatus status = QxConnectTcp(address, port, deadline, s);
        if (!status.ok()) {
            error = Qx_WString(status.reason());
            return status.code() == QxCode::kTimeout ? QX_RT_E_TIMEOUT : QX_RT_E_CONNECT;
        }
        status = QxSendAll(s.Get(), request.data(), request.size(), deadline);
        if (!status.ok()) {
            error = Describe(status, L"sending the request", address, port);
            return CodeOf(status);
        }
        status = QxRecvFrame(s.Get(), QxWireCodec::kDefaultMaxFrame, deadline, reply);
        if (!status.ok()) {
            // After a time-out part of a frame may have been read: the socket is closed
            // here (by its owner) and never read again.
            error = Describe(status, L"waiting for the reply", address, port);
            return CodeOf(status);
        }
        return 0;
    }

    // "<what> <address>:<port> <how>", and why after a colon where a time-out or a stop
    // does not say it all.
    static Qx_WString Describe(const QxStatus& status, const wchar_t* what, const wchar_t* address, int port) {
        Qx_WString text;
        const QxCode code = status.code();
        const wchar_t* how = code == QxCode::kTimeout  ? L"timed out"
                             : code == QxCode::kClosed ? L"the server closed the connection"
                                                       : L"failed";
        text.Format(L"%ls %ls:%d %ls", what, address ? address : L"", port, how);
        if (code != QxCode::kTimeout && code != QxCode::kStopped) {
            text += L": ";
            text += status.reason().c_str();
        }
        return text;
    }
};

}  // namespace

extern "C" __declspec(dllexport) long QxCreateAdaptor(const wchar_t*, const wchar_t*, int, const wchar_t*,
                                                      QxAdaptor** out) {
    if (!out) return QX_RT_E_FAIL;
    *out = new (std::nothrow) TcpAdaptor();
    return *out ? 0L : static_cast<long>(QX_RT_E_ADAPTOR);
}

// The TCP communication adaptor: carries one wire-protocol request to a service server
// and brings its reply back. One connection per exchange.
#include "runtime/QxAdaptor.h"
#include "runtime/QxRuntimeCodes.h"
#include "runtime/internal/QxSocket.h"
#include "runtime/internal/QxWireProtocol.h"

namespace {

long CodeOf(QxIoStatus status) {
    return status == QX_IO_TIMEOUT ? QX_RT_E_TIMEOUT : status == QX_IO_BAD_FRAME ? QX_RT_E_PROTOCOL : QX_RT_E_TRANSPORT;
}

class TcpAdaptor : public QxComAdaptor {
public:
    void Release() override { delete this; }

    long Exchange(const std::string& request, std::string& reply, const wchar_t* address, int port,
                  long timeoutSeconds, Qx_WString& error) override {
        return QxAdaptorCall(QX_RT_E_TRANSPORT, error,
                             [&] { return Carry(request, reply, address, port, timeoutSeconds, error); });
    }

private:
    long Carry(const std::string& request, std::string& reply, const wchar_t* address, int port, long timeoutSeconds,
               Qx_WString& error) {
        // One deadline covers connecting, sending and the whole reply.
        QxDeadline deadline(static_cast<int64_t>(timeoutSeconds) * 1000);
        QxSocket s;
        QxIoStatus st = QxConnectTcp(address, port, deadline, s, error);
        if (st != QX_IO_OK) return st == QX_IO_TIMEOUT ? QX_RT_E_TIMEOUT : QX_RT_E_CONNECT;
        st = QxSendAll(s.Get(), request.data(), request.size(), deadline);
        if (st != QX_IO_OK) {
            error = Describe(st, L"sending the request", address, port);
            return CodeOf(st);
        }
        Qx_WString why;
        st = QxRecvFrame(s.Get(), QxWireCodec::kDefaultMaxFrame, deadline, reply, why);
        if (st != QX_IO_OK) {
            // After a time-out part of a frame may have been read: the socket is closed
            // here (by its owner) and never read again.
            error = Describe(st, L"waiting for the reply", address, port);
            if (!why.IsEmpty()) {
                error += L": ";
                error += why;
            }
            return CodeOf(st);
        }
        return 0;
    }

    static Qx_WString Describe(QxIoStatus st, const wchar_t* what, const wchar_t* address, int port) {
        Qx_WString text;
        const wchar_t* how = st == QX_IO_TIMEOUT ? L"timed out" : st == QX_IO_CLOSED ? L"the server closed the connection"
                                                                                      : L"failed";
        text.Format(L"%ls %ls:%d %ls", what, address ? address : L"", port, how);
        if (st == QX_IO_ERROR) {
            text += L": ";
            text += QxSocketErrorText(WSAGetLastError());
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

#include "runtime/internal/QxSocket.h"
#include "runtime/internal/QxWireProtocol.h"
#include <algorithm>
#include <cwchar>

namespace {

// Slice of a wait, so that a stop request is seen soon.
const int64_t kPollSliceMs = 200;

// Waits until s is readable (or writable); 1 ready, 0 timed out, -1 error.
int WaitSocket(SOCKET s, bool forWrite, int64_t ms) {
    WSAPOLLFD fd = {};
    fd.fd = s;
    fd.events = forWrite ? POLLWRNORM : POLLRDNORM;
    int n = WSAPoll(&fd, 1, static_cast<INT>(ms > INT32_MAX ? INT32_MAX : ms));
    if (n == SOCKET_ERROR) return -1;
    if (n == 0) return 0;
    return (fd.revents & (forWrite ? POLLWRNORM : POLLRDNORM)) || (fd.revents & POLLHUP) ? 1 : -1;
}

// The most a frame's buffer grows by at once.
const size_t kMaxPiece = 1u << 20;
// What a frame's buffer first grows by beyond its header.
const size_t kFirstPiece = 64u << 10;

QxStatus Timeout() { return QxStatus(QxCode::kTimeout, L"timed out"); }
QxStatus Stopped() { return QxStatus(QxCode::kStopped, L"stopped"); }
QxStatus ClosedInsideAFrame() { return QxStatus(QxCode::kBadFrame, L"connection closed inside a frame"); }

// Waits until s has bytes (or news of a close) to read, watching the deadline and stop.
QxStatus WaitReadable(SOCKET s, const QxDeadline& deadline, const volatile long* stop) {
    for (;;) {
        if (stop && *stop) return Stopped();
        if (deadline.Expired()) return Timeout();
        int ready = WaitSocket(s, false, deadline.Left(stop ? kPollSliceMs : INT32_MAX));
        if (ready < 0) return QxStatus::FromWsaError(nullptr);
        if (ready > 0) return QxStatus();
    }
}

// Reads exactly count bytes; kClosed when the peer closed the connection.
QxStatus RecvExact(SOCKET s, char* data, size_t count, const QxDeadline& deadline, const volatile long* stop) {
    size_t got = 0;
    while (got < count) {
        if (stop && *stop) return Stopped();
        int chunk = count - got > kMaxPiece ? static_cast<int>(kMaxPiece) : static_cast<int>(count - got);
        int n = recv(s, data + got, chunk, 0);
        if (n == 0) return QxStatus(QxCode::kClosed, L"connection closed");
        if (n > 0) {
            got += static_cast<size_t>(n);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) return QxStatus::FromWsaError(nullptr);
        QxStatus waited = WaitReadable(s, deadline, stop);
        if (!waited.ok()) return waited;
    }
    return QxStatus();
}

}  // namespace

QxStatus QxWinsockStartup() {
    static const int started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return started == 0 ? QxStatus() : QxStatus(QxCode::kSystem, L"Winsock could not be started", started);
}

QxDeadline::QxDeadline(int64_t ms) : end_(ms > 0 ? GetTickCount64() + static_cast<uint64_t>(ms) : 0) {}

bool QxDeadline::Expired() const { return end_ != 0 && GetTickCount64() >= end_; }

int64_t QxDeadline::Left(int64_t cap) const {
    if (end_ == 0) return cap;
    uint64_t now = GetTickCount64();
    if (now >= end_) return 0;
    int64_t left = static_cast<int64_t>(end_ - now);
    return left < cap ? left : cap;
}

QxStatus QxConnectTcp(const wchar_t* address, int port, const QxDeadline& deadline, QxSocket& out) {
    QxStatus started = QxWinsockStartup();
    if (!started.ok()) return started;
    Qx_WString text;
    if (!address || !*address || port <= 0 || port > 65535) {
        text.Format(L"invalid server address %ls:%d", address ? address : L"", port);
        return QxStatus(QxCode::kBadInput, text.str());
    }
    wchar_t service[16];
    swprintf(service, 16, L"%d", port);
    ADDRINFOW hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    QxAddrInfo found;
    if (GetAddrInfoW(address, service, &hints, found.Put()) != 0 || !found) {
        const DWORD error = static_cast<DWORD>(WSAGetLastError());
        text.Format(L"cannot resolve server address %ls", address);
        return QxStatus::FromSystemError(error, text);
    }
    Qx_WString server;
    server.Format(L"cannot connect to %ls:%d", address, port);
    QxStatus status(QxCode::kSystem, server.str());
    // Once one address has timed out the deadline has passed for all: the connect timed
    // out, whatever the addresses after it said.
    bool timedOut = false;
    for (const ADDRINFOW* ai = found.Get(); ai; ai = ai->ai_next) {
        QxSocket s(socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol));
        if (!s || !QxSetNonBlocking(s.Get()).ok()) continue;
        // connect has no time-out of its own: start it non-blocking and wait for writability.
        if (connect(s.Get(), ai->ai_addr, static_cast<int>(ai->ai_addrlen)) != 0 &&
            WSAGetLastError() != WSAEWOULDBLOCK) {
            status = QxStatus::FromWsaError(server);
            continue;
        }
        int ready = WaitSocket(s.Get(), true, deadline.Left(INT32_MAX));
        if (ready == 0) {
            text.Format(L"connecting to %ls:%d timed out", address, port);
            status = QxStatus(QxCode::kTimeout, text.str());
            timedOut = true;
            continue;
        }
        int soError = 0;
        int len = sizeof soError;
        getsockopt(s.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
        if (ready < 0 || soError != 0) {
            status = QxStatus::FromSystemError(static_cast<DWORD>(soError ? soError : WSAGetLastError()), server);
            continue;
        }
        BOOL noDelay = TRUE;
        setsockopt(s.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        out = std::move(s);
        return QxStatus();
    }
    return timedOut ? QxStatus(QxCode::kTimeout, status.reason(), status.number()) : status;
}

QxStatus QxSetNonBlocking(SOCKET s) {
    u_long mode = 1;
    return ioctlsocket(s, FIONBIO, &mode) == 0 ? QxStatus() : QxStatus::FromWsaError(nullptr);
}

QxStatus QxSendAll(SOCKET s, const char* data, size_t count, const QxDeadline& deadline, const volatile long* stop) {
    size_t sent = 0;
    while (sent < count) {
        if (stop && *stop) return Stopped();
        if (deadline.Expired()) return Timeout();
        int chunk = count - sent > (1u << 20) ? (1 << 20) : static_cast<int>(count - sent);
        int n = send(s, data + sent, chunk, 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK) return QxStatus::FromWsaError(nullptr);
        if (WaitSocket(s, true, deadline.Left(stop ? kPollSliceMs : INT32_MAX)) < 0)
            return QxStatus::FromWsaError(nullptr);
    }
    return QxStatus();
}

QxStatus QxRecvFrame(SOCKET s, uint32_t maxFrame, const QxDeadline& deadline, std::string& frame,
                     const volatile long* stop, QxBudgetShare* share) {
    frame.assign(QxWireCodec::kHeaderSize, '\0');
    // A close before the first byte is the end of the conversation; any later one is not.
    QxStatus status = RecvExact(s, &frame[0], 1, deadline, stop);
    if (!status.ok()) return status;
    status = RecvExact(s, &frame[1], QxWireCodec::kHeaderSize - 1, deadline, stop);
    if (status.code() == QxCode::kClosed) return ClosedInsideAFrame();
    if (!status.ok()) return status;
    QxWireHeader header;
    status = QxWireCodec::ParseHeader(frame.data(), frame.size(), maxFrame, header);
    if (!status.ok()) return status;
    const size_t total = QxWireCodec::kHeaderSize + header.length;
    // The buffer grows with what has arrived, at most doubling, so a peer that announces
    // much and sends little costs little; the budget is charged for each growth. Bytes are
    // received straight into it, and the socket is only waited on when it has nothing: a
    // reply that streams in costs one call per piece. A buffer the caller kept from an
    // earlier frame is used whole at once: it costs nothing more, and each call under Wine
    // costs a trip to its server.
    size_t have = frame.size();
    while (have < total) {
        if (stop && *stop) return Stopped();
        if (have == frame.size()) {
            const size_t grown = std::min(total, std::max(frame.capacity(), have + std::max(kFirstPiece, have)));
            if (share && !share->GrowTo(grown)) {
                Qx_WString text;
                text.Format(L"the receive budget of %llu bytes is taken by other frames",
                            static_cast<unsigned long long>(share->Budget()->Limit()));
                return QxStatus(QxCode::kBusy, text.str());
            }
            frame.resize(grown);
        }
        const size_t room = std::min(frame.size() - have, kMaxPiece);
        int n = recv(s, &frame[have], static_cast<int>(room), 0);
        if (n > 0) {
            have += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) return ClosedInsideAFrame();
        if (WSAGetLastError() != WSAEWOULDBLOCK) return QxStatus::FromWsaError(nullptr);
        status = WaitReadable(s, deadline, stop);
        if (!status.ok()) return status;
    }
    return QxStatus();
}

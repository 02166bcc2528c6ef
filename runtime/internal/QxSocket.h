#pragma once
// Winsock helpers shared by the TCP adaptor, the service server, tests and benchmarks:
// one owner per socket, a connect with a time-out, and whole-frame send and receive
// under a deadline.
#include "foundation/Qx_WString.h"
#include "platform/QxHandle.h"
#include "platform/QxStatus.h"
#include "runtime/internal/QxByteBudget.h"
#include <winsock2.h>
#include <ws2tcpip.h>
#include <cstdint>
#include <string>

// Starts Winsock once per process (WSAStartup; never cleaned up, since other threads and
// modules may still use it). Ok when Winsock is usable, else kSystem with WSAStartup's code.
QxStatus QxWinsockStartup();

// Owners of a socket (closesocket) and of an address list (FreeAddrInfoW).
struct QxSocketTraits {
    using Type = SOCKET;
    static Type Invalid() noexcept { return INVALID_SOCKET; }
    static void Close(Type s) noexcept { closesocket(s); }
};
using QxSocket = QxHandle<QxSocketTraits>;
namespace qxhandle {
inline void FreeAddressList(ADDRINFOW* list) { FreeAddrInfoW(list); }
}  // namespace qxhandle
using QxAddrInfo = QxHandle<QxNullHandleTraits<ADDRINFOW*, qxhandle::FreeAddressList>>;

// A point in time by the millisecond tick; a deadline of 0 ms never expires.
class QxDeadline {
public:
    // ms <= 0: no deadline.
    explicit QxDeadline(int64_t ms);
    bool Expired() const;
    // Milliseconds left, at most cap (and cap when there is no deadline); 0 when expired.
    int64_t Left(int64_t cap) const;
    bool Unlimited() const { return end_ == 0; }

private:
    uint64_t end_;
};

// How a socket operation ends, besides ok: kTimeout (the deadline passed), kStopped (stop
// turned non-zero), kSystem (Winsock failed: number() is its code, the reason its message
// alone), and for receiving kClosed, kBadFrame and kBusy as said there.

// Connects to address (a host name or numeric address) and port within the time-out. Ok
// with out set; else out untouched and the reason a whole sentence naming the server:
// kTimeout, kBadInput for an address or port that cannot be one, kSystem otherwise.
QxStatus QxConnectTcp(const wchar_t* address, int port, const QxDeadline& deadline, QxSocket& out);

// Makes a socket non-blocking, as every send and receive here expects: a blocking send
// would wait for a peer that never reads, past any deadline. kSystem when it fails.
QxStatus QxSetNonBlocking(SOCKET s);

// Sends every byte before the deadline. stop, when given, is polled about every 200 ms.
QxStatus QxSendAll(SOCKET s, const char* data, size_t count, const QxDeadline& deadline,
                   const volatile long* stop = nullptr);

// Receives one whole frame of the wire protocol into frame. The header is checked against
// maxFrame first; the buffer then grows with the bytes that arrive, never to the announced
// length ahead of them, and when a budget is given every byte of it is drawn from the
// budget through share (kBusy when the budget has no room; the share keeps what the frame
// holds until the caller lets it go). kClosed when the peer closed before the first byte;
// a close inside a frame, a bad header or a frame past maxFrame give kBadFrame, the reason
// saying which. stop, when given, is polled about every 200 ms. After anything but ok the
// connection must be closed: part of a frame may have been read. The socket must be
// non-blocking (as QxConnectTcp makes it): bytes that are there are taken at once, and
// only an empty socket is waited on, within the deadline.
QxStatus QxRecvFrame(SOCKET s, uint32_t maxFrame, const QxDeadline& deadline, std::string& frame,
                     const volatile long* stop = nullptr, QxBudgetShare* share = nullptr);

#include "support/LoopbackListener.h"

QxLoopbackListener::QxLoopbackListener(int backlog) {
    if (!QxWinsockStartup().ok()) return;
    socket_.Reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // port 0: the system picks a free one
    int length = sizeof address;
    if (!socket_ || bind(socket_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(socket_.Get(), backlog) != 0 ||
        getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        socket_.Reset();
        return;
    }
    port_ = ntohs(address.sin_port);
}

int QxUnusedLoopbackPort() {
    QxLoopbackListener listener;
    return listener.Port();  // closed as the listener goes
}

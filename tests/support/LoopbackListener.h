#pragma once
// Sockets on free loopback ports for the tests and benchmarks of clients: a silent server
// (it listens, takes connections into its backlog and never answers) and a stopped one (a
// port that nobody listens on).
#include "runtime/internal/QxSocket.h"

class QxLoopbackListener {
public:
    // Listens on a port the system picks; Port() is 0 when that failed.
    explicit QxLoopbackListener(int backlog = 4);
    QxLoopbackListener(const QxLoopbackListener&) = delete;
    QxLoopbackListener& operator=(const QxLoopbackListener&) = delete;

    int Port() const { return port_; }
    SOCKET Get() const { return socket_.Get(); }
    // Stops listening: nothing listens on Port() afterwards.
    void Close() { socket_.Reset(); }

private:
    QxSocket socket_;
    int port_ = 0;
};

// A loopback port that nobody listens on: one the system handed out and that was let go.
int QxUnusedLoopbackPort();

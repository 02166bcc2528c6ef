#pragma once
// Listens, accepts clients and serves each on a thread of its own until Stop. Threads are
// kept for the next client once theirs leaves (starting a thread costs more than a small
// request, notably under Wine) and end after a while without one, so that a burst of
// clients leaves no threads behind. What a crowd of clients can make the server hold is
// capped: the connections served at once, and the bytes of requests being received.
#include "RequestHandler.h"
#include "runtime/internal/QxByteBudget.h"
#include "runtime/internal/QxSocket.h"
#include <condition_variable>
#include <deque>
#include <mutex>

class Server {
public:
    explicit Server(const ServerConfig& config);
    ~Server();

    // Binds and listens; false with error saying why. Port() then gives the port.
    bool Listen(Qx_WString& error);
    int Port() const { return port_; }
    // Accepts and serves clients until Stop is called (from any thread or a console
    // control handler), then gives the clients being served up to graceMs to finish.
    // False when some were still being served then: the caller ends the process, since
    // the threads serving them still use this object.
    bool Run(int graceMs = 1500);
    void Stop() { InterlockedExchange(&stop_, 1); }

    // One line on standard error, cut to a stated length; lines of several threads never mix.
    void Log(const Qx_WString& line);

    // For the logs and the load tests: connections being served, and serving threads.
    int Connections() const;
    int Threads() const;

private:
    struct Pending {
        QxSocket socket;
        Qx_WString peer;
    };
    void Admit(QxSocket socket, const Qx_WString& peer);
    void Refuse(QxSocket socket, const Qx_WString& peer, const Qx_WString& why);
    bool Dispatch();
    void ServeLoop();
    void Serve(QxSocket socket, const Qx_WString& peer);
    bool Exchange(SOCKET s, const Qx_WString& peer);
    bool WaitForThreads(int graceMs);

    const ServerConfig& config_;
    RequestHandler handler_;
    // Keeps the database adaptor loaded between requests, so that each job only connects.
    QxModule pinnedDatabaseModule_;
    QxSocket listener_;
    QxByteBudget receiveBudget_;
    int port_ = 0;
    volatile long stop_ = 0;
    std::mutex logMutex_;
    mutable std::mutex queueMutex_;
    std::condition_variable queueReady_;
    std::condition_variable threadEnded_;
    std::deque<Pending> queue_;
    int idle_ = 0;         // threads waiting for a client
    int threads_ = 0;      // serving threads alive
    int connections_ = 0;  // clients queued or being served
};

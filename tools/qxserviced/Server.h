#pragma once
// Listens, accepts clients and serves each on a thread of its own until Stop. Threads
// are kept for the next client once theirs leaves: starting a thread costs more than a
// small request (notably under Wine).
#include "RequestHandler.h"
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>
#include "runtime/internal/QxSocket.h"

class Server {
public:
    explicit Server(const ServerConfig& config);
    ~Server();

    // Binds and listens; false with error saying why. Port() then gives the port.
    bool Listen(Qx_WString& error);
    int Port() const { return port_; }
    // Accepts and serves clients until Stop is called (from any thread or a console
    // control handler); then waits for every client to finish.
    void Run();
    void Stop() { InterlockedExchange(&stop_, 1); }

    // One line on standard error; lines of several threads never mix.
    void Log(const Qx_WString& line);

private:
    struct Pending {
        QxSocket socket;
        Qx_WString peer;
    };
    void Dispatch(QxSocket socket, const Qx_WString& peer);
    void ServeLoop();
    void Serve(QxSocket socket, const Qx_WString& peer);
    bool Exchange(SOCKET s, const Qx_WString& peer);
    void JoinAll();

    const ServerConfig& config_;
    RequestHandler handler_;
    // Keeps the database adaptor loaded between requests, so that each job only connects.
    QxModule pinnedDatabaseModule_;
    QxSocket listener_;
    int port_ = 0;
    volatile long stop_ = 0;
    std::mutex logMutex_;
    std::mutex queueMutex_;
    std::condition_variable queueReady_;
    std::deque<Pending> queue_;
    int idle_ = 0;
    std::vector<std::thread> threads_;
};

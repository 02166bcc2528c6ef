#pragma once
// Listens, accepts clients and serves their requests until Stop.
//
// One thread, the one that calls Run, does all the waiting on clients: it accepts them,
// reads their requests as the bytes arrive and writes the replies as the clients take
// them, for every connection at once. Only a request that has arrived whole goes to a
// worker thread, which decodes it, runs it and encodes the reply. So a client that sends
// nothing, sends slowly, or never reads its reply holds a socket and its buffered bytes,
// never a thread (a thread costs about 1 MiB under Wine). Workers are started as requests
// need them, up to a cap, and end after a while without one.
//
// What a crowd of clients can make the server hold is capped: the connections at once
// (past the cap the connection that has waited longest for a request, or else the new
// one, gets a refusal frame and is closed), the workers, and one budget of bytes for the
// requests being received and the replies being sent.
#include "RequestHandler.h"
#include "ServerLog.h"
#include "runtime/internal/QxByteBudget.h"
#include "runtime/internal/QxSocket.h"
#include "runtime/internal/QxWireProtocol.h"
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class Server {
public:
    explicit Server(const ServerConfig& config);
    ~Server();
    // Its workers and the connections they hold point at this object: it stays where it is.
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds and listens; kBadInput for an address that cannot be bound, kSystem when Winsock
    // fails. Port() then gives the port.
    QxStatus Listen();
    int Port() const { return port_; }
    // Serves clients until Stop is called (from any thread or a console control handler),
    // then gives the requests being run up to graceMs to finish. False when some were
    // still running then: the caller ends the process, since their workers use this object.
    [[nodiscard]] bool Run(int graceMs = 1500);
    void Stop();

    // One line on standard error, cut to a stated length and stamped with the time; lines
    // of several threads never mix. It is queued: FlushLog waits until it is out.
    void Log(const Qx_WString& line);
    void FlushLog() { log_.Flush(); }

private:
    struct Connection;
    using ConnectionList = std::vector<std::unique_ptr<Connection>>;

    [[nodiscard]] bool AcceptAll(ConnectionList& connections);
    [[nodiscard]] bool MakeRoom(ConnectionList& connections);
    void Refuse(QxSocket socket, const Qx_WString& peer, const Qx_WString& why);
    void Read(Connection& c);
    void Write(Connection& c);
    void Complete(Connection& c);
    void Reply(Connection& c, std::string frame, bool closeAfter);
    void Expire(Connection& c);
    void TakeBackFinished();
    [[nodiscard]] bool StartWorkerIfNeeded();
    void WorkLoop();
    void Work(Connection& c);
    QxStatus Decode(Connection& c, QxBudgetShare& share, QxWireCodec::DecodeCost& cost, Qx_VariableList& env,
                    Qx_VariableList& variables, Qx_DatasetList& datasets);
    void Wake();
    [[nodiscard]] bool WaitForWorkers(int graceMs);

    const ServerConfig& config_;
    ServerLog log_;  // before everything that logs, so it goes after them
    RequestHandler handler_;
    // Keeps the database adaptor loaded between requests, so that each job only connects.
    QxModule pinnedDatabaseModule_;
    QxSocket listener_;
    // A datagram socket connected to itself: workers wake the serving thread through it.
    QxSocket wake_;
    QxByteBudget budget_;
    int port_ = 0;
    volatile long stop_ = 0;

    std::mutex workMutex_;
    std::condition_variable workReady_;
    std::condition_variable workerEnded_;
    std::deque<Connection*> jobs_;      // requests received whole, waiting for a worker
    std::deque<Connection*> finished_;  // requests whose reply is ready, for the serving thread
    int idleWorkers_ = 0;
    int workers_ = 0;
};

#include "Server.h"
#include "runtime/internal/QxTextLimits.h"
#include "runtime/internal/QxRuntimeText.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

using qxrt::operator+;

namespace {

Qx_WString PeerName(const sockaddr_storage& addr) {
    wchar_t host[NI_MAXHOST] = L"?";
    wchar_t port[NI_MAXSERV] = L"?";
    GetNameInfoW(reinterpret_cast<const sockaddr*>(&addr), sizeof addr, host, NI_MAXHOST, port, NI_MAXSERV,
                 NI_NUMERICHOST | NI_NUMERICSERV);
    return Qx_WString(host) + L":" + port;
}

Qx_WString Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    Qx_WString text;
    text.Format(L"%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds);
    return text;
}

// How a connection ended, for the log.
const wchar_t* StatusText(QxCode code) {
    switch (code) {
    case QxCode::kTimeout: return L"read time-out";
    case QxCode::kSystem: return L"socket error";
    case QxCode::kBadFrame: return L"bad frame";
    case QxCode::kBusy: return L"receive budget exhausted";
    default: return L"closed";
    }
}

// A reply frame with a code and one message, for clients turned away before a request.
std::string RefusalFrame(const Qx_WString& why) {
    Qx_WStrList messages;
    messages.Add(why.c_str());
    std::string frame;
    QxWireCodec::EncodeReply(QX_RT_E_BUSY, messages, Qx_VariableList(1), Qx_DatasetList(), frame);
    return frame;
}

}  // namespace

// One client. The serving thread owns it while it reads a request or writes a reply; a
// worker owns it while the request runs (between jobs_ and finished_).
struct Server::Connection {
    enum State { kReading, kWorking, kWriting, kClosed };

    Connection(QxSocket s, const Qx_WString& who, QxByteBudget* budget)
        : socket(std::move(s)), peer(who), inShare(budget), outShare(budget) {}

    QxSocket socket;
    Qx_WString peer;
    State state = kReading;
    ULONGLONG deadline = 0;      // tick by which the request must have arrived or the reply gone
    ULONGLONG waitingSince = 0;  // tick since which it has waited for a whole request
    std::string in;              // the request as it arrives
    size_t expected = 0;         // its whole size once the header is in; 0 before
    QxBudgetShare inShare;
    std::string out;  // the reply being written
    size_t sent = 0;
    QxBudgetShare outShare;
    bool closeAfterWrite = false;
    Qx_WString logLine;  // the request's log line, written when its reply has gone
};

namespace {
ULONGLONG After(int seconds) { return GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000; }
}  // namespace

Server::Server(const ServerConfig& config) : config_(config), log_(stderr), handler_(config), budget_(config.budget) {
    std::wstring module = config.adaptorDir + L"\\" + config.dbModule;
    if (config.dbModule.find(L'.') == std::wstring::npos) module += L".dll";
    pinnedDatabaseModule_ = QxModule(LoadLibraryExW(module.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

Server::~Server() {
    Stop();
    // Without a grace limit the wait ends only once every worker has: it has nothing to tell.
    static_cast<void>(WaitForWorkers(static_cast<int>(INFINITE)));
}

void Server::Stop() {
    InterlockedExchange(&stop_, 1);
    Wake();
}

void Server::Wake() {
    if (wake_) send(wake_.Get(), "w", 1, 0);
}

void Server::Log(const Qx_WString& line) {
    // Names come from clients: control characters could forge extra log lines.
    std::wstring clean(QxCutText(line, kMaxLogLine).str());
    for (wchar_t& ch : clean)
        if (ch < 0x20 || ch == 0x7f) ch = L'?';
    Qx_AString bytes(Now() + L" " + clean.c_str() + L"\n", CP_UTF8);
    log_.Write(bytes.str());
}

QxStatus Server::Listen() {
    QxStatus started = QxWinsockStartup();
    if (!started.ok()) return started;
    wchar_t service[16];
    swprintf(service, 16, L"%d", config_.port);
    ADDRINFOW hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST;
    QxAddrInfo found;
    if (GetAddrInfoW(config_.address.c_str(), service, &hints, found.Put()) != 0 || !found)
        return QxStatus(QxCode::kBadInput, L"invalid bind address " + config_.address);
    QxSocket s(socket(found->ai_family, found->ai_socktype, found->ai_protocol));
    // No SO_REUSEADDR: on Windows it would let a second server steal the port.
    bool ok =
        s && bind(s.Get(), found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0 && listen(s.Get(), SOMAXCONN) == 0;
    if (!ok) {
        const DWORD error = static_cast<DWORD>(WSAGetLastError());
        return QxStatus::FromSystemError(error, (L"cannot listen on " + config_.address).c_str());
    }
    sockaddr_storage bound = {};
    int length = sizeof bound;
    getsockname(s.Get(), reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    // The serving thread accepts until no client waits, and its wake-up socket is a
    // datagram socket that sends to itself.
    QxSocket wake(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in self = {};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int selfLength = sizeof self;
    QxStatus prepared = QxSetNonBlocking(s.Get());
    if (prepared.ok() && (!wake || bind(wake.Get(), reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
                          getsockname(wake.Get(), reinterpret_cast<sockaddr*>(&self), &selfLength) != 0 ||
                          connect(wake.Get(), reinterpret_cast<sockaddr*>(&self), sizeof self) != 0))
        prepared = QxStatus::FromWsaError(nullptr);
    if (prepared.ok()) prepared = QxSetNonBlocking(wake.Get());
    if (!prepared.ok())
        return QxStatus(prepared.code(), L"cannot prepare the server's sockets: " + prepared.reason(),
                        prepared.number());
    listener_ = std::move(s);
    wake_ = std::move(wake);
    return QxStatus();
}

bool Server::Run(int graceMs) {
    ConnectionList connections;
    std::vector<WSAPOLLFD> fds;
    while (!stop_) {
        // The wake-up socket, the listener, then every connection that waits on its client.
        fds.assign(2, WSAPOLLFD());
        fds[0].fd = wake_.Get();
        fds[0].events = POLLRDNORM;
        fds[1].fd = listener_.Get();
        fds[1].events = POLLRDNORM;
        std::vector<Connection*> polled;
        ULONGLONG nearest = GetTickCount64() + 200;  // a stop request is seen within 200 ms anyway
        for (auto& c : connections) {
            if (c->state != Connection::kReading && c->state != Connection::kWriting) continue;
            WSAPOLLFD fd = {};
            fd.fd = c->socket.Get();
            fd.events = c->state == Connection::kReading ? POLLRDNORM : POLLWRNORM;
            fds.push_back(fd);
            polled.push_back(c.get());
            nearest = std::min(nearest, c->deadline);
        }
        const ULONGLONG now = GetTickCount64();
        WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), nearest > now ? static_cast<INT>(nearest - now) : 0);
        if (fds[0].revents) {
            char drain[64];
            while (recv(wake_.Get(), drain, sizeof drain, 0) > 0) {}
        }
        TakeBackFinished();
        for (size_t i = 0; i < polled.size(); ++i) {
            Connection& c = *polled[i];
            const SHORT events = fds[i + 2].revents;
            if (events && c.state == Connection::kReading)
                Read(c);
            else if (events && c.state == Connection::kWriting)
                Write(c);
            if ((c.state == Connection::kReading || c.state == Connection::kWriting) && GetTickCount64() >= c.deadline)
                Expire(c);
        }
        connections.erase(
            std::remove_if(connections.begin(), connections.end(),
                           [](const std::unique_ptr<Connection>& c) { return c->state == Connection::kClosed; }),
            connections.end());
        if (fds[1].revents && !AcceptAll(connections)) break;
    }
    listener_.Reset();
    const bool finished = WaitForWorkers(graceMs);
    // A worker may still hold a connection it took: those are left to the process's end.
    for (auto& c : connections)
        if (c->state == Connection::kWorking) static_cast<void>(c.release());
    return finished;
}

// Accepts every waiting client; false when the listener failed for good.
bool Server::AcceptAll(ConnectionList& connections) {
    for (;;) {
        sockaddr_storage addr = {};
        int length = sizeof addr;
        QxSocket client(accept(listener_.Get(), reinterpret_cast<sockaddr*>(&addr), &length));
        if (!client) return WSAGetLastError() == WSAEWOULDBLOCK || WSAGetLastError() == WSAECONNRESET;
        BOOL noDelay = TRUE;
        setsockopt(client.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        // Every wait on a client is bounded only on a non-blocking socket.
        if (!QxSetNonBlocking(client.Get()).ok()) continue;
        const Qx_WString peer = PeerName(addr);
        if (!MakeRoom(connections)) {
            Qx_WString why;
            why.Format(L"The server is busy: it serves %d connections at most.", config_.maxConnections);
            Refuse(std::move(client), peer, why);
            continue;
        }
        connections.push_back(std::make_unique<Connection>(std::move(client), peer, &budget_));
        connections.back()->deadline = After(config_.readTimeoutSeconds);
        connections.back()->waitingSince = GetTickCount64();
    }
}

// At the cap, the connection that has waited longest for a whole request makes room: it
// is told the server is busy and closed. A crowd of clients that open connections and send
// little thus cannot keep others out, whose requests arrive in a moment. When every
// connection is running or taking a request, there is no room.
bool Server::MakeRoom(ConnectionList& connections) {
    int open = 0;
    Connection* oldest = nullptr;
    for (auto& c : connections) {
        if (c->state == Connection::kClosed) continue;
        ++open;
        if (c->state == Connection::kReading && (!oldest || c->waitingSince < oldest->waitingSince)) oldest = c.get();
    }
    if (open < config_.maxConnections) return true;
    if (!oldest) return false;
    Qx_WString why;
    why.Format(L"The server is busy: it serves %d connections at most, and this one waited longest.",
               config_.maxConnections);
    Refuse(std::move(oldest->socket), oldest->peer, why);
    oldest->state = Connection::kClosed;
    return true;
}

// The refusal is small and goes into the socket's empty send buffer at once; a client
// that cannot take even that is not waited for.
void Server::Refuse(QxSocket socket, const Qx_WString& peer, const Qx_WString& why) {
    const std::string frame = RefusalFrame(why);
    send(socket.Get(), frame.data(), static_cast<int>(frame.size()), 0);
    Log(peer + L" refused: " + why);
}

// Takes what the client has sent: the header first, then the body as it arrives, the
// buffer growing by what is there and charged to the budget by its capacity.
void Server::Read(Connection& c) {
    size_t want = c.expected ? c.expected - c.in.size() : QxWireCodec::kHeaderSize - c.in.size();
    u_long waiting = 0;
    ioctlsocket(c.socket.Get(), FIONREAD, &waiting);
    const size_t piece = std::min<size_t>(want, std::max<size_t>(1, std::min<size_t>(waiting, 1u << 20)));
    const size_t have = c.in.size();
    if (c.in.capacity() < have + piece) c.in.reserve(std::max(have + piece, std::min(c.expected, 2 * have)));
    if (!c.inShare.GrowTo(c.in.capacity())) {
        Qx_WString why;
        why.Format(L"The server is busy: its budget of %llu bytes for requests and replies is in use.",
                   static_cast<unsigned long long>(budget_.Limit()));
        Log(c.peer + L" dropped: " + StatusText(QxCode::kBusy));
        c.in = std::string();
        c.inShare.Release();
        Reply(c, RefusalFrame(why), true);
        return;
    }
    c.in.resize(have + piece);
    int n = recv(c.socket.Get(), &c.in[have], static_cast<int>(piece), 0);
    if (n <= 0) {
        c.in.resize(have);
        if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return;
        // A close before the first byte is the end of the conversation; any later one is not.
        if (!c.in.empty() || n < 0)
            Log(c.peer + L" dropped: " + StatusText(n == 0 ? QxCode::kBadFrame : QxCode::kSystem) +
                (n == 0 ? Qx_WString(L" (connection closed inside a frame)") : Qx_WString()));
        c.state = Connection::kClosed;
        return;
    }
    c.in.resize(have + static_cast<size_t>(n));
    if (!c.expected && c.in.size() == QxWireCodec::kHeaderSize) {
        QxWireHeader header;
        const QxStatus parsed = QxWireCodec::ParseHeader(c.in.data(), c.in.size(), config_.maxFrame, header);
        if (!parsed.ok()) {
            Log(c.peer + L" dropped: " + StatusText(parsed.code()) + L" (" + parsed.reason().c_str() + L")");
            c.state = Connection::kClosed;
            return;
        }
        c.expected = QxWireCodec::kHeaderSize + header.length;
    }
    if (c.expected && c.in.size() == c.expected) Complete(c);
}

// The request is whole: a worker takes it from here.
void Server::Complete(Connection& c) {
    c.state = Connection::kWorking;
    {
        std::lock_guard<std::mutex> lock(workMutex_);
        jobs_.push_back(&c);
    }
    if (StartWorkerIfNeeded()) return;
    // No worker could be started and none is running: the request cannot be served.
    std::lock_guard<std::mutex> lock(workMutex_);
    if (workers_ > 0) return;
    jobs_.pop_back();
    c.in = std::string();
    c.inShare.Release();
    Reply(c, RefusalFrame(Qx_WString(L"The server cannot start a worker for the request.")), true);
}

// Starts a worker when requests wait for more workers than wait for requests.
bool Server::StartWorkerIfNeeded() {
    std::lock_guard<std::mutex> lock(workMutex_);
    if (jobs_.size() <= static_cast<size_t>(idleWorkers_)) {
        workReady_.notify_one();
        return true;
    }
    if (workers_ >= config_.maxWorkers) return true;  // the request waits for one
    try {
        std::thread([this] { WorkLoop(); }).detach();
        ++workers_;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Server::WorkLoop() {
    for (;;) {
        Connection* c = nullptr;
        {
            std::unique_lock<std::mutex> lock(workMutex_);
            ++idleWorkers_;
            workReady_.wait_for(lock, std::chrono::seconds(config_.threadIdleSeconds),
                                [this] { return stop_ || !jobs_.empty(); });
            --idleWorkers_;
            // Stopping, or idle for the idle time: the worker ends.
            if (jobs_.empty()) {
                --workers_;
                workerEnded_.notify_all();
                return;
            }
            c = jobs_.front();
            jobs_.pop_front();
        }
        // Nothing a client sends may end the server: a request that fails in an unforeseen
        // way (memory, above all) costs that client its connection.
        try {
            Work(*c);
        } catch (const std::exception& e) {
            Qx_WString what;
            what.Set(e.what());
            Log(c->peer + L" dropped: " + what);
            c->out = std::string();
            c->closeAfterWrite = true;
        } catch (...) {
            Log(c->peer + L" dropped: unexpected failure");
            c->out = std::string();
            c->closeAfterWrite = true;
        }
        {
            std::lock_guard<std::mutex> lock(workMutex_);
            finished_.push_back(c);
        }
        Wake();
    }
}

// Decodes the request within what the memory budget has left, at most the codec's bound
// for the frame, and keeps for the work what the decoded items take.
QxStatus Server::Decode(Connection& c, QxBudgetShare& share, QxWireCodec::DecodeCost& cost, Qx_VariableList& env,
                        Qx_VariableList& variables, Qx_DatasetList& datasets) {
    const uint64_t bound = QxWireCodec::DecodeBound(c.in.size());
    uint64_t reserve = std::min<uint64_t>(bound, budget_.Room());
    while (reserve > 0 && !share.GrowTo(reserve)) reserve /= 2;  // others took some meanwhile
    cost.limit = reserve > 0 ? static_cast<size_t>(reserve) : 1;
    QxStatus decoded =
        QxWireCodec::DecodeRequest(c.in.data(), c.in.size(), config_.maxFrame, env, variables, datasets, &cost);
    share.ShrinkTo(cost.spent);
    if (decoded.code() == QxCode::kTooLarge && reserve < bound)
        return QxStatus(QxCode::kTooLarge,
                        L"the server's memory budget has no room for its content now; try again later");
    return decoded;
}

// Decodes, runs and encodes one request; the serving thread sends the reply.
void Server::Work(Connection& c) {
    const DWORD started = GetTickCount();
    Qx_VariableList env(1), variables(1);
    Qx_DatasetList datasets;
    QxBudgetShare decodedShare(&budget_);
    QxWireCodec::DecodeCost cost;
    const QxStatus decoded = Decode(c, decodedShare, cost, env, variables, datasets);
    c.in = std::string();  // decoded: the bytes go before the work starts
    c.expected = 0;
    c.inShare.Release();
    if (!decoded.ok()) {
        const Qx_WString why(decoded.reason());
        if (decoded.code() == QxCode::kTooLarge) {
            // A request that is whole but would take too much memory is answered, not dropped.
            c.out = RefusalFrame(Qx_WString(L"The request is refused: ") + why);
            Log(c.peer + L" refused: " + why);
            return;
        }
        Log(c.peer + L" dropped: malformed request (" + why + L")");
        c.closeAfterWrite = true;
        return;
    }
    ServerReply reply;
    handler_.Handle(env, variables, datasets, reply);
    QxCutMessages(reply.messages);
    std::string out;
    QxWireCodec::EncodeReply(reply.code, reply.messages, reply.variables, reply.datasets, out);
    if (!c.outShare.GrowTo(out.capacity())) {
        Qx_WString full;
        full.Format(L"The server is busy: the reply of %llu bytes does not fit its budget now.",
                    static_cast<unsigned long long>(out.size()));
        out = RefusalFrame(full);
        reply.code = QX_RT_E_BUSY;
    }
    c.out = std::move(out);
    const Qx_Variable* group = env.GetItem(L"GROUP_NAME");
    const Qx_Variable* service = env.GetItem(L"SERVICE_NAME");
    c.logLine.Format(L"%ls %ls/%ls code=%ld rows=%d bytes=%lu %lums", c.peer.c_str(),
                     group ? QxCutText(group->ToString(), 128).c_str() : L"",
                     service ? QxCutText(service->ToString(), 128).c_str() : L"", reply.code, reply.rows,
                     static_cast<unsigned long>(c.out.size()), static_cast<unsigned long>(GetTickCount() - started));
    if (reply.code != 0 && reply.messages.Count() > 0) c.logLine += Qx_WString(L" : ") + reply.messages.GetItemNN(0);
}

// Replies that workers finished go out from here.
void Server::TakeBackFinished() {
    std::deque<Connection*> done;
    {
        std::lock_guard<std::mutex> lock(workMutex_);
        done.swap(finished_);
    }
    for (Connection* c : done) {
        if (c->out.empty()) {
            c->state = Connection::kClosed;
            continue;
        }
        std::string out = std::move(c->out);
        Reply(*c, std::move(out), c->closeAfterWrite);
    }
}

void Server::Reply(Connection& c, std::string frame, bool closeAfter) {
    c.out = std::move(frame);
    c.sent = 0;
    c.closeAfterWrite = closeAfter;
    c.state = Connection::kWriting;
    c.deadline = After(config_.sendTimeoutSeconds);
    Write(c);
}

// Sends what the client takes now; once the reply has gone, the next request may come.
void Server::Write(Connection& c) {
    while (c.sent < c.out.size()) {
        const int chunk = static_cast<int>(std::min<size_t>(c.out.size() - c.sent, 1u << 20));
        int n = send(c.socket.Get(), c.out.data() + c.sent, chunk, 0);
        if (n > 0) {
            c.sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return;
        if (!c.logLine.IsEmpty()) Log(c.logLine + L" (reply not delivered)");
        c.state = Connection::kClosed;
        return;
    }
    if (!c.logLine.IsEmpty()) Log(c.logLine);
    c.logLine.Empty();
    c.out = std::string();
    c.outShare.Release();
    if (c.closeAfterWrite) {
        c.state = Connection::kClosed;
        return;
    }
    c.state = Connection::kReading;
    c.deadline = After(config_.readTimeoutSeconds);
    c.waitingSince = GetTickCount64();
}

void Server::Expire(Connection& c) {
    if (c.state == Connection::kReading)
        Log(c.peer + L" dropped: " + StatusText(QxCode::kTimeout));
    else
        Log((c.logLine.IsEmpty() ? c.peer : c.logLine) + L" (reply not taken in time: dropped)");
    c.state = Connection::kClosed;
}

bool Server::WaitForWorkers(int graceMs) {
    std::unique_lock<std::mutex> lock(workMutex_);
    jobs_.clear();  // requests not yet taken are dropped with their connections
    workReady_.notify_all();
    // Idle workers see the stop at once; busy ones finish their request first.
    auto done = [this] { return workers_ == 0; };
    if (graceMs == static_cast<int>(INFINITE)) {
        workerEnded_.wait(lock, done);
        return true;
    }
    return workerEnded_.wait_for(lock, std::chrono::milliseconds(graceMs), done);
}

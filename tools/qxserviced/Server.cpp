#include "Server.h"
#include "runtime/internal/QxTextLimits.h"
#include "runtime/internal/QxRuntimeText.h"
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

const wchar_t* StatusText(QxIoStatus st) {
    switch (st) {
    case QX_IO_TIMEOUT: return L"read time-out";
    case QX_IO_ERROR: return L"socket error";
    case QX_IO_BAD_FRAME: return L"bad frame";
    case QX_IO_BUSY: return L"receive budget exhausted";
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

Server::Server(const ServerConfig& config)
    : config_(config), handler_(config), receiveBudget_(config.receiveBudget) {
    std::wstring module = config.adaptorDir + L"\\" + config.dbModule;
    if (config.dbModule.find(L'.') == std::wstring::npos) module += L".dll";
    pinnedDatabaseModule_ = QxModule(LoadLibraryExW(module.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

Server::~Server() {
    Stop();
    WaitForThreads(INFINITE);
}

void Server::Log(const Qx_WString& line) {
    // Names come from clients: control characters could forge extra log lines.
    std::wstring clean(QxCutText(line, kMaxLogLine).str());
    for (wchar_t& ch : clean)
        if (ch < 0x20 || ch == 0x7f) ch = L'?';
    Qx_AString bytes(Now() + L" " + clean.c_str() + L"\n", CP_UTF8);
    std::lock_guard<std::mutex> lock(logMutex_);
    fwrite(bytes.GetSafeBuffer(), 1, static_cast<size_t>(bytes.GetLength()), stderr);
    fflush(stderr);
}

bool Server::Listen(Qx_WString& error) {
    if (!QxWinsockStartup()) {
        error = L"Winsock could not be started";
        return false;
    }
    wchar_t service[16];
    swprintf(service, 16, L"%d", config_.port);
    ADDRINFOW hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST;
    QxAddrInfo found;
    if (GetAddrInfoW(config_.address.c_str(), service, &hints, found.Put()) != 0 || !found) {
        error = Qx_WString(L"invalid bind address ") + config_.address.c_str();
        return false;
    }
    QxSocket s(socket(found->ai_family, found->ai_socktype, found->ai_protocol));
    // No SO_REUSEADDR: on Windows it would let a second server steal the port.
    bool ok = s && bind(s.Get(), found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0 && listen(s.Get(), SOMAXCONN) == 0;
    if (!ok) {
        error = Qx_WString(L"cannot listen on ") + config_.address.c_str() + L": " + QxSocketErrorText(WSAGetLastError());
        return false;
    }
    sockaddr_storage bound = {};
    int length = sizeof bound;
    getsockname(s.Get(), reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    listener_ = std::move(s);
    return true;
}

bool Server::Run(int graceMs) {
    while (!stop_) {
        WSAPOLLFD fd = {};
        fd.fd = listener_.Get();
        fd.events = POLLRDNORM;
        if (WSAPoll(&fd, 1, 200) <= 0) continue;  // a stop request is seen within 200 ms
        sockaddr_storage addr = {};
        int length = sizeof addr;
        QxSocket client(accept(listener_.Get(), reinterpret_cast<sockaddr*>(&addr), &length));
        if (!client) continue;
        BOOL noDelay = TRUE;
        setsockopt(client.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        // Every wait on a client has a deadline only on a non-blocking socket.
        if (!QxSetNonBlocking(client.Get())) continue;
        Admit(std::move(client), PeerName(addr));
    }
    listener_.Reset();
    return WaitForThreads(graceMs);
}

int Server::Connections() const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return connections_;
}

int Server::Threads() const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return threads_;
}

void Server::Admit(QxSocket socket, const Qx_WString& peer) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (connections_ < config_.maxConnections) {
            ++connections_;
            queue_.push_back(Pending{std::move(socket), peer});
        }
    }
    if (socket) {
        Qx_WString why;
        why.Format(L"The server is busy: it serves %d connections at most.", config_.maxConnections);
        Refuse(std::move(socket), peer, why);
        return;
    }
    if (!Dispatch()) {
        std::unique_lock<std::mutex> lock(queueMutex_);
        if (queue_.empty()) return;
        Pending unserved = std::move(queue_.back());
        queue_.pop_back();
        --connections_;
        lock.unlock();
        Refuse(std::move(unserved.socket), unserved.peer, Qx_WString(L"The server cannot start a thread for the connection."));
    }
}

// The refusal is small and goes into the socket's empty send buffer at once; a client
// that cannot take even that is not waited for.
void Server::Refuse(QxSocket socket, const Qx_WString& peer, const Qx_WString& why) {
    const std::string frame = RefusalFrame(why);
    QxSendAll(socket.Get(), frame.data(), frame.size(), QxDeadline(100), &stop_);
    Log(peer + L" refused: " + why);
}

// Hands the queued client to a waiting thread, or starts one. False when no thread could
// be started; the client stays queued for the caller to take back.
bool Server::Dispatch() {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (queue_.size() <= static_cast<size_t>(idle_)) {
        queueReady_.notify_one();
        return true;
    }
    try {
        std::thread([this] { ServeLoop(); }).detach();
        ++threads_;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Server::ServeLoop() {
    for (;;) {
        Pending next;
        {
            std::unique_lock<std::mutex> lock(queueMutex_);
            ++idle_;
            const bool woken = queueReady_.wait_for(lock, std::chrono::seconds(config_.threadIdleSeconds),
                                                    [this] { return stop_ || !queue_.empty(); });
            --idle_;
            if (stop_ || !woken) {
                --threads_;
                threadEnded_.notify_all();
                return;
            }
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        // Nothing a client sends may end the server: a request that fails in an unforeseen
        // way (memory, above all) costs that client its connection.
        try {
            Serve(std::move(next.socket), next.peer);
        } catch (const std::exception& e) {
            Qx_WString what;
            what.Set(e.what());
            Log(next.peer + L" dropped: " + what);
        } catch (...) {
            Log(next.peer + L" dropped: unexpected failure");
        }
        std::lock_guard<std::mutex> lock(queueMutex_);
        --connections_;
    }
}

bool Server::WaitForThreads(int graceMs) {
    std::unique_lock<std::mutex> lock(queueMutex_);
    connections_ -= static_cast<int>(queue_.size());
    queue_.clear();  // clients not yet served are closed
    queueReady_.notify_all();
    auto done = [this] { return threads_ == 0; };
    if (graceMs == static_cast<int>(INFINITE)) {
        threadEnded_.wait(lock, done);
        return true;
    }
    return threadEnded_.wait_for(lock, std::chrono::milliseconds(graceMs), done);
}

void Server::Serve(QxSocket socket, const Qx_WString& peer) {
    while (!stop_ && Exchange(socket.Get(), peer)) {
    }
}

bool Server::Exchange(SOCKET s, const Qx_WString& peer) {
    std::string frame;
    Qx_WString why;
    // The read time-out covers both the wait for a request and its arrival: a client that
    // stalls inside a frame is dropped like an idle one. The frame's bytes count against
    // the receive budget until its reply is sent.
    QxBudgetShare share(&receiveBudget_);
    QxIoStatus st = QxRecvFrame(s, config_.maxFrame, QxDeadline(config_.readTimeoutSeconds * 1000LL), frame, why,
                                &stop_, &share);
    if (st == QX_IO_CLOSED || st == QX_IO_STOPPED) return false;
    if (st == QX_IO_BUSY) {
        const std::string refusal = RefusalFrame(Qx_WString(L"The server is busy: ") + why + L".");
        QxSendAll(s, refusal.data(), refusal.size(), QxDeadline(config_.sendTimeoutSeconds * 1000LL), &stop_);
    }
    if (st != QX_IO_OK) {
        Log(peer + L" dropped: " + StatusText(st) + (why.IsEmpty() ? Qx_WString() : Qx_WString(L" (") + why + L")"));
        return false;
    }
    DWORD started = GetTickCount();
    Qx_VariableList env(1), variables(1);
    Qx_DatasetList datasets;
    if (!QxWireCodec::DecodeRequest(frame.data(), frame.size(), config_.maxFrame, env, variables, datasets, why)) {
        Log(peer + L" dropped: malformed request (" + why + L")");
        return false;
    }
    std::string().swap(frame);  // decoded: the bytes go before the work starts
    share.Release();
    ServerReply reply;
    handler_.Handle(env, variables, datasets, reply);
    QxCutMessages(reply.messages);
    std::string out;
    QxWireCodec::EncodeReply(reply.code, reply.messages, reply.variables, reply.datasets, out);
    QxIoStatus sent = QxSendAll(s, out.data(), out.size(), QxDeadline(config_.sendTimeoutSeconds * 1000LL), &stop_);
    const Qx_Variable* group = env.GetItem(L"GROUP_NAME");
    const Qx_Variable* service = env.GetItem(L"SERVICE_NAME");
    Qx_WString line;
    line.Format(L"%ls %ls/%ls code=%ld rows=%d bytes=%lu %lums%ls", peer.c_str(),
                group ? QxCutText(group->ToString(), 128).c_str() : L"",
                service ? QxCutText(service->ToString(), 128).c_str() : L"", reply.code, reply.rows,
                static_cast<unsigned long>(out.size()), static_cast<unsigned long>(GetTickCount() - started),
                sent == QX_IO_OK ? L"" : sent == QX_IO_TIMEOUT ? L" (reply not taken in time: dropped)" : L" (reply not delivered)");
    if (reply.code != 0 && reply.messages.Count() > 0) line += Qx_WString(L" : ") + reply.messages.GetItemNN(0);
    Log(line);
    return sent == QX_IO_OK;
}

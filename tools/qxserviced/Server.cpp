#include "Server.h"
#include "runtime/internal/QxRuntimeText.h"
#include <ws2tcpip.h>
#include <cstdio>

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
    default: return L"closed";
    }
}

}  // namespace

Server::Server(const ServerConfig& config) : config_(config), handler_(config) {
    std::wstring module = config.adaptorDir + L"\\" + config.dbModule;
    if (config.dbModule.find(L'.') == std::wstring::npos) module += L".dll";
    pinnedDatabaseModule_ = QxModule(LoadLibraryExW(module.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

Server::~Server() {
    Stop();
    JoinAll();
}

void Server::Log(const Qx_WString& line) {
    // Names come from clients: control characters could forge extra log lines.
    std::wstring clean(line.str());
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

void Server::Run() {
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
        Dispatch(std::move(client), PeerName(addr));
    }
    listener_.Reset();
    JoinAll();
}

void Server::Dispatch(QxSocket socket, const Qx_WString& peer) {
    std::lock_guard<std::mutex> lock(queueMutex_);
    queue_.push_back(Pending{std::move(socket), peer});
    // Every waiting client needs a thread of its own: one never waits for another to leave.
    if (queue_.size() > static_cast<size_t>(idle_)) threads_.emplace_back([this] { ServeLoop(); });
    else queueReady_.notify_one();
}

void Server::ServeLoop() {
    for (;;) {
        Pending next;
        {
            std::unique_lock<std::mutex> lock(queueMutex_);
            ++idle_;
            queueReady_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            --idle_;
            if (stop_ || queue_.empty()) return;
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        Serve(std::move(next.socket), next.peer);
    }
}

void Server::JoinAll() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.clear();  // clients not yet served are closed
        queueReady_.notify_all();
    }
    for (std::thread& t : threads_) t.join();
    threads_.clear();
}

void Server::Serve(QxSocket socket, const Qx_WString& peer) {
    while (!stop_ && Exchange(socket.Get(), peer)) {
    }
}

bool Server::Exchange(SOCKET s, const Qx_WString& peer) {
    std::string frame;
    Qx_WString why;
    // The read time-out covers both the wait for a request and its arrival: a client that
    // stalls inside a frame is dropped like an idle one.
    QxIoStatus st = QxRecvFrame(s, config_.maxFrame, QxDeadline(config_.readTimeoutSeconds * 1000LL), frame, why, &stop_);
    if (st == QX_IO_CLOSED || st == QX_IO_STOPPED) return false;
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
    ServerReply reply;
    handler_.Handle(env, variables, datasets, reply);
    std::string out;
    QxWireCodec::EncodeReply(reply.code, reply.messages, reply.variables, reply.datasets, out);
    QxIoStatus sent = QxSendAll(s, out.data(), out.size(), QxDeadline(config_.readTimeoutSeconds * 1000LL));
    const Qx_Variable* group = env.GetItem(L"GROUP_NAME");
    const Qx_Variable* service = env.GetItem(L"SERVICE_NAME");
    Qx_WString line;
    line.Format(L"%ls %ls/%ls code=%ld rows=%d bytes=%lu %lums%ls", peer.c_str(), group ? group->ToString().c_str() : L"",
                service ? service->ToString().c_str() : L"", reply.code, reply.rows, static_cast<unsigned long>(out.size()),
                static_cast<unsigned long>(GetTickCount() - started), sent == QX_IO_OK ? L"" : L" (reply not delivered)");
    if (reply.code != 0 && reply.messages.Count() > 0) line += Qx_WString(L" : ") + reply.messages.GetItemNN(0);
    Log(line);
    return sent == QX_IO_OK;
}

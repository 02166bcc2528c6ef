#pragma once
// Answers one decoded request: the two built-in services, or any other service through
// the worker and the database adaptor module.
#include "QxQVInfo320U.h"
#include "runtime/internal/QxWireProtocol.h"
#include "ServiceFolder.h"
#include <string>

struct ServerConfig {
    std::wstring address = L"127.0.0.1";
    int port = 7311;
    std::wstring services = L".";
    std::wstring connection;
    std::wstring user;
    std::wstring password;
    std::wstring adaptorDir;  // empty: the server's own folder
    std::wstring dbModule = L"QxOdbcAdaptor320U";
    int readTimeoutSeconds = 30;
    // A reply the client does not take within this time is dropped with its connection.
    int sendTimeoutSeconds = 30;
    // The largest request: 4 MiB, as peers ship (raise it with --max-frame).
    uint32_t maxFrame = 4u * 1024u * 1024u;
    // Bytes of the requests being received and the replies being sent, across all
    // connections together.
    uint64_t budget = 128ull * 1024u * 1024u;
    // Connections served at once; past it a client gets a refusal and is closed.
    int maxConnections = 256;
    // Requests run at once, each on a worker thread; a worker without a request for
    // threadIdleSeconds ends.
    int maxWorkers = 16;
    int threadIdleSeconds = 10;
    // What one service may cost the database: login and statement time-outs, rows and
    // bytes of a result, runs of a statement that runs once per row. 0: the defaults.
    long long dbLoginTimeout = 0;
    long long dbQueryTimeout = 0;
    long long dbMaxRows = 0;
    long long dbMaxBytes = 0;
    long long dbMaxRowRuns = 0;
    // Database connections stay open between jobs for this long (0: each job logs in).
    long long dbPoolSeconds = 60;
};

struct ServerReply {
    long code = 0;
    Qx_WStrList messages;
    Qx_VariableList variables{1};
    Qx_DatasetList datasets;
    int rows = 0;  // rows in the reply's datasets, for the log
};

class RequestHandler {
public:
    explicit RequestHandler(const ServerConfig& config) : config_(config), folder_(config.services) {}

    void Handle(const Qx_VariableList& env, Qx_VariableList& variables, Qx_DatasetList& datasets,
                ServerReply& reply) const;

private:
    void ListServices(ServerReply& reply) const;
    void LoadService(const Qx_DatasetList& datasets, ServerReply& reply) const;
    void RunService(const Qx_WString& group, const Qx_WString& service, Qx_VariableList& variables,
                    Qx_DatasetList& datasets, ServerReply& reply) const;

    const ServerConfig& config_;
    ServiceFolder folder_;
};

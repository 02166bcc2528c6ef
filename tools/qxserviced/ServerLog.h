#pragma once
// The server's log. Lines reach the stream from a thread of their own, so that a slow
// stream (a console, a pipe its reader empties slowly, a device) never holds up the
// thread that serves the clients: writing a line only queues it. What waits for the
// stream is bounded; past the bound lines are dropped and counted, and a line saying how
// many follows once the stream takes bytes again.
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

class ServerLog {
public:
    static const size_t kMaxWaitingBytes = 1u << 20;

    // The log is the stream's only writer from here on; the stream becomes fully buffered.
    explicit ServerLog(FILE* stream);
    // Writes out what waits, then ends the writer.
    ~ServerLog();
    ServerLog(const ServerLog&) = delete;
    ServerLog& operator=(const ServerLog&) = delete;

    // Queues one whole line (its line feed included). Lines of several threads never mix.
    void Write(const std::string& line);
    // Returns once every line queued before the call is out (or dropped).
    void Flush();

private:
    void Run();
    [[nodiscard]] bool TakeBatch(std::string& batch);

    FILE* stream_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string waiting_;
    size_t dropped_ = 0;
    bool writing_ = false;
    bool stop_ = false;
    std::thread writer_;  // not running when it could not be started: lines are then written at once
};

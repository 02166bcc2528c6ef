#include "ServerLog.h"
#include <system_error>

ServerLog::ServerLog(FILE* stream) : stream_(stream) {
    // Standard error is unbuffered, and an unbuffered stream may cost a system call per
    // character (a device under Wine takes milliseconds for a line). Buffered, with a flush
    // per batch, a batch is one write.
    setvbuf(stream_, nullptr, _IOFBF, size_t{64} * 1024);
    try {
        writer_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to spare: the log is written by the threads that log.
    }
}

ServerLog::~ServerLog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable()) writer_.join();
}

void ServerLog::Write(const std::string& line) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!writer_.joinable()) {
        fwrite(line.data(), 1, line.size(), stream_);
        fflush(stream_);
        return;
    }
    if (waiting_.size() + line.size() > kMaxWaitingBytes) {
        ++dropped_;
        return;
    }
    waiting_ += line;
    lock.unlock();
    changed_.notify_all();
}

void ServerLog::Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !writer_.joinable() || (waiting_.empty() && !writing_); });
}

// Takes what waits, and the count of lines dropped since the last batch; false once the
// log stops with nothing left to write.
bool ServerLog::TakeBatch(std::string& batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    writing_ = false;
    changed_.notify_all();
    changed_.wait(lock, [this] { return stop_ || !waiting_.empty() || dropped_ > 0; });
    if (waiting_.empty() && dropped_ == 0) return false;
    batch.swap(waiting_);
    waiting_.clear();
    if (dropped_ > 0) {
        batch += std::to_string(dropped_) + " log lines were dropped: the log's stream did not keep up\n";
        dropped_ = 0;
    }
    writing_ = true;
    return true;
}

void ServerLog::Run() {
    std::string batch;
    while (TakeBatch(batch)) {
        fwrite(batch.data(), 1, batch.size(), stream_);
        fflush(stream_);
        // A large batch's buffer is not kept for the small ones that follow.
        if (batch.capacity() > size_t{64} * 1024) std::string().swap(batch);
    }
}

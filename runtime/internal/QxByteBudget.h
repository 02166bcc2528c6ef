#pragma once
// A budget of bytes that many threads draw on at once: the server's receive buffers, decoded
// requests and replies of all connections together, so that a crowd of clients announcing large frames cannot make it
// allocate more than the budget. Taking never blocks: past the budget it fails.
#include <atomic>
#include <cstddef>
#include <cstdint>

class QxByteBudget {
public:
    explicit QxByteBudget(uint64_t limit) : limit_(limit) {}
    QxByteBudget(const QxByteBudget&) = delete;
    QxByteBudget& operator=(const QxByteBudget&) = delete;
    ~QxByteBudget() = default;

    // True when count more bytes fit; they are then counted until Give.
    [[nodiscard]] bool Take(uint64_t count) {
        uint64_t used = used_.load(std::memory_order_relaxed);
        do {
            if (count > limit_ || used > limit_ - count) return false;
        } while (!used_.compare_exchange_weak(used, used + count, std::memory_order_relaxed));
        return true;
    }
    void Give(uint64_t count) { used_.fetch_sub(count, std::memory_order_relaxed); }

    uint64_t Used() const { return used_.load(std::memory_order_relaxed); }
    // What is left now (others may take it meanwhile).
    uint64_t Room() const {
        const uint64_t used = Used();
        return used < limit_ ? limit_ - used : 0;
    }
    uint64_t Limit() const { return limit_; }

private:
    const uint64_t limit_;
    std::atomic<uint64_t> used_{0};
};

// Bytes taken from a budget for as long as the holder lives (none without a budget).
class QxBudgetShare {
public:
    explicit QxBudgetShare(QxByteBudget* budget) : budget_(budget) {}
    ~QxBudgetShare() { Release(); }
    QxBudgetShare(const QxBudgetShare&) = delete;
    QxBudgetShare& operator=(const QxBudgetShare&) = delete;

    // Grows the share to total bytes; false (share unchanged) when the budget has no room.
    [[nodiscard]] bool GrowTo(uint64_t total) {
        if (total <= held_) return true;
        if (budget_ && !budget_->Take(total - held_)) return false;
        held_ = total;
        return true;
    }
    // Gives back what is held beyond total.
    void ShrinkTo(uint64_t total) {
        if (total >= held_) return;
        if (budget_) budget_->Give(held_ - total);
        held_ = total;
    }
    void Release() {
        if (budget_ && held_) budget_->Give(held_);
        held_ = 0;
    }
    uint64_t Held() const { return held_; }
    const QxByteBudget* Budget() const { return budget_; }

private:
    QxByteBudget* budget_;
    uint64_t held_ = 0;
};

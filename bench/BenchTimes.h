#pragma once
// The time of a piece of work as the reader benchmarks take it: the best of a few runs, in
// processor time of the calling thread (user and kernel). On a shared machine the wall
// clock of one run moves with the other work on it; the best thread time barely does.
#include "platform/QxWin.h"
#include <algorithm>
#include <functional>

inline double QxThreadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// before and after run around every timed run, outside the time.
inline double QxBestSeconds(const std::function<void()>& before, const std::function<void()>& timed,
                            const std::function<void()>& after, int runs) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        before();
        const double start = QxThreadSeconds();
        timed();
        const double stop = QxThreadSeconds();
        after();
        best = std::min(best, stop - start);
    }
    return best;
}

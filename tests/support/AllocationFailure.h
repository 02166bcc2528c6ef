#pragma once
#include "support/ImportPatch.h"

// Makes memory run out, in every module that shares the C++ runtime, for as long as the
// object lives: the runtime's import of malloc is pointed at a function that lets the first
// `allowed` allocations through and fails every later one (or, with `once`, only the next
// one), so operator new throws std::bad_alloc wherever the library stands. Nothing of the
// test may allocate through operator new meanwhile (assertions come after). One at a time.
class AllocationFailure {
public:
    explicit AllocationFailure(int allowed, bool once = false);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    bool Valid() const { return patch_.Valid(); }
    // How many allocations have failed so far.
    static int Failed();
    // How many allocations went through so far.
    static int Made();

private:
    ImportPatch patch_;
};

// Runs call with 0, 1, 2, ... allocations allowed until a run meets no failure, and gives
// check the answer of every run that met one. Answers the number of runs that failed;
// -1 when the runtime's malloc could not be reached.
template <class Call, class Check>
int SweepAllocationFailures(Call call, Check check) {
    for (int allowed = 0;; ++allowed) {
        decltype(call()) answer;
        int failed = 0;
        {
            AllocationFailure failure(allowed);
            if (!failure.Valid()) return -1;
            answer = call();
            failed = AllocationFailure::Failed();
        }
        if (failed == 0) return allowed;
        check(answer, allowed);
    }
}

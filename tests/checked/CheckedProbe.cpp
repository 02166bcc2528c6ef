// Commits one fault of each kind that the checked build claims to catch, chosen by the
// first argument, so that a test can show the catch is live in the tree it runs in:
//   signed-overflow   an int addition that overflows (the undefined-behaviour trap)
//   vector-bounds     std::vector::operator[] past the end (the library's assertions)
//   double-free       a heap block freed twice (Wine's heap checks)
// Each value comes from the command line, so that no fault can be folded away at compile
// time. The program returns 0 only when the fault went unnoticed.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int SignedOverflow(int n) {
    const int big = INT_MAX - 1 + n;  // n is 1: INT_MAX
    return big + n;
}

int VectorBounds(int n) {
    std::vector<int> values(static_cast<size_t>(n));
    return values[static_cast<size_t>(n) + 1];
}

int DoubleFree(int n) {
    char* block = static_cast<char*>(std::malloc(static_cast<size_t>(n) * 64));
    if (!block) return 1;
    // Read back through a volatile, so that the compiler cannot see the second free coming.
    char* volatile again = block;
    std::free(block);
    std::free(again);
    return 0;
}

struct Fault {
    const char* name;
    int (*commit)(int);
};
const Fault kFaults[] = {
    {"signed-overflow", SignedOverflow},
    {"vector-bounds", VectorBounds},
    {"double-free", DoubleFree},
};

}  // namespace

int main(int argc, char** argv) {
    const int one = argc - 1;
    for (const Fault& fault : kFaults) {
        if (argc != 2 || std::strcmp(argv[1], fault.name) != 0) continue;
        std::printf("the fault went unnoticed (%d)\n", fault.commit(one));
        return 0;
    }
    std::fputs("usage: qx_checked_probe signed-overflow|vector-bounds|double-free\n", stderr);
    return 2;
}

#include "editor/MemberListFault.h"
#include <new>

namespace {
// Reads run on the host's user-interface thread only, like every catalogue operation.
int faultAt = 0;
int passed = 0;
}  // namespace

int QxSetMemberListFault(int step) {
    const int before = passed;
    faultAt = step > 0 ? step : 0;
    passed = 0;
    return before;
}

void QxMemberListStep() {
    ++passed;
    if (faultAt > 0 && --faultAt == 0) throw std::bad_alloc();
}

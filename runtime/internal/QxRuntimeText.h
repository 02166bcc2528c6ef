#pragma once
// Joining texts for messages inside the runtime. Kept in a namespace of its own (and
// brought in by each runtime source that builds messages), so that it never collides
// with whatever the string class offers one day. Internal.
#include "foundation/Qx_WString.h"

namespace qxrt {
inline Qx_WString operator+(const Qx_WString& a, const Qx_WString& b) {
    Qx_WString out(a);
    out += b;
    return out;
}
inline Qx_WString operator+(const Qx_WString& a, const wchar_t* b) {
    Qx_WString out(a);
    out += b;
    return out;
}
}  // namespace qxrt

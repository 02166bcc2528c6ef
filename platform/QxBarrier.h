#pragma once
// An exception barrier: what stands at every entry point through which a caller, another
// module or a thread body reaches code that may throw (memory running out, above all).
// The body's result comes back; an exception turns into the entry point's own failure
// result, after onFault has been told what it was. Nothing gets past it.
#include <exception>
#include <new>

namespace qxbarrier {
template <class OnFault>
void Tell(OnFault& onFault, const char* what) noexcept {
    try {
        onFault(what);
    } catch (...) {
        // Reporting the fault failed as well (no memory for the message): the result says enough.
    }
}
}  // namespace qxbarrier

template <class R, class Body, class OnFault>
[[nodiscard]] R QxBarrier(R failure, Body&& body, OnFault&& onFault) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        qxbarrier::Tell(onFault, "out of memory");
    } catch (const std::exception& e) {
        qxbarrier::Tell(onFault, e.what());
    } catch (...) {
        qxbarrier::Tell(onFault, "an unexpected failure");
    }
    return failure;
}

template <class R, class Body>
[[nodiscard]] R QxBarrier(R failure, Body&& body) noexcept {
    return QxBarrier(failure, body, [](const char*) {});
}

// The same for entry points without a result: there is nothing to answer.
template <class Body>
void QxBarrierVoid(Body&& body) noexcept {
    static_cast<void>(QxBarrier(0, [&] {
        body();
        return 0;
    }));
}

// A module of its own on the other side of a module boundary from the test program, as
// an adaptor module or a host stands to the library: exceptions must cross it both ways.
#include <stdexcept>
#include <string>

#define QX_BOUNDARY_API extern "C" __declspec(dllexport)

QX_BOUNDARY_API void qxb_ThrowRuntimeError(const char* what) { throw std::runtime_error(what); }

QX_BOUNDARY_API void qxb_ThrowInt(int value) { throw value; }

// Calls back into the caller's module and catches what the callback throws there: 1 for a
// std::exception whose text is `expected`, 2 for any other exception, 0 when none came.
QX_BOUNDARY_API int qxb_CatchFromCallback(void (*callback)(), const char* expected) {
    try {
        callback();
    } catch (const std::exception& e) {
        return std::string(e.what()) == expected ? 1 : 2;
    } catch (...) {
        return 2;
    }
    return 0;
}

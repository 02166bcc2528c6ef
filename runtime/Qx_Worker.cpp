#include "runtime/Qx_Worker.h"

Qx_Worker::Qx_Worker(Qx_EnvProvider* envProvider, Qx_Provider* parentProvider)
    : Qx_Provider(envProvider, parentProvider) {}

Qx_Worker::~Qx_Worker() = default;

long Qx_Worker::InitObject(int, const wchar_t*) {
    initialized_ = true;
    return 0;
}

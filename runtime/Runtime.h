#pragma once
// The service runtime: providers, the worker, the adaptor communication wrapper and the
// interface of adaptor modules. The wire protocol and its socket helpers are internal
// (runtime/internal/), linked into the modules that speak it.
#include "runtime/QxRuntimeCodes.h"
#include "runtime/QxAdaptor.h"
#include "runtime/Qx_EnvProvider.h"
#include "runtime/Qx_Provider.h"
#include "runtime/Qx_AdapterComWrapper.h"
#include "runtime/Qx_Worker.h"
#include "runtime/Qx_TarnWorker.h"

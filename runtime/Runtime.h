#pragma once
// The service runtime: providers, the worker, the adaptor communication wrapper, the
// adaptor module interface, the wire protocol and its socket helpers.
#include "runtime/QxRuntimeCodes.h"
#include "runtime/QxAdaptor.h"
#include "runtime/QxSocket.h"
#include "runtime/QxWireProtocol.h"
#include "runtime/QxSqlParameters.h"
#include "runtime/QxServiceDefinition.h"
#include "runtime/Qx_EnvProvider.h"
#include "runtime/Qx_Provider.h"
#include "runtime/Qx_AdapterComWrapper.h"
#include "runtime/Qx_Worker.h"
#include "runtime/Qx_TarnWorker.h"

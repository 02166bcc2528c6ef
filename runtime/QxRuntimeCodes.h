#pragma once
// Result codes of the service runtime. 0 is success; every failure is negative, so a
// code can never be mistaken for a count. A service that fails on the server answers its
// own code instead (never 0), which SendReq hands back unchanged.
enum QxRuntimeCode : long {
    QX_RT_OK = 0,
    QX_RT_E_FAIL = -1,            // bad arguments or a failure without a more precise code
    QX_RT_E_MODULE_LOAD = -2,     // the adaptor module could not be loaded
    QX_RT_E_ENTRY_POINT = -3,     // the module lacks QxCreateAdaptor
    QX_RT_E_ADAPTOR = -4,         // the module refused to create its adaptor, or it is of the wrong kind
    QX_RT_E_CONNECT = -10,        // no connection to the server
    QX_RT_E_TIMEOUT = -11,        // connect or reply took longer than the time-out
    QX_RT_E_TRANSPORT = -12,      // sending or receiving failed, or the server closed the connection
    QX_RT_E_PROTOCOL = -13,       // the peer sent a frame that does not decode
    QX_RT_E_BUSY = -14,           // the server refused: too many connections, or no room for the request
    QX_RT_E_NO_DEFINITION = -20,  // the service definition could not be read
    QX_RT_E_DEFINITION = -21,     // the service definition is not valid
    QX_RT_E_INPUT = -22,          // a required input is missing
    QX_RT_E_DATABASE = -23,       // the database adaptor or a statement failed
    QX_RT_E_JOB = -24,            // the job was not started (InitJob refused it or was not called)
};

#pragma once
// Clients of the service server for the tests: requests the way the library sends them,
// raw connections for frames the library would never send, and what a process holds.
#include "QxQVInfo320U.h"
#include "runtime/internal/QxSocket.h"
#include <string>

// Sends one request through the TCP adaptor of the bin folder, as the library's server
// execution does. The reply is added to the lists; error receives the wrapper's text.
long QxTestSend(int port, const wchar_t* service, Qx_VariableList& vars, Qx_DatasetList& datasets,
                Qx_WString* error = nullptr, long timeoutSeconds = 10);
// The "input" dataset of dbm_svc_load_svc with one name.
Qx_DatasetList QxTestInputName(const wchar_t* name);

// A raw connection to 127.0.0.1:port; empty when it cannot be made.
QxSocket QxTestRawConnect(int port);
// True when the peer closes the connection (or resets it) within ms.
bool QxTestClosedByPeer(SOCKET s, int ms);
// The 12-byte header of a request frame announcing length bytes of body.
std::string QxTestRequestHeader(uint32_t length);
// The encoded request frame for a service with the given variables.
std::string QxTestRequestFrame(const wchar_t* service, const Qx_VariableList& variables);
// Reads one reply frame within ms; false when none came. code and the first message are
// filled.
bool QxTestReadReply(SOCKET s, int ms, long& code, Qx_WString& firstMessage);

// The threads and the working set of a process (by id).
int QxTestThreadCount(unsigned long processId);
size_t QxTestWorkingSet(unsigned long processId);
size_t QxTestPeakWorkingSet(unsigned long processId);

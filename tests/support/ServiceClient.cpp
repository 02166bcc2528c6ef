#include "support/ServiceClient.h"
#include "support/RuntimeTestSupport.h"
#include "runtime/internal/QxWireProtocol.h"
#include <psapi.h>
#include <tlhelp32.h>

long QxTestSend(int port, const wchar_t* service, Qx_VariableList& vars, Qx_DatasetList& datasets, Qx_WString* error,
                long timeoutSeconds) {
    Qx_EnvProvider env;
    Qx_Provider provider(&env);
    provider.SetRequestEnv(L"demo", service);
    Qx_AdapterComWrapper* wrapper = nullptr;
    long rc =
        provider.CreateFrameService(QxTestBinDir().c_str(), L"QxTcpAdaptor320U", L"tcp", L"COM", 1, L"TCP", wrapper, 1);
    if (rc != 0) {
        if (error) *error = provider.GetLastErrorText();
        return rc;
    }
    rc = wrapper->SendReq(vars, datasets, L"127.0.0.1", port, timeoutSeconds, 1, 0);
    if (error) *error = wrapper->GetLastErrorText();
    return rc;
}

Qx_DatasetList QxTestInputName(const wchar_t* name) {
    Qx_Dataset input(L"input");
    input.AddColumn(L"name", QX_VT_STRING, 80, 1);
    input.SetColumn(input.AppendRow(), L"name", name);
    Qx_DatasetList list;
    list.AddDataset(L"input", input);
    return list;
}

QxSocket QxTestRawConnect(int port) {
    QxSocket s;
    if (!QxConnectTcp(L"127.0.0.1", port, QxDeadline(5000), s).ok()) return QxSocket();
    return s;
}

bool QxTestClosedByPeer(SOCKET s, int ms) {
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (GetTickCount64() < end) {
        WSAPOLLFD fd = {};
        fd.fd = s;
        fd.events = POLLRDNORM;
        if (WSAPoll(&fd, 1, 100) > 0) {
            char buffer[4096];
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK)) return true;
        }
    }
    return false;
}

std::string QxTestRequestHeader(uint32_t length) {
    std::string h("QXWP\x01\x00\x01\x00", 8);
    for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>((length >> (8 * i)) & 0xff));
    return h;
}

std::string QxTestRequestFrame(const wchar_t* service, const Qx_VariableList& variables,
                               const Qx_DatasetList& datasets) {
    Qx_VariableList env(1);
    env.AddStr(L"GROUP_NAME", L"demo");
    env.AddStr(L"SERVICE_NAME", service);
    std::string frame;
    QxWireCodec::EncodeRequest(env, variables, datasets, frame);
    return frame;
}

bool QxTestReadReply(SOCKET s, int ms, long& code, Qx_WString& firstMessage) {
    std::string frame;
    if (!QxRecvFrame(s, QxWireCodec::kDefaultMaxFrame, QxDeadline(ms), frame).ok()) return false;
    Qx_WStrList messages;
    Qx_VariableList vars(1);
    Qx_DatasetList datasets;
    if (!QxWireCodec::DecodeReply(frame.data(), frame.size(), QxWireCodec::kDefaultMaxFrame, code, messages, vars,
                                  datasets)
             .ok())
        return false;
    firstMessage = messages.GetItemNN(0);
    return true;
}

int QxTestThreadCount(unsigned long processId) {
    QxFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry))
        if (entry.th32OwnerProcessID == processId) ++count;
    return count;
}

namespace {
PROCESS_MEMORY_COUNTERS MemoryOf(unsigned long processId) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    QxKernelObject process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process || !GetProcessMemoryInfo(process.Get(), &counters, sizeof counters)) return PROCESS_MEMORY_COUNTERS();
    return counters;
}
}  // namespace

size_t QxTestWorkingSet(unsigned long processId) { return MemoryOf(processId).WorkingSetSize; }
size_t QxTestPeakWorkingSet(unsigned long processId) { return MemoryOf(processId).PeakWorkingSetSize; }

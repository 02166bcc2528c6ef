#include "config/WorkingDir.h"
#include "platform/QxBarrier.h"

namespace {
Qx_WString& Storage() {
    static Qx_WString directory;
    return directory;
}
}  // namespace

// Without the memory for the new folder, the old one stays.
void qx_SetWorkingDir(const wchar_t* directory) {
    QxBarrierVoid([&] { Storage() = Qx_WString(directory); });
}

const Qx_WString& QxWorkingDir() { return Storage(); }

Qx_WString QxConfigFilePath(const wchar_t* fileName) {
    Qx_WString path;
    path.Format(L"%s%s", Storage().c_str(), fileName);
    return path;
}

#include "config/WorkingDir.h"

namespace {
Qx_WString& Storage() {
    static Qx_WString directory;
    return directory;
}
}  // namespace

void qx_SetWorkingDir(const wchar_t* directory) { Storage().Set(directory); }

const Qx_WString& QxWorkingDir() { return Storage(); }

Qx_WString QxConfigFilePath(const wchar_t* fileName) {
    Qx_WString path;
    path.Format(L"%s%s", Storage().c_str(), fileName);
    return path;
}

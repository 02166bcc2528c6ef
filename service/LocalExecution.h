#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Buffer.h"
#include "foundation/Qx_DatasetList.h"
#include "foundation/Qx_VariableList.h"
#include "foundation/Qx_WString.h"
#include "runtime/Qx_TarnWorker.h"

struct SERVER_INFO;

// The parent worker through which a running worker reads service definitions from the
// service folder.
class QX_API Qx_TarnWorkerCommon : public Qx_TarnWorker {
public:
    Qx_TarnWorkerCommon();
    ~Qx_TarnWorkerCommon() override;
    Qx_TarnWorkerCommon(const Qx_TarnWorkerCommon&) = delete;
    Qx_TarnWorkerCommon& operator=(const Qx_TarnWorkerCommon&) = delete;

    // Reads <folder>\<name> into buffer, ".xml" appended when the name holds no '.' (a dot
    // in the folder does not count). 0 when read, -1 when not.
    long ReadServiceXml(const Qx_WString& folder, const Qx_WString& name, Qx_Buffer& buffer) override;
};

// Runs service in-process against the database of the record's adaptor, connection
// string, user and password; system non-zero runs it in the group "_system_". The inputs
// are taken out of the two lists, which then hold the service's outputs. 0 after a
// successful run; -1 when the adaptor is unknown or the job is refused (lists untouched)
// or when the run fails (lists emptied). Nothing is shown to the user.
QX_API long qx_LoadLocalService(SERVER_INFO* server, const wchar_t* service, Qx_VariableList& variables,
                                Qx_DatasetList& datasets, int system);

#pragma once
#include "QxQVInfo320U.h"
#include <string>

// The records of qrx_serverenv.xml (all three groups, in file order), freed when the object
// goes.
class QxServerRecords {
public:
    QxServerRecords() = default;
    ~QxServerRecords() { qx_ClearServerInformation(list_); }
    QxServerRecords(const QxServerRecords&) = delete;
    QxServerRecords& operator=(const QxServerRecords&) = delete;

    Qx_PtrList& List() { return list_; }
    int Count() const { return list_.Count(); }
    const SERVER_INFO& At(int i) const { return *static_cast<const SERVER_INFO*>(list_.Items(i)); }
    // Reads every group; false when the file could not be read completely.
    bool ReadAll();
    // The first record of that name, or null.
    SERVER_INFO* Find(const std::wstring& name);

private:
    Qx_PtrList list_;
};

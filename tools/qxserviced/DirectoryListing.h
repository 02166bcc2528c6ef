#pragma once
// A whole directory listed through a few large reads of the directory itself
// (FILE_FULL_DIR_INFO): no short names and no search pattern to match, which is what
// makes FindFirstFile's listing of a large folder slow.
#include "platform/QxStatus.h"
#include "platform/QxWin.h"
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct DirectoryEntry {
    std::wstring_view name;  // valid during the call that gives the entry only
    uint64_t size = 0;
    FILETIME written = {};
    DWORD attributes = 0;
};

class DirectoryListing {
public:
    // Calls visit for every entry of folder ("." and ".." included, in the file system's
    // order). kReadFailed, with the system's number and message, when the folder cannot be
    // opened or read. One listing at a time: the read buffer is kept for the next one.
    QxStatus List(const std::wstring& folder, const std::function<void(const DirectoryEntry&)>& visit);

private:
    std::vector<LONGLONG> buffer_;  // LONGLONG: the records' alignment
};

#pragma once
// The server's folder of service sources: "<name>.cpp" files with a service XML block, and
// "<name>.xml" definitions. Every name is checked before it touches the file system.
#include "DirectoryListing.h"
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ServiceFolder {
public:
    explicit ServiceFolder(const std::wstring& folder) : folder_(folder) {}
    const std::wstring& Path() const { return folder_; }

    // True when name stays inside the folder: not empty, not "." or "..", without '\\', '/'
    // or ':' (so no absolute path, drive letter, sub-folder or stream), and not a device
    // name ("NUL", "COM1", "aux.txt" and the rest).
    [[nodiscard]] static bool IsSafeName(const Qx_WString& name);

    // Fills out (columns name, class_name, size, date, time; all text) with one row per
    // "*.cpp" source, sorted by name. The rows come from an index of the folder that one
    // directory listing brings up to date: a source is read (for its class name) only
    // when it is new or its size or last-write time changed. kReadFailed when the folder
    // cannot be listed. Safe to call from several threads.
    QxStatus ListSources(Qx_Dataset& out) const;
    // The text of a source ("<name>.cpp"; name may carry the extension already). kBadInput
    // when the name is unsafe, kNotFound when the file cannot be read.
    QxStatus ReadSource(const Qx_WString& name, Qx_WString& text) const;
    // A service's definition: "<name>.xml" when it exists, else the XML block cut out of
    // "<name>.cpp", as UTF-8. kBadInput for an unsafe name, kNotFound when neither gives one.
    QxStatus ReadDefinition(const Qx_WString& name, Qx_Buffer& buffer) const;

    // The lines of the service XML block of a source, markers taken out and the
    // original-source marker lines dropped.
    static Qx_WString CutServiceXml(const Qx_WString& source);

private:
    // What the list shows of one source, and what tells that it changed.
    struct Entry {
        std::wstring name;
        uint64_t size = 0;
        FILETIME written = {};
        std::wstring sizeText, date, time, className;
    };
    QxStatus Refresh() const;
    void Read(Entry& entry, const DirectoryEntry& found) const;
    void Reindex(std::vector<Entry> entries) const;

    std::wstring folder_;
    // The index: a cache behind the const interface, guarded by indexMutex_.
    mutable std::mutex indexMutex_;
    mutable std::vector<Entry> entries_;                               // sorted as Qx_Dir::GetList sorts
    mutable std::unordered_map<std::wstring_view, size_t> positions_;  // exact name (viewed) to entry
    mutable DirectoryListing listing_;
};

#pragma once
// The server's folder of service sources: "<name>.cpp" files with a service XML block, and
// "<name>.xml" definitions. Every name is checked before it touches the file system.
#include "QxQVInfo320U.h"
#include <string>

class ServiceFolder {
public:
    explicit ServiceFolder(const std::wstring& folder) : folder_(folder) {}
    const std::wstring& Path() const { return folder_; }

    // True when name stays inside the folder: not empty, not "." or "..", without '\\', '/'
    // or ':' (so no absolute path, drive letter, sub-folder or stream), and not a device
    // name ("NUL", "COM1", "aux.txt" and the rest).
    static bool IsSafeName(const Qx_WString& name);

    // Fills out (columns name, class_name, size, date, time; all text) with one row per
    // "*.cpp" source, sorted by name. False when the folder cannot be listed.
    bool ListSources(Qx_Dataset& out) const;
    // The text of a source ("<name>.cpp"; name may carry the extension already). False
    // when the name is unsafe or the file cannot be read; error says which.
    bool ReadSource(const Qx_WString& name, Qx_WString& text, Qx_WString& error) const;
    // A service's definition: "<name>.xml" when it exists, else the XML block cut out of
    // "<name>.cpp", as UTF-8. -1 when neither gives one.
    long ReadDefinition(const Qx_WString& name, Qx_Buffer& buffer) const;

    // The lines of the service XML block of a source, markers taken out and the
    // original-source marker lines dropped.
    static Qx_WString CutServiceXml(const Qx_WString& source);

private:
    std::wstring folder_;
};

#pragma once
#include <string>

// A fresh folder under the temporary folder, removed with everything in it at the end.
class QxScratchFolder {
public:
    QxScratchFolder();
    ~QxScratchFolder();
    QxScratchFolder(const QxScratchFolder&) = delete;
    QxScratchFolder& operator=(const QxScratchFolder&) = delete;

    // The folder, without a trailing backslash.
    const std::wstring& Path() const { return path_; }
    std::wstring PathOf(const std::wstring& name) const { return path_ + L"\\" + name; }
    // Writes bytes as they stand to a file of the folder; answers its path.
    std::wstring Write(const std::wstring& name, const std::string& bytes) const;
    bool Exists(const std::wstring& name) const;

private:
    std::wstring path_;
};

#pragma once
#include <string>

// A fresh folder under the temporary folder, removed with everything in it when the
// object goes away. Paths are Windows paths without a trailing backslash.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return path_; }
    // path_ + "\" + name
    std::wstring File(const std::wstring& name) const;
    std::wstring PathOf(const std::wstring& name) const { return File(name); }
    // Writes bytes as they stand to a file of the folder; answers its path.
    std::wstring Write(const std::wstring& name, const std::string& bytes) const;
    bool Exists(const std::wstring& name) const;

private:
    std::wstring path_;
};

// Writes bytes to path in binary mode, replacing the file; false on failure.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// The whole file in binary mode; empty when it cannot be read.
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// UTF-16LE bytes of text, with a byte-order mark when bom is set.
std::string Utf16Bytes(const std::wstring& text, bool bom = true);

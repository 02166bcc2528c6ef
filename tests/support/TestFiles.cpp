#include "support/TestFiles.h"
#include "platform/QxWin.h"
#include <atomic>
#include <cstdio>
#include <filesystem>

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static std::atomic<unsigned> counter{0};
    for (;;) {
        std::wstring name = std::wstring(base) + L"qxtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++counter);
        if (CreateDirectoryW(name.c_str(), nullptr)) {
            path_ = name;
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

std::wstring TempDir::File(const std::wstring& name) const { return path_ + L"\\" + name; }

std::wstring TempDir::Write(const std::wstring& name, const std::string& bytes) const {
    std::wstring path = File(name);
    WriteBytes(path, bytes);
    return path;
}

bool TempDir::Exists(const std::wstring& name) const { return FileExists(File(name)); }

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return bytes;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    fclose(f);
    return bytes;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Utf16Bytes(const std::wstring& text, bool bom) {
    std::string bytes;
    if (bom) bytes += "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

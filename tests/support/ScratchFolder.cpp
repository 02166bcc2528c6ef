#include "support/ScratchFolder.h"
#include "foundation/QxWin.h"
#include <atomic>
#include <filesystem>
#include <fstream>

QxScratchFolder::QxScratchFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    std::wstring base(temp, n);
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    for (;;) {
        path_ = base + L"\\qx-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(counter++);
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

QxScratchFolder::~QxScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::wstring QxScratchFolder::Write(const std::wstring& name, const std::string& bytes) const {
    std::wstring path = PathOf(name);
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

bool QxScratchFolder::Exists(const std::wstring& name) const {
    return GetFileAttributesW(PathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

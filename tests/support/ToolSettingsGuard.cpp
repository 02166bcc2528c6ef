#include "support/ToolSettingsGuard.h"
#include "config/ToolSettings.h"
#include <shlwapi.h>

namespace {
bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}
}  // namespace

QxToolSettingsGuard::QxToolSettingsGuard() {
    const std::wstring full = kQxToolSettingsKey;
    for (size_t end = full.find(L'\\'); ; end = full.find(L'\\', end + 1)) {
        std::wstring prefix = full.substr(0, end);
        if (!prefix.empty() && !KeyExists(prefix)) {
            firstCreated_ = prefix;
            break;
        }
        if (end == std::wstring::npos) break;
    }
    Save(kQxSettingComponentPath);
    Save(kQxSettingLang);
}

void QxToolSettingsGuard::Save(const wchar_t* value) {
    Saved saved;
    saved.name = value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kQxToolSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExW(key, value, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            saved.existed = RegQueryValueExW(key, value, nullptr, &saved.type, saved.data.data(), &size) ==
                            ERROR_SUCCESS;
            saved.data.resize(size);
        }
        RegCloseKey(key);
    }
    saved_.push_back(saved);
}

QxToolSettingsGuard::~QxToolSettingsGuard() {
    if (!firstCreated_.empty()) {
        SHDeleteKeyW(HKEY_CURRENT_USER, firstCreated_.c_str());
        return;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kQxToolSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    for (const Saved& s : saved_) {
        if (s.existed)
            RegSetValueExW(key, s.name.c_str(), 0, s.type, s.data.data(), static_cast<DWORD>(s.data.size()));
        else
            RegDeleteValueW(key, s.name.c_str());
    }
    RegCloseKey(key);
}

void QxToolSettingsGuard::SetText(const wchar_t* value, const wchar_t* text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kQxToolSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void QxToolSettingsGuard::Remove(const wchar_t* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kQxToolSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, value);
    RegCloseKey(key);
}

bool QxToolSettingsGuard::RemoveKey() {
    if (firstCreated_.empty()) return false;
    SHDeleteKeyW(HKEY_CURRENT_USER, firstCreated_.c_str());
    return true;
}

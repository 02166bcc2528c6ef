#include "support/ToolSettingsGuard.h"
#include "config/ToolSettings.h"
#include "platform/QxHandle.h"
#include <shlwapi.h>

namespace {
bool KeyExists(const std::wstring& path) {
    QxRegKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

// The settings key, made when it is missing; empty when it cannot be made.
QxRegKey CreateSettingsKey() {
    QxRegKey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, kQxToolSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
    return key;
}
}  // namespace

QxToolSettingsGuard::QxToolSettingsGuard() {
    const std::wstring full = kQxToolSettingsKey;
    for (size_t end = full.find(L'\\');; end = full.find(L'\\', end + 1)) {
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
    QxRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kQxToolSettingsKey, 0, KEY_READ, key.Put()) == ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExW(key.Get(), value, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            saved.existed =
                RegQueryValueExW(key.Get(), value, nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
            saved.data.resize(size);
        }
    }
    saved_.push_back(saved);
}

QxToolSettingsGuard::~QxToolSettingsGuard() {
    if (!firstCreated_.empty()) {
        SHDeleteKeyW(HKEY_CURRENT_USER, firstCreated_.c_str());
        return;
    }
    QxRegKey key = CreateSettingsKey();
    if (!key) return;
    for (const Saved& s : saved_) {
        if (s.existed)
            RegSetValueExW(key.Get(), s.name.c_str(), 0, s.type, s.data.data(), static_cast<DWORD>(s.data.size()));
        else
            RegDeleteValueW(key.Get(), s.name.c_str());
    }
}

void QxToolSettingsGuard::SetText(const wchar_t* value, const wchar_t* text) {
    QxRegKey key = CreateSettingsKey();
    if (!key) return;
    RegSetValueExW(key.Get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

void QxToolSettingsGuard::Remove(const wchar_t* value) {
    QxRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kQxToolSettingsKey, 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return;
    RegDeleteValueW(key.Get(), value);
}

bool QxToolSettingsGuard::RemoveKey() {
    if (firstCreated_.empty()) return false;
    SHDeleteKeyW(HKEY_CURRENT_USER, firstCreated_.c_str());
    return true;
}

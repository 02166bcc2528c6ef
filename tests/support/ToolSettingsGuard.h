#pragma once
#include "platform/QxWin.h"
#include <string>
#include <vector>

// Lets a test change values of the tool's settings key and puts everything back at the
// end: values that existed get their type and data again, values that did not are deleted,
// and keys of the settings path that the test brought into being are deleted.
class QxToolSettingsGuard {
public:
    QxToolSettingsGuard();
    ~QxToolSettingsGuard();
    QxToolSettingsGuard(const QxToolSettingsGuard&) = delete;
    QxToolSettingsGuard& operator=(const QxToolSettingsGuard&) = delete;

    // True when the settings key existed before the guard.
    bool KeyExisted() const { return firstCreated_.empty(); }
    void SetText(const wchar_t* value, const wchar_t* text);
    void Remove(const wchar_t* value);
    // Deletes the settings key; only allowed when it did not exist before (false otherwise).
    bool RemoveKey();

private:
    struct Saved {
        std::wstring name;
        bool existed = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    void Save(const wchar_t* value);
    std::vector<Saved> saved_;
    std::wstring firstCreated_;  // shallowest key of the path that did not exist; empty if none
};

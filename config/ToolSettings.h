#pragma once
#include "afx/CString.h"

// The development tool's per-user settings key under HKEY_CURRENT_USER: its settings root
// with "Settings" appended. The one place that names it.
inline constexpr wchar_t kQxToolSettingsKey[] =
    L"SOFTWARE\\AppDataLow\\SoftWare\\Quorvel\\orbanex320U\\"
    L"Settings";

// Values of the settings key.
inline constexpr wchar_t kQxSettingComponentPath[] = L"ComponentPath";
inline constexpr wchar_t kQxSettingLang[] = L"Lang";

// Reads one value of the settings key as text, the key opened for reading only; empty when
// the key or the value cannot be opened or read. Internal to the library.
CString QxReadToolSetting(const wchar_t* valueName);

#include "config/ToolSettings.h"
#include "foundation/RegistryReading.h"

CString QxReadToolSetting(const wchar_t* valueName) {
    CString text;
    CRegistry settings;
    if (QxOpenKeyForReading(settings, CRegistry::CurrentUser, kQxToolSettingsKey)) settings.GetValue(valueName, text);
    settings.CloseKey();
    return text;
}

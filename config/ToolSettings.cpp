#include "config/ToolSettings.h"
#include "foundation/CRegistry.h"

CString QxReadToolSetting(const wchar_t* valueName) {
    CString text;
    CRegistry settings;
    if (settings.OpenKey(CRegistry::CurrentUser, kQxToolSettingsKey)) settings.GetValue(valueName, text);
    settings.CloseKey();
    return text;
}

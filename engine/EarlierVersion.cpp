#include "engine/EarlierVersion.h"

#include <windows.h>
#include "engine/RegistryRead.h"
#include "engine/SystemInfo.h"

EarlierVersion ReadEarlierVersion() {
    EarlierVersion version;
    CUIString installed;
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath(), L"DisplayVersion", installed))
        version.installed = installed;
    GetSetupVersion(version.setup);
    version.order = CompareVersions(version.installed, version.setup);
    return version;
}

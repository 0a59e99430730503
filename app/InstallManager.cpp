#include "app/InstallManager.h"

#include "engine/FolderChain.h"
#include "engine/Processes.h"
#include "engine/RegistryRead.h"
#include "engine/ResStrings.h"

namespace {
Install_CIM* g_manager = nullptr;
}

Install_CIM::Install_CIM(HINSTANCE instance) : state_(instance) { g_manager = this; }

// The state goes with the manager; its journal owner closes (and so encrypts) the
// journal last, after the last window is gone.
Install_CIM::~Install_CIM() {
    if (g_manager == this) g_manager = nullptr;
}

Install_CIM* GetInstallManager() noexcept { return g_manager; }

bool Install_CIM::CreateFolderChain(const CUIString& path) {
    return ::CreateFolderChain(path, state_.journal.get());
}

bool Install_CIM::ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* valueName, CUIString& out) {
    return ::ReadRegistryString(root, key, valueName, out);
}

CUIString Install_CIM::LoadResString(UINT id, const wchar_t* fallback) const {
    return ::LoadResString(state_.instance, id, fallback);
}

int Install_CIM::ShowResMessageBox(HWND owner, UINT textId, UINT captionId, UINT style) const {
    const CUIString caption = LoadResString(captionId, L"");
    const CUIString text = LoadResString(textId, L"");
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

bool Install_CIM::ReadPreviousInstallFolder(CUIString& folder) {
    return ReadRegistryString(HKEY_LOCAL_MACHINE, kAppPathsKey, kSoftwarePathValue, folder);
}

// The uninstaller comes from the recorded folder, not the chosen one: an installation
// recorded elsewhere is removed all the same.
bool Install_CIM::BeforeInstall() {
    CUIString previous;
    if (ReadPreviousInstallFolder(previous) && !previous.empty()) RunPreviousUninstaller(previous);
    return true;
}

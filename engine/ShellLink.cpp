#include "engine/ShellLink.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "engine/InstallJournal.h"
#include "base/Handles.h"

namespace {

bool ValidLinkArguments(const wchar_t* target, const wchar_t* arguments, const wchar_t* link,
                        const wchar_t* description, int showCommand, const wchar_t* workingDirectory,
                        const wchar_t* iconPath, int iconIndex) {
    return target && *target && arguments && link && *link && description && showCommand >= 0 &&
           workingDirectory && iconPath && iconIndex >= 0;
}

}  // namespace

HRESULT CreateShellLink(const wchar_t* target, const wchar_t* arguments, const wchar_t* link,
                        const wchar_t* description, int showCommand, const wchar_t* workingDirectory,
                        const wchar_t* iconPath, int iconIndex) {
    // Declared first so that it outlives the interface pointers below.
    ComScope com;
    if (!ValidLinkArguments(target, arguments, link, description, showCommand, workingDirectory, iconPath,
                            iconIndex)) {
        return E_INVALIDARG;
    }
    ComPtr<IShellLinkW> shellLink;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    shellLink.put_void());
    if (FAILED(hr)) return hr;

    // Property failures are not fatal: the file is still worth writing with its target.
    shellLink->SetPath(target);
    shellLink->SetArguments(arguments);
    if (*description) shellLink->SetDescription(description);
    if (showCommand > 0) shellLink->SetShowCmd(showCommand);
    if (*workingDirectory) shellLink->SetWorkingDirectory(workingDirectory);
    if (*iconPath) shellLink->SetIconLocation(iconPath, iconIndex);

    ComPtr<IPersistFile> file;
    hr = shellLink->QueryInterface(IID_IPersistFile, file.put_void());
    if (FAILED(hr)) return hr;
    return file->Save(link, TRUE);
}

bool CreateShortcut(const std::wstring& target, const std::wstring& link, InstallJournal* journal) {
    if (journal) journal->recordFile(link);
    return SUCCEEDED(CreateShellLink(target.c_str(), L"", link.c_str(), L"", SW_SHOWNORMAL, L"", L"", 0));
}

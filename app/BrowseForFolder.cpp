#include "app/InstallManager.h"

#include <shlobj.h>
#include "base/Handles.h"

namespace {

// Selects and opens the initial folder once the picker is ready.
int CALLBACK SelectInitialFolder(HWND picker, UINT message, LPARAM, LPARAM initialFolder) {
    if (message == BFFM_INITIALIZED && initialFolder) {
        ::SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, initialFolder);
        ::SendMessageW(picker, BFFM_SETEXPANDED, TRUE, initialFolder);
    }
    return 0;
}

}  // namespace

CUIString Install_CIM::BrowseForFolder(HWND owner, const CUIString& initialFolder) const {
    // The new dialog style hosts shell views, which need COM on this thread.
    ComScope com;
    const CUIString title = LoadResString(133, L"");
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = SelectInitialFolder;
    info.lParam = reinterpret_cast<LPARAM>(initialFolder.c_str());

    UniqueCoTaskMem item(::SHBrowseForFolderW(&info));
    if (!item) return CUIString();
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(item.get()), path)) return CUIString();
    return CUIString(path);
}

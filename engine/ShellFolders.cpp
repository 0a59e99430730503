#include "engine/ShellFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/FolderChain.h"
#include "engine/ShellLink.h"

namespace {

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

}  // namespace

std::wstring GetProgramsFolder(bool allUsers) {
    std::wstring folder;
    if (allUsers) folder = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    if (folder.empty()) folder = SpecialFolder(CSIDL_PROGRAMS);
    return folder;
}

std::wstring GetCommonDesktopFolder() {
    return SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
}

std::wstring StartMenuShortcutPath(const std::wstring& menuName, bool allUsers, const std::wstring& shortcutName) {
    const std::wstring programs = GetProgramsFolder(allUsers);
    return programs.empty() ? std::wstring() : programs + L"\\" + menuName + L"\\" + shortcutName + L".lnk";
}

std::wstring DesktopShortcutPath(const std::wstring& shortcutName) {
    const std::wstring desktop = GetCommonDesktopFolder();
    return desktop.empty() ? std::wstring() : desktop + L"\\" + shortcutName + L".lnk";
}

bool CreateStartMenuFolder(const std::wstring& menuName, bool allUsers, InstallJournal* journal) {
    const std::wstring programs = GetProgramsFolder(allUsers);
    if (programs.empty()) return false;
    return CreateFolderChain(programs + L"\\" + menuName, journal);
}

bool CreateStartMenuShortcut(const std::wstring& menuName, bool allUsers, const std::wstring& shortcutName,
                             const std::wstring& target, InstallJournal* journal) {
    const std::wstring link = StartMenuShortcutPath(menuName, allUsers, shortcutName);
    return !link.empty() && CreateShortcut(target, link, journal);
}

bool CreateDesktopShortcut(const std::wstring& shortcutName, const std::wstring& target,
                           InstallJournal* journal) {
    const std::wstring link = DesktopShortcutPath(shortcutName);
    if (link.empty()) return false;
    // Deleted rather than overwritten, so that nothing of an earlier installation's
    // shortcut survives in the new one.
    ::DeleteFileW(link.c_str());
    return CreateShortcut(target, link, journal);
}

#pragma once
// The start-menu and desktop places of the client's shortcuts.
#include <string>

class InstallJournal;

// The start menu's Programs folder: all users' when allUsers and available, else the
// current user's. Empty when neither can be had.
std::wstring GetProgramsFolder(bool allUsers);

// The all-users desktop folder, empty when it cannot be had (no fallback to the user's).
std::wstring GetCommonDesktopFolder();

// Where the shortcuts below are written; empty when their folder cannot be had.
std::wstring StartMenuShortcutPath(const std::wstring& menuName, bool allUsers, const std::wstring& shortcutName);
std::wstring DesktopShortcutPath(const std::wstring& shortcutName);

// Creates <Programs>\<menuName>, journalling each folder level it newly creates.
// False when there is no Programs folder or a level cannot be created.
bool CreateStartMenuFolder(const std::wstring& menuName, bool allUsers, InstallJournal* journal);

// Writes <Programs>\<menuName>\<shortcutName>.lnk to `target` (an existing file is
// overwritten), journalled as CreateShortcut does. False when there is no Programs folder
// or the file could not be written.
bool CreateStartMenuShortcut(const std::wstring& menuName, bool allUsers, const std::wstring& shortcutName,
                             const std::wstring& target, InstallJournal* journal);

// Writes <common desktop>\<shortcutName>.lnk to `target`, deleting an existing file of
// that name first, journalled as CreateShortcut does. False when there is no common
// desktop folder or the file could not be written.
bool CreateDesktopShortcut(const std::wstring& shortcutName, const std::wstring& target,
                           InstallJournal* journal);

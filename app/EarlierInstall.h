#pragma once
// An earlier installation recorded under "SoftwarePath", as the setup meets it when the
// user starts the install: its folder in the one spelling the new install uses, the
// folders its journal names (read before its uninstaller runs, which takes the journal
// away), and what is left of it once that uninstaller has ended and the new install goes
// to another folder.
#include <string>
#include <vector>

// The recorded folder as engine/InstallFolder.h spells it; the record as it stands when
// it is no folder the setup would install to.
std::wstring EarlierFolderSpelling(const std::wstring& recorded);

// The folder records of the journal in `folder` (the encrypted journal and a plain one
// left beside it, merged), in journal order; none when there is no readable journal.
std::vector<std::wstring> FoldersOfEarlierJournal(const std::wstring& folder);

// For an install into `installFolder` when the earlier one was in `earlierFolder`, after
// the earlier uninstaller has ended (a silent run leaves the folder, its note and the
// folders above it for the setup that started it): deletes the note, waits a few seconds
// at most for the uninstaller's renamed program to be deleted by its helper, then removes
// the journal's folders that are the earlier folder, lie inside it or above it, innermost
// first and only when empty. Levels of the new install's path are left to it. Does
// nothing when both folders are the same (compared ignoring case).
void RemoveEarlierFolderChain(const std::wstring& earlierFolder, const std::vector<std::wstring>& journalFolders,
                              const std::wstring& installFolder);

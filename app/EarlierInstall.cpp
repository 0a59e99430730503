#include "app/EarlierInstall.h"

#include <windows.h>

#include <algorithm>

#include "base/CheckedFile.h"
#include "base/EntryFile.h"
#include "engine/FolderChain.h"
#include "engine/InstallFolder.h"
#include "journal/JournalFiles.h"
#include "journal/JournalText.h"
#include "base/pure/ProductNames.h"
#include "base/Handles.h"

namespace {

// How long the earlier uninstaller's helper may take to delete the renamed program: it
// tries about once a second after the process has ended.
constexpr DWORD kRenamedProgramWaitMs = 15000;
constexpr DWORD kPollMs = 100;

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

// `inner` lies strictly below `outer`.
bool IsBelow(const std::wstring& inner, const std::wstring& outer) {
    return inner.size() > outer.size() + 1 && inner[outer.size()] == L'\\' &&
           SameFolder(inner.substr(0, outer.size()), outer);
}

bool HoldsRenamedUninstaller(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"\\" + kRenamedUninstallerPrefix + L"*" + kRenamedUninstallerSuffix;
    UniqueFind find(::FindFirstFileW(pattern.c_str(), &found));
    return find.valid();
}

void WaitForRenamedUninstallerToGo(const std::wstring& folder) {
    const ULONGLONG deadline = ::GetTickCount64() + kRenamedProgramWaitMs;
    while (HoldsRenamedUninstaller(folder) && ::GetTickCount64() < deadline) ::Sleep(kPollMs);
}

}  // namespace

std::wstring EarlierFolderSpelling(const std::wstring& recorded) {
    const FolderSpelling spelling = NormaliseInstallFolder(recorded);
    return spelling.accepted() ? spelling.folder : recorded;
}

std::vector<std::wstring> FoldersOfEarlierJournal(const std::wstring& folder) {
    const StoredJournal stored = ReadStoredJournal(folder + L"\\" + kPlainJournalName);
    return journal::FolderRecordPaths(stored.text);
}

void RemoveEarlierFolderChain(const std::wstring& earlierFolder, const std::vector<std::wstring>& journalFolders,
                              const std::wstring& installFolder) {
    if (SameFolder(earlierFolder, installFolder)) return;
    const std::wstring note = earlierFolder + L"\\" + kUninstallerNoteName;
    DeleteCheckedFile(note, ExpectedFinalPath(note));  // never through a link at its name
    WaitForRenamedUninstallerToGo(earlierFolder);

    const std::vector<std::wstring> newPath = FolderChainLevels(installFolder);
    auto onNewPath = [&](const std::wstring& folder) {
        return std::any_of(newPath.begin(), newPath.end(), [&](const std::wstring& level) {
            return SameFolder(level, folder);
        });
    };
    std::vector<std::wstring> chain;
    for (const std::wstring& folder : journalFolders) {
        const bool earlierChain = SameFolder(folder, earlierFolder) || IsBelow(folder, earlierFolder) ||
                                  IsBelow(earlierFolder, folder);
        if (earlierChain && !onNewPath(folder)) chain.push_back(folder);
    }
    std::stable_sort(chain.begin(), chain.end(),
                     [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : chain) ::RemoveDirectoryW(folder.c_str());
}

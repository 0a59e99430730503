#include "engine/RunCommit.h"

#include <algorithm>
#include <set>

#include "base/CheckedFile.h"
#include "base/EntryFile.h"
#include "base/RegistryView.h"
#include "base/pure/AsciiCase.h"
#include "base/pure/PendingRenames.h"
#include "engine/FolderChain.h"
#include "base/pure/ProductNames.h"
#include "engine/RegistryWrite.h"
#include "engine/RunBackup.h"
#include "engine/SetupLog.h"
#include "journal/JournalFiles.h"
#include "journal/JournalParse.h"
#include "journal/JournalRecord.h"
#include "journal/JournalText.h"
#include "journal/RunTransaction.h"
#include "journal/UndoLeftovers.h"
#include "journal/UndoPlan.h"
#include "journal/UndoRun.h"

namespace {

constexpr wchar_t kSessionManagerKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenamesValue[] = L"PendingFileRenameOperations";

std::wstring Folded(std::wstring text) {
    for (wchar_t& c : text) c = FoldAscii(c);
    return text;
}

// What a record names, the same for an earlier installation's record and the run's.
std::wstring Identity(const journal::Record& record) {
    const wchar_t kind = static_cast<wchar_t>(record.text.empty() ? L'?' : record.text[0]);
    return std::wstring(1, kind) + L'|' + std::to_wstring(record.root) + L'|' + Folded(record.path) + L'|' +
           Folded(record.valueName);
}

std::string Line(const journal::Record& record) { return std::string(record.text) + "\r\n"; }

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The records that still name something: a file or folder record whose object is gone (a
// new file's draft after it took its place, a file of the run's that was never written)
// goes.
std::string StillThere(std::string_view text) {
    std::string kept;
    for (const journal::Record& record : journal::Parse(text)) {
        if (!record.ok()) continue;
        if (record.kind == journal::RecordKind::File && !IsFile(record.path)) continue;
        if (record.kind == journal::RecordKind::Folder && !IsFolder(record.path)) continue;
        kept += Line(record);
    }
    return kept;
}

// A record an installation's journal holds: what it made (D, F, R, r). The records of an
// unfinished run (T, B, V) say how to take that run back; in an earlier installation's
// journal, which others may have written (its folder is not always the administrators'),
// they would have this process move files and write values as they say.
bool IsInstallationRecord(const journal::Record& record) {
    switch (record.kind) {
        case journal::RecordKind::Folder:
        case journal::RecordKind::File:
        case journal::RecordKind::Value:
        case journal::RecordKind::Key: return true;
        case journal::RecordKind::Begin:
        case journal::RecordKind::Backup:
        case journal::RecordKind::OldValue: return false;
    }
    return false;
}

// The earlier installation's records that the new one does not claim for itself.
std::string Unclaimed(std::string_view earlier, std::string_view finished) {
    std::set<std::wstring> claimed;
    for (const journal::Record& record : journal::Parse(finished))
        if (record.ok()) claimed.insert(Identity(record));
    std::string unclaimed;
    for (const journal::Record& record : journal::Parse(earlier))
        if (record.ok() && IsInstallationRecord(record) && !claimed.count(Identity(record))) unclaimed += Line(record);
    return unclaimed;
}

// The folder records of `earlier` on the new install folder's path: levels the earlier
// installation made that the new one stands in.
std::string CarriedLevels(std::string_view earlier, const std::wstring& installFolder) {
    const std::vector<std::wstring> path = FolderChainLevels(installFolder);
    std::string carried;
    for (const journal::Record& record : journal::Parse(earlier)) {
        if (!record.ok() || record.kind != journal::RecordKind::Folder) continue;
        if (std::any_of(path.begin(), path.end(), [&](const std::wstring& level) { return undo::SameText(level, record.path); }))
            carried += Line(record);
    }
    return carried;
}

// The earlier installation's folders and keys that its undo kept because something is in
// them: the new installation's shortcuts in the menu folder, its values in the
// application path's key. They stay recorded, in the new installation's journal, so
// that its uninstall removes them once they are empty, as the earlier one's would have.
std::string KeptNotEmpty(std::string_view unclaimed, const undo::UndoOutcome& undone) {
    std::vector<std::size_t> lines;
    for (const undo::StepResult& result : undone.results)
        if (result.outcome == undo::Outcome::KeptNotEmpty) lines.push_back(result.step.line);
    return journal::SelectRecords(unclaimed, lines);
}

// The run's backups, as file records.
std::string BackupFiles(std::string_view run) {
    std::string files;
    for (const journal::Record& record : journal::Parse(run))
        if (record.ok() && record.kind == journal::RecordKind::Backup) files += journal::FileRecord(record.backup);
    return files;
}

// Deletes the run's backups; one that cannot go now goes at the next restart and stays
// recorded, so that an uninstall before then removes it too. Its records, as files.
std::string DeleteBackups(const InstallState& state, std::string_view run, std::vector<std::wstring>& left) {
    std::string undeleted;
    for (const journal::Record& record : journal::Parse(run)) {
        if (!record.ok() || record.kind != journal::RecordKind::Backup || !IsFile(record.backup)) continue;
        const std::wstring place = ExpectedPlace(state, record.backup);
        if (DeleteCheckedFile(record.backup, place)) continue;
        LogFailure(L"Backup not deleted now:", record.backup, ::GetLastError());
        // Deleted by name at the restart: only a file that leads where its record says now
        // (base/CheckedFile.h), never a link standing at its name.
        if (OpenCheckedFile(record.backup, place, FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, CheckedOpen::Existing)
                .status == CheckedFile::Status::Opened)
            ::MoveFileExW(record.backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        left.push_back(record.backup);
        undeleted += journal::FileRecord(record.backup);
    }
    return undeleted;
}

// An earlier installation in another folder: once nothing of its journal is left, its
// uninstaller's own files go (its plan leaves them to the uninstaller's self-removal),
// then the folders it made that the new installation does not stand in, when empty.
void RemoveEarlierFolder(const std::wstring& folder, const undo::Plan& plan, const std::string& leftover,
                         const std::wstring& installFolder) {
    if (!leftover.empty()) {
        undo::StoreLeftoverJournal(folder, leftover);
        return;
    }
    DWORD error = 0;
    for (const wchar_t* name : {kUninstallerName, kUninstallerNoteName})
        undo::RemoveFileAsNamed(folder + L"\\" + name, error);
    undo::StoreLeftoverJournal(folder, {});
    const std::vector<std::wstring> newPath = FolderChainLevels(installFolder);
    for (const std::wstring& level : plan.lastFolders) {
        if (std::any_of(newPath.begin(), newPath.end(), [&](const std::wstring& l) { return undo::SameText(l, level); }))
            continue;
        undo::RemoveFolderIfEmpty(level, error);
    }
}

// Deletions and renames left for the next restart that would take a file of the new
// installation. Cancelled only now: a run that is taken back leaves them as they were.
void CancelPendingRenames(std::string_view journalText) {
    std::set<std::wstring> files;
    for (const journal::Record& record : journal::Parse(journalText))
        if (record.ok() && record.kind == journal::RecordKind::File) files.insert(Folded(record.path));
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return;
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(key.get(), kPendingRenamesValue, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return;
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (::RegQueryValueExW(key.get(), kPendingRenamesValue, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                           &bytes) != ERROR_SUCCESS)
        return;
    value.resize(bytes / sizeof(wchar_t));
    const std::vector<PendingRename> all = ParsePendingRenames(value);
    const std::vector<PendingRename> kept =
        WithoutPendingRenames(all, [&](std::wstring_view path) { return files.count(Folded(std::wstring(path))) != 0; });
    if (kept.size() == all.size()) return;
    LogStep(L"Deletions at the next restart cancelled for files of this installation: " +
            std::to_wstring(all.size() - kept.size()));
    if (kept.empty()) {
        ::RegDeleteValueW(key.get(), kPendingRenamesValue);
        return;
    }
    const std::wstring text = PendingRenamesValue(kept);
    ::RegSetValueExW(key.get(), kPendingRenamesValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(text.data()),
                     static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

CommitOutcome Commit(InstallState& state, InstallJournal& journal) {
    CommitOutcome outcome;
    const std::wstring installFolder = state.installPath;
    const bool sameFolder = state.earlierFolder.empty() || undo::SameText(state.earlierFolder, installFolder);
    const std::string run = journal.recordsSinceOpen();
    const std::string finished = journal::FinishedRunRecords(run);
    const std::string before = journal.recordsBeforeOpen();
    const std::string earlier =
        sameFolder ? before : ReadStoredJournal(state.earlierFolder + L"\\" + kPlainJournalName).text;
    const std::string unclaimed = Unclaimed(earlier, finished);
    const std::string carried = CarriedLevels(earlier, installFolder);
    const std::string kept = sameFolder ? earlier : journal::MergeJournals(carried, before);

    // 1. The new installation's journal, with everything that may still be left: its
    // backups too, which an uninstall removes should this process end before they go.
    if (!journal.commit(journal::MergeJournals(kept, finished + BackupFiles(run)))) {
        LogStep(L"Journal not written: the run is not finished");
        return outcome;
    }
    outcome.committed = true;
    LogStep(L"Run committed: " + journal.path() + kCipherJournalSuffix);

    // 2. and 3.
    const std::string undeleted = DeleteBackups(state, run, outcome.left);
    DWORD error = 0;
    undo::RemoveFolderIfEmpty(installFolder + L"\\" + kRunBackupFolderName, error);
    const undo::Plan plan =
        undo::MakeUndoPlan(unclaimed, undo::PlacesFor(sameFolder ? installFolder : state.earlierFolder));
    const undo::UndoOutcome undone = undo::RunUndo(plan);
    const std::string leftover = undo::LeftoverRecords(unclaimed, plan, undone);
    const std::string notEmpty = KeptNotEmpty(unclaimed, undone);
    for (const undo::StepResult& result : undone.results)
        if (result.outcome == undo::Outcome::Failed || result.outcome == undo::Outcome::Refused)
            outcome.left.push_back(result.step.path);
    if (!sameFolder)
        RemoveEarlierFolder(state.earlierFolder, plan, journal::RecordsNotIn(leftover, notEmpty), installFolder);

    // 4.
    DeleteRegValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    // 5. A kept folder or key goes before the run's records: undone newest first, it
    // comes after what the new installation put into it.
    const std::string gone = journal::RecordsNotIn(unclaimed, leftover + notEmpty + carried);
    const std::string last = StillThere(journal::MergeJournals(
        journal::MergeJournals(journal::RecordsNotIn(kept, gone), notEmpty),
        journal::MergeJournals(finished, sameFolder ? leftover + undeleted : undeleted)));
    CancelPendingRenames(last);
    if (!journal.commit(last)) outcome.left.push_back(journal.path() + kCipherJournalSuffix);
    return outcome;
}

}  // namespace

CommitOutcome CommitRun(InstallState& state) noexcept {
    InstallJournal* journal = state.openJournal();
    if (!journal || !journal->inRun()) {  // no run to finish: nothing was journalled as one
        CommitOutcome none;
        none.committed = true;
        return none;
    }
    try {
        return Commit(state, *journal);
    } catch (...) {  // out of memory: the journal holds at least the new installation
        CommitOutcome failed;
        failed.committed = !journal->inRun();
        return failed;
    }
}

#include "engine/RunRollback.h"

#include <algorithm>

#include "journal/JournalFiles.h"
#include "journal/JournalParse.h"
#include "journal/JournalText.h"
#include "journal/UndoLeftovers.h"
#include "journal/UndoPlan.h"
#include "journal/UndoRun.h"
#include "engine/UninstallerFiles.h"

namespace {

bool Kept(undo::Outcome outcome) {
    return outcome == undo::Outcome::Failed || outcome == undo::Outcome::Refused ||
           outcome == undo::Outcome::KeptNotEmpty;
}

// Files made by the file system's clock may be stamped up to this much (100 ns units)
// before the moment the run noted: FAT keeps times to 2 s.
constexpr unsigned long long kClockSlack = 2ull * 10000000ull;

bool CreatedBefore(const std::wstring& path, unsigned long long moment) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    const unsigned long long created =
        (static_cast<unsigned long long>(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
    return created + kClockSlack < moment;
}

// The run's records without those of files that were there before it started: the run
// recorded them before it tried to write them, but a file it could not replace (another
// program held it) is the user's or an earlier installation's, and one it did replace
// cannot get its old content back from here. Either way it is not the run's to delete.
std::string RecordsOfThisRun(const std::string& recorded, unsigned long long runStartedAt) {
    std::vector<std::size_t> keep;
    for (const journal::Record& record : journal::Parse(recorded))
        if (!record.ok() || record.kind != journal::RecordKind::File || !CreatedBefore(record.path, runStartedAt))
            keep.push_back(record.line);
    return journal::SelectRecords(recorded, keep);
}

RollbackOutcome TakeBack(InstallJournal& journal, unsigned long long runStartedAt) {
    RollbackOutcome outcome;
    outcome.rolledBack = true;
    const std::string own = RecordsOfThisRun(journal.recordsSinceOpen(), runStartedAt);
    const std::wstring plainPath = journal.path();
    const std::wstring folder = plainPath.substr(0, plainPath.rfind(L'\\'));
    // Finished first: should anything below fail, the run's records are in the encrypted
    // journal, where the uninstaller and the next run find them.
    journal.close();

    const undo::Plan plan = undo::MakeUndoPlan(own, undo::PlacesFor(folder));
    const undo::UndoOutcome undone = undo::RunUndo(plan);
    for (const undo::StepResult& result : undone.results)
        if (Kept(result.outcome)) outcome.left.push_back(result.step.path);
    for (const undo::Refusal& refusal : plan.refused) outcome.left.push_back(journal::Utf8ToUtf16(refusal.text));
    const std::string ownLeft = undo::LeftoverRecords(own, plan, undone);

    const StoredJournal stored = ReadStoredJournal(plainPath);
    // An encrypted journal that another program holds cannot be rewritten without losing
    // it: everything stays recorded as it is.
    if (stored.cipherHeld) return outcome;
    const std::string kept = journal::MergeJournals(journal::RecordsNotIn(stored.text, own), ownLeft);
    if (!undo::StoreLeftoverJournal(folder, kept)) return outcome;
    outcome.complete = outcome.left.empty() && ownLeft.empty();
    if (!kept.empty()) return outcome;

    // An earlier installation's uninstaller, run silently in this folder by the run's
    // start, leaves its note for the setup; with nothing else left it goes too.
    DWORD error = 0;
    undo::RemoveFileAsNamed(folder + L"\\" + kUninstallerNoteName, error);
    // Innermost first, each only when empty, and only those the run made: a folder it
    // found there (an existing install folder the user chose) has no record of this run.
    const std::vector<std::wstring> made = journal::FolderRecordPaths(own);
    for (const std::wstring& level : plan.lastFolders) {
        if (std::none_of(made.begin(), made.end(), [&](const std::wstring& m) { return undo::SameText(m, level); }))
            continue;
        const undo::Outcome removed = undo::RemoveFolderIfEmpty(level, error);
        if (removed == undo::Outcome::Failed || removed == undo::Outcome::Refused) {
            outcome.left.push_back(level);
            outcome.complete = false;
        }
    }
    return outcome;
}

}  // namespace

RollbackOutcome RollBackRun(InstallState& state) noexcept {
    if (!state.openJournal()) return {};
    try {
        return TakeBack(*state.journal, state.runStartedAt);
    } catch (...) {  // out of memory: what was not reached stays recorded
        RollbackOutcome failed;
        failed.rolledBack = true;
        return failed;
    }
}

#include "journal/RunTakeBack.h"

#include <algorithm>

#include "journal/JournalFiles.h"
#include "journal/JournalParse.h"
#include "journal/JournalRecord.h"
#include "journal/JournalText.h"
#include "journal/RunTransaction.h"
#include "journal/UndoLeftovers.h"
#include "journal/UndoPlan.h"
#include "journal/UndoRun.h"

namespace undo {
namespace {

bool Kept(Outcome outcome) {
    return outcome == Outcome::Failed || outcome == Outcome::Refused || outcome == Outcome::KeptNotEmpty;
}

// The journal as it was before the run when nothing of the run is left. While a run goes
// on, its records are only in the plain journal and the encrypted one is as the run found
// it: then the plain journal goes and the encrypted one is not touched at all.
bool RestoreJournal(const std::wstring& installFolder, std::string_view before) {
    const std::wstring plain = installFolder + L"\\" + kPlainJournalName;
    const StoredJournal stored = ReadStoredJournal(plain);
    if (stored.cipherHeld) return false;
    if (stored.cipherRead && stored.plainRead && stored.cipherText == before) {
        DWORD error = 0;
        const Outcome removed = RemoveFileAsNamed(plain, error);
        return removed == Outcome::Done || removed == Outcome::AlreadyGone;
    }
    return StoreLeftoverJournal(installFolder, before);
}

}  // namespace

RunTakenBack TakeBackRun(const std::wstring& installFolder, std::string_view before, std::string_view run) {
    RunTakenBack out;
    out.found = true;
    const Plan plan = MakeUndoPlan(run, PlacesFor(installFolder));
    // In the run's order, newest first, all of it: what the run made goes before what it
    // moved aside comes home, and a value it wrote before its old data is written again.
    UndoOutcome undone;
    undone.results = RunUndoPlan(plan);
    // A key or folder the run recorded (registration records its keys again) that the
    // installation before it holds as well stays because that installation's things are
    // back in it: that is as it was, not something left of the run. So does the uninstall
    // key, which the plan adds for the run's values in it, when the installation before
    // had values there too.
    const journal::JournalLines runLines = journal::SplitJournal(run);
    const journal::JournalLines beforeLines = journal::SplitJournal(before);
    const std::vector<journal::Record> beforeRecords = journal::Parse(before);
    auto earlierHolds = [&](const Step& step) {
        if (step.line == 0)
            return std::any_of(beforeRecords.begin(), beforeRecords.end(), [&](const journal::Record& record) {
                return record.ok() && record.kind == journal::RecordKind::Value && record.root == step.root &&
                       SameText(record.path, step.path);
            });
        return step.line <= runLines.records.size() &&
               std::find(beforeLines.records.begin(), beforeLines.records.end(), runLines.records[step.line - 1]) !=
                   beforeLines.records.end();
    };
    for (const StepResult& result : undone.results)
        if (Kept(result.outcome) && !(result.outcome == Outcome::KeptNotEmpty && earlierHolds(result.step)))
            out.left.push_back(result.step.path);
    for (const Refusal& refusal : plan.refused) out.left.push_back(journal::Utf8ToUtf16(refusal.text));
    std::string runLeft = LeftoverRecords(run, plan, undone);
    out.complete = out.left.empty() && runLeft.empty();
    // The journal goes back first: the install folder may be one of the folders below.
    if (out.complete && !RestoreJournal(installFolder, before)) out.complete = false;

    // The folders the run made on the way to the install folder, and the install folder
    // itself when the run made it: innermost first, each when empty. A folder the run made
    // that still holds something is not taken back, and is said to be left.
    const std::vector<std::wstring> made = journal::FolderRecordPaths(run);
    for (const std::wstring& level : plan.lastFolders) {
        if (std::none_of(made.begin(), made.end(), [&](const std::wstring& m) { return SameText(m, level); }))
            continue;
        DWORD error = 0;
        if (Kept(RemoveFolderIfEmpty(level, error))) {
            out.left.push_back(level);
            runLeft += journal::FolderRecord(level);
        }
    }
    if (runLeft.empty()) return out;
    // Still a run that is not finished: the next attempt takes back what is left of it.
    StoreLeftoverJournal(installFolder, std::string(before) + journal::BeginRecord(installFolder) +
                                            journal::MergeJournals({}, runLeft));
    out.complete = false;
    return out;
}

RunTakenBack TakeBackUnfinishedRun(const std::wstring& installFolder) {
    const StoredJournal stored = ReadStoredJournal(installFolder + L"\\" + kPlainJournalName);
    // The records as they were written, not merged: a record of the run that an earlier
    // one also holds is still the run's.
    const journal::RunSplit split = journal::SplitAtRun(stored.cipherText + stored.plainText);
    if (!split.pending) return {};
    if (stored.cipherHeld) {
        RunTakenBack held;
        held.found = true;
        held.left.push_back(installFolder + L"\\" + kPlainJournalName + kCipherJournalSuffix);
        return held;
    }
    return TakeBackRun(installFolder, split.before, split.run);
}

}  // namespace undo

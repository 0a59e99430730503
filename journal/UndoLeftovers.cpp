#include "journal/UndoLeftovers.h"

#include <algorithm>

#include "journal/JournalFiles.h"
#include "journal/JournalRecord.h"
#include "journal/JournalParse.h"
#include "journal/JournalText.h"

namespace undo {
namespace {

bool Failed(const StepResult& result) {
    return result.outcome == Outcome::Failed || result.outcome == Outcome::Refused;
}

// The lines of the folder records that name one of `folders`.
std::vector<std::size_t> FolderRecordLines(std::string_view journalText, const std::vector<std::wstring>& folders) {
    std::vector<std::size_t> lines;
    for (const journal::Record& record : journal::Parse(journalText)) {
        if (!record.ok() || record.kind != journal::RecordKind::Folder) continue;
        if (std::any_of(folders.begin(), folders.end(), [&](const std::wstring& f) { return SameText(f, record.path); }))
            lines.push_back(record.line);
    }
    return lines;
}

}  // namespace

bool IsEntryStep(const Step& step) {
    const bool registry = step.action == Action::RemoveValue || step.action == Action::RemoveKeyIfEmpty;
    return registry && step.root == journal::kRootLocalMachine &&
           (SameText(step.path, kUninstallKey64) || SameText(step.path, kUninstallKey32));
}

UndoOutcome RunUndo(const Plan& plan) {
    Plan first, last;
    first.installFolder = last.installFolder = plan.installFolder;  // the runner checks against it
    for (const Step& step : plan.steps) (IsEntryStep(step) ? last : first).steps.push_back(step);
    UndoOutcome outcome;
    outcome.results = RunUndoPlan(first);
    if (std::any_of(outcome.results.begin(), outcome.results.end(), Failed)) {
        outcome.keptBack = std::move(last.steps);
        return outcome;
    }
    for (StepResult& result : RunUndoPlan(last)) outcome.results.push_back(std::move(result));
    return outcome;
}

std::string LeftoverRecords(std::string_view journalText, const Plan& plan, const UndoOutcome& outcome) {
    std::vector<std::size_t> lines;
    for (const Refusal& refusal : plan.refused) lines.push_back(refusal.line);
    for (const StepResult& result : outcome.results)
        if (Failed(result)) lines.push_back(result.step.line);
    for (const Step& step : outcome.keptBack) lines.push_back(step.line);
    if (lines.empty()) return {};
    // Something is left: what was kept only because something was still in it goes to
    // the later attempt too, which removes it after the rest.
    for (const StepResult& result : outcome.results)
        if (result.outcome == Outcome::KeptNotEmpty) lines.push_back(result.step.line);
    for (std::size_t line : FolderRecordLines(journalText, plan.lastFolders)) lines.push_back(line);
    return journal::SelectRecords(journalText, lines);
}

std::vector<std::wstring> RemoveAtRestart(const std::vector<StepResult>& results, const std::wstring& installFolder) {
    std::vector<std::wstring> marked;
    for (const StepResult& result : results) {
        if (result.step.action != Action::RemoveFile || result.outcome != Outcome::Failed) continue;
        // Deleted by name when Windows restarts: only a file that leads where its record
        // says now, as every other deletion here is checked (UndoRun.h).
        if (FileStepInPlace(result.step, installFolder) &&
            ::MoveFileExW(result.step.path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            marked.push_back(result.step.path);
    }
    return marked;
}

bool StoreLeftoverJournal(const std::wstring& installFolder, std::string_view records) {
    const std::wstring plain = installFolder + L"\\" + kPlainJournalName;
    const std::wstring cipher = CipherJournalPath(plain);
    // Each journal file goes as every other deletion here does: through a checked handle,
    // never through a link (UndoRun.h).
    DWORD ignored = 0;
    if (records.empty()) {
        RemoveFileAsNamed(cipher, ignored);
        RemoveFileAsNamed(plain, ignored);
        RemoveFileAsNamed(cipher + kCipherDraftSuffix, ignored);
        return true;
    }
    if (!WriteEncryptedJournal(cipher, records)) return false;
    RemoveFileAsNamed(plain, ignored);
    return true;
}

}  // namespace undo

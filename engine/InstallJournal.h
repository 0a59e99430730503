#pragma once
// The install journal: one line per folder, file, registry value and registry key that
// the install creates, later read back by the client's uninstaller. Records are appended
// to the plain journal at `path`; finishing the journal encrypts everything recorded at
// that path so far into its companion file ("<path>E", journal/JournalFiles.h) and removes
// the plain file.
//
// No run ever discards records. Finishing merges the plain journal into the encrypted one
// that is already there (an earlier run's, an earlier process's, or this journal's own
// from an earlier finish), so opening a journal where one exists carries its records
// forward. A journal stays usable after it has been finished: the next record starts a
// new plain file, which the next finish merges in again.
//
// An install run is a transaction (journal/RunTransaction.h): begin() records its start,
// and until commit() its records stay in the plain journal only, beside the encrypted one
// as the run found it, whatever finishes meanwhile (a session that ends flushes them).
// commit() writes the installation's journal in one piece; a run that is taken back
// instead leaves the encrypted journal untouched (journal/RunTakeBack.h).
//
// Failure contract: no operation throws or shows anything. A journal that could not be
// opened stays closed and every record operation on it does nothing and returns false.
// A record that cannot be appended (a full disk) is kept in memory, returns false and is
// written before the next one, or into the encrypted journal when it is finished; it
// counts as written only once it is in one of the two files.
#include <windows.h>
#include <deque>
#include <string>
#include "base/Handles.h"

class InstallJournal {
public:
    InstallJournal() = default;
    ~InstallJournal();  // closes (and so finishes) an open journal
    InstallJournal(const InstallJournal&) = delete;
    InstallJournal& operator=(const InstallJournal&) = delete;

    // Closes a journal that is still open, then opens `path` for appending. A line that
    // an ended process left unfinished at the end of the file is cut off first: it is not
    // a record, and the next one would be joined to it. The file is opened, read, cut and
    // later deleted only through a handle that leads where `path` says (base/
    // CheckedFile.h): a link standing at its name is never followed (Refused).
    enum class Opened { Yes, Refused, Failed };
    Opened open(const std::wstring& path) noexcept;
    // From a successful open until close; a finished journal is still open.
    bool isOpen() const noexcept { return open_; }

    // True when the record, and every record before it, is in the file.
    bool recordFolder(const std::wstring& path) noexcept;                 // "D <path>"
    bool recordFile(const std::wstring& path) noexcept;                   // "F <path>"
    bool recordValue(HKEY root, const std::wstring& keyPath,
                     const std::wstring& valueName) noexcept;             // "R <root> <key>\<name>"
    bool recordKey(HKEY root, const std::wstring& keyPath) noexcept;      // "r <root> <key>"
    bool recordBackup(const std::wstring& original, const std::wstring& backup) noexcept;  // "B"
    // "V": a value as it is before the run changes or deletes it. Not recorded (true) when
    // the run has already recorded the value as its own: its old data is the run's.
    bool recordOldValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD type,
                        const std::string& data) noexcept;

    // Begins the run in `installFolder` ("T"); false when the journal is not open. A begin
    // record that a full disk keeps from the file waits in memory like any other.
    bool begin(const std::wstring& installFolder) noexcept;
    // True from begin() until commit().
    bool inRun() const noexcept { return inRun_; }
    // Ends the run: `records` become the journal, encrypted, and the plain file goes.
    // False, with the encrypted journal as it was, when it cannot be written or the plain
    // file cannot go; the plain file is then closed (reopened by the next record).
    [[nodiscard]] bool commit(const std::string& records) noexcept;

    // Flushes, encrypts the records of both files (the encrypted journal's first, each
    // record once) into "<path>E" and deletes the plain file; during a run it only flushes. When the encrypted file
    // cannot be written completely, both files stay as they were (the records of each
    // are still read by the uninstaller), and the next finish tries again.
    void finish() noexcept;
    // Finishes, then closes: no further records are taken.
    void close() noexcept;

    const std::wstring& path() const noexcept { return path_; }
    // Every record asked for since the last open, in order, each line ended by CR LF,
    // whether it reached a file or not: what a rollback of this run takes back. Records
    // that the files held before (an earlier run's) are not among them.
    const std::string& recordsSinceOpen() const noexcept { return ownRecords_; }
    // The records that the journal's files held when it was opened (an earlier run's,
    // merged as the uninstaller reads them).
    const std::string& recordsBeforeOpen() const noexcept { return earlierRecords_; }

private:
    template <typename Build>
    bool record(Build build) noexcept;
    bool append(std::string utf8Line) noexcept;
    bool writeBacklog() noexcept;
    Opened openFile() noexcept;

    UniqueFile file_;
    std::wstring path_;
    bool open_ = false;
    bool inRun_ = false;
    std::deque<std::string> backlog_;  // records not yet in the file, oldest first
    std::string ownRecords_;           // recordsSinceOpen()
    std::string earlierRecords_;       // recordsBeforeOpen()

};

#pragma once
// The install journal: one line per folder, file, registry value and registry key that
// the install creates, later read back by the client's uninstaller. The plain journal is
// encrypted into its companion file ("<path>E") when it is closed.
//
// Failure contract: no operation reports an error or throws. A journal that could not
// be opened stays closed and every record operation on it does nothing.
#include <windows.h>
#include <string>
#include "ui/Handles.h"

class InstallJournal {
public:
    InstallJournal() = default;
    ~InstallJournal();  // closes (and so encrypts) an open journal
    InstallJournal(const InstallJournal&) = delete;
    InstallJournal& operator=(const InstallJournal&) = delete;

    // Finalises a journal that is still open, then opens `path` for appending.
    void open(const std::wstring& path) noexcept;
    bool isOpen() const noexcept;

    void recordFolder(const std::wstring& path) noexcept;                 // "D <path>"
    void recordFile(const std::wstring& path) noexcept;                   // "F <path>"
    void recordValue(HKEY root, const std::wstring& keyPath,
                     const std::wstring& valueName) noexcept;             // "R <root> <key>\<name>"
    void recordKey(HKEY root, const std::wstring& keyPath) noexcept;      // "r <root> <key>"

    // Flushes, encrypts the whole plain file into "<path>E" (the wide path plus "E") and
    // deletes the plain file. When the encrypted file cannot be written completely, the
    // plain journal is kept (and a partly written encrypted file removed), so that the
    // records are not lost; a later open at the same path appends to it. When the plain
    // file has gone, nothing is written.
    void close() noexcept;

    const std::wstring& path() const noexcept { return path_; }

private:
    void append(const std::string& utf8Line) noexcept;
    UniqueFile file_;
    std::wstring path_;
};

#pragma once
// Registry writes of the registration, each journalled as the client's uninstaller needs.
// Keys are opened in the 32-bit view (base/RegistryView.h), where the uninstaller looks.
#include <windows.h>
#include <string>

class InstallJournal;

// Creates keyPath (with missing parents) under root and stores `data` as REG_SZ with its
// terminating NUL. Only a value that was actually stored is recorded in `journal` (when
// not null). During an install run a value that was there is recorded first as it was
// ("V", journal/RunTransaction.h), so that taking the run back writes it again; nothing
// is changed when that record cannot be written. Returns false when the key cannot be
// created or the value not set.
bool SetRegString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                  const std::wstring& data, InstallJournal* journal);

// The same for a REG_DWORD value (4 bytes, little-endian), journalled the same way.
bool SetRegDword(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, DWORD data,
                 InstallJournal* journal);

// Deletes one value; the key stays, also when it becomes empty. True only when the value
// existed and was deleted. During an install run with `journal`, the value is recorded as
// it was first, as above; nothing is deleted when that record cannot be written.
bool DeleteRegValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                    InstallJournal* journal = nullptr);

// Claims keyPath for the installation: records it in `journal` (when not null) so that the
// uninstaller removes the whole key. Touches no registry.
void RecordRegKey(HKEY root, const std::wstring& keyPath, InstallJournal* journal);

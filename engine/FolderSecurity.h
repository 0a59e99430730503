#pragma once
// The permissions of the folders the setup creates. Created under a folder that ordinary
// users may write to (the root of a second drive, by default), a folder would inherit
// that, and anyone could replace the programs that the next setup runs elevated. So each
// folder the setup creates gets an explicit, protected DACL like the system's program
// folders: SYSTEM and Administrators full control, Users read and execute, nothing
// inherited from the parent; files and folders below inherit the same. Folders that
// already exist keep their own.
#include <windows.h>
#include <string>

// The DACL as data, in the system's descriptor language: "P" protects it from the parent,
// "OICI" hands each entry on to files and folders inside.
inline constexpr wchar_t kProtectedFolderSddl[] =
    L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// What a file and a folder inside such a folder get by inheritance: the same entries,
// marked inherited. The install folder's existing content is given these when the folder
// is taken over (engine/FolderTakeover.h).
inline constexpr wchar_t kInheritedFolderSddl[] =
    L"D:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)";
inline constexpr wchar_t kInheritedFileSddl[] = L"D:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)";

// Creates one folder with the protected DACL (the parent must exist). Failure contract:
// false with the system's error as the thread's last error, as CreateDirectoryW.
bool CreateProtectedFolder(const std::wstring& folder);

// The call that creates the folder, for tests that look at what it is handed (this Wine
// keeps no security descriptor of a folder, so the DACL cannot be read back from disk).
// Returns the one in use before.
using FolderCreator = BOOL(WINAPI*)(LPCWSTR, LPSECURITY_ATTRIBUTES);
FolderCreator SetFolderCreator(FolderCreator creator) noexcept;

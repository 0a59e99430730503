#pragma once
// The default install folder, as pure text arithmetic over what the system reports, so
// the choice is tested without the machine that would produce each case.
#include <string>
#include <string_view>
#include <vector>

inline constexpr unsigned kFixedDriveType = 3;  // DRIVE_FIXED as GetDriveTypeW reports it

struct DriveRoot {
    std::wstring root;  // "D:\"
    unsigned type;      // GetDriveTypeW of the root
};

// The system drive: the system directory up to and including its first backslash
// ("C:\" for "C:\Windows\system32"); the whole text when it has none.
std::wstring SystemDriveOf(std::wstring_view systemDirectory);

// The roots of a GetLogicalDriveStringsW list ("C:\<NUL>D:\<NUL><NUL>"), in order.
std::vector<std::wstring> SplitDriveList(std::wstring_view list);

// base + "Program Files\Vexmora\" + productName, where base is the first fixed drive
// that is not the system drive (exact comparison), or else the system drive.
std::wstring ChooseDefaultFolder(std::wstring_view systemDirectory, const std::vector<DriveRoot>& drives,
                                 std::wstring_view productName);

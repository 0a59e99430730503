#include "app/DefaultFolder.h"

std::wstring SystemDriveOf(std::wstring_view systemDirectory) {
    const size_t slash = systemDirectory.find(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? systemDirectory
                                                         : systemDirectory.substr(0, slash + 1));
}

std::vector<std::wstring> SplitDriveList(std::wstring_view list) {
    std::vector<std::wstring> roots;
    while (!list.empty() && list.front() != L'\0') {
        const size_t end = list.find(L'\0');
        roots.emplace_back(list.substr(0, end));
        if (end == std::wstring_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return roots;
}

std::wstring ChooseDefaultFolder(std::wstring_view systemDirectory, const std::vector<DriveRoot>& drives,
                                 std::wstring_view productName) {
    // "Program Files" is literal: the folder must not move with the system's language
    // or bitness, since the next setup finds the installation by this path.
    std::wstring base = SystemDriveOf(systemDirectory);
    for (const DriveRoot& drive : drives) {
        if (drive.type == kFixedDriveType && drive.root != base) {
            base = drive.root;
            break;
        }
    }
    return base + L"Program Files\\Vexmora\\" + std::wstring(productName);
}

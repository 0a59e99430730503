#include "engine/FolderSecurity.h"

#include <sddl.h>

#include "base/Handles.h"

namespace {
FolderCreator g_creator = ::CreateDirectoryW;
}  // namespace

bool CreateProtectedFolder(const std::wstring& folder) {
    UniqueLocal descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderSddl, SDDL_REVISION_1,
                                                                descriptor.put(), nullptr))
        return false;  // never made without it: inheriting from the parent is what this prevents
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    return g_creator(folder.c_str(), &attributes) != FALSE;
}

FolderCreator SetFolderCreator(FolderCreator creator) noexcept {
    const FolderCreator before = g_creator;
    g_creator = creator;
    return before;
}

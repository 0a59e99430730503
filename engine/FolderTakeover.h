#pragma once
// Making the install folder the administrators' before anything is written into it. A
// standard user may have made the folder (or the folders above it) beforehand, on a
// second drive whose root lets anyone create folders, and so could replace the programs
// the setup installs there: Start.exe (run at every log-on), uninstall.exe (run elevated
// from Programs and Features), the shell extension Explorer loads for everyone.
//
// Taking over, through handles opened without following a link, outermost first:
// - every existing level above the install folder that others than SYSTEM,
//   Administrators and TrustedInstaller could change (trust::OthersCanChange) gets owner
//   Administrators and the protected DACL of engine/FolderSecurity.h, as the level
//   itself only (what else it holds is not the setup's); a level that is a link is
//   accepted only when no one else could change it;
// - the install folder itself, which must be no link: owner Administrators and the
//   protected DACL, whatever it had;
// - everything already inside it, links included (never followed): owner Administrators
//   and the inherited DACL, as if the setup had made it (a handle that still leads
//   elsewhere than its name says is left as it is: what it leads to is someone else's); a read-only file that the payload
//   carries loses that attribute, so that the payload replaces it. Such content stays but
//   is not trusted: the caller does not start a program found there.
// Each descriptor is read back afterwards; one that others could still change fails.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

struct FolderTakeover {
    enum class Outcome {
        TakenOver,
        Link,    // `where` is a link: the install folder, or a level others could change
        Failed,  // `where` could not be made the administrators' (`error`)
    };
    Outcome outcome = Outcome::Failed;
    std::wstring where;
    DWORD error = 0;
    // Something others could change was found: a level, the folder, or its content.
    bool othersCouldChange = false;
    std::vector<std::wstring> levelsTakenOver;  // above the install folder, outermost first
    std::vector<std::wstring> filesFound;       // every file that was inside, full paths
    // Inside, what leads elsewhere than its name says (a link, followed): left untouched.
    std::vector<std::wstring> linksLeft;
};

// `folder` exists and is spelled as engine/InstallFolder.h spells it. `carried` tells, of
// a path relative to the folder ("res\\x.dll"), whether the payload carries a file there.
FolderTakeover TakeOverInstallFolder(const std::wstring& folder,
                                     const std::function<bool(const std::wstring& relative)>& carried);

// Files of these kinds run or are loaded as code: found in the install folder and not
// carried by the payload, they are named in the log.
bool IsProgramFileName(const std::wstring& name);

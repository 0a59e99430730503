// Taking the install folder over at "start", once it is made and before anything is
// written into it (engine/FolderTakeover.h), for both the windowed and the silent run.
#include "app/InstallManager.h"

#include <algorithm>

#include "engine/PayloadRoom.h"
#include "engine/SetupLog.h"

FolderTakeover Install_CIM::TakeOverInstallFolder(const std::wstring& folder) {
    const std::vector<std::wstring> carried = OwnPayloadFileNames(state_.instance);
    const auto carries = [&carried](const std::wstring& relative) {
        return std::any_of(carried.begin(), carried.end(),
                           [&](const std::wstring& name) { return ::lstrcmpiW(name.c_str(), relative.c_str()) == 0; });
    };
    FolderTakeover takeover = ::TakeOverInstallFolder(folder, carries);
    state_.folderTakenFromOthers = takeover.othersCouldChange;
    for (const std::wstring& level : takeover.levelsTakenOver)
        LogStep(L"Folder above the install folder made the administrators': " + level);
    for (const std::wstring& file : takeover.filesFound) {
        const std::wstring relative = file.substr(folder.size() + 1);
        LogStep(L"Found in the install folder: " + file);
        if (IsProgramFileName(relative) && !carries(relative))
            LogStep(L"Program file not the client's, left in place: " + file);
    }
    for (const std::wstring& link : takeover.linksLeft)
        LogStep(L"Link in the install folder, nothing written through it: " + link);
    switch (takeover.outcome) {
        case FolderTakeover::Outcome::TakenOver:
            LogStep(takeover.othersCouldChange ? L"Install folder taken over from others: " + folder
                                               : L"Install folder is the administrators': " + folder);
            return takeover;
        case FolderTakeover::Outcome::Link:
            LogStep(L"Install folder refused, a link others could change: " + takeover.where);
            break;
        case FolderTakeover::Outcome::Failed:
            LogFailure(L"Install folder refused, cannot be made the administrators':", takeover.where, takeover.error);
            break;
    }
    RemoveFoldersMadeForTheRun();  // each is empty, made by this start
    return takeover;
}

// The main window's checks before an install starts, made before anything is created so
// that a "no" leaves the machine as it was: room on the folder's volume, and the version of
// an earlier installation; then, once the folder is made, its takeover. Also the custom page's figures of space needed and available.
#include "windows/FrameWindow.h"

#include "app/InstallManager.h"
#include "engine/EarlierVersion.h"
#include "engine/ExtractionPrompt.h"
#include "engine/InstallRoom.h"
#include "engine/ResStrings.h"
#include "windows/SkinWindow.h"

namespace {

constexpr UINT kStringSetupCaption = 128;
constexpr UINT kStringFolderCaption = 134;
constexpr UINT kStringNotTakenOver = 195;
constexpr UINT kStringNoRoom = 152;
constexpr UINT kStringNoRoomCaption = 153;
constexpr UINT kStringRoom = 154;
constexpr UINT kStringRoomNeeded = 155;
constexpr UINT kStringOlderThanInstalled = 156;
constexpr UINT kStringRepairing = 157;
constexpr UINT kStringRoomUnknown = 196;

// The custom page's label turns red when the folder's volume is too small.
constexpr wchar_t kRoomColour[] = L"#FF858585";
constexpr wchar_t kNoRoomColour[] = L"#FFE0453A";

}  // namespace

bool CFrameWindowWnd::HasRoomFor(const CUIString& folder) {
    const Install_CIM* manager = GetInstallManager();
    const InstallRoom room = MeasureInstallRoom(folder, manager->Instance());
    switch (room.verdict()) {
        case RoomVerdict::Enough:
        case RoomVerdict::NoDrive:  // making the folder refuses it (message 135)
            return true;
        case RoomVerdict::Unknown: {
            // Nothing is known to be short, nothing known to fit: the user decides (No is
            // the default).
            const CUIString text = FormatText(manager->Instance(), kStringRoomUnknown,
                                              L"The free space of the drive of {folder} cannot be measured; the "
                                              L"install needs {need} MB. Install anyway?",
                                              {{L"{folder}", folder}, {L"{need}", MegabytesNeededText(room.needed)}});
            const CUIString caption = manager->LoadResString(kStringSetupCaption, L"VexmoraFM");
            return ::MessageBoxW(hWnd_, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
                   IDYES;
        }
        case RoomVerdict::TooLittle: break;
    }
    const CUIString text = FormatText(manager->Instance(), kStringNoRoom,
                                      L"Not enough space on the disk: the install needs {need} MB, {free} MB are free.",
                                      {{L"{need}", MegabytesNeededText(room.needed)},
                                       {L"{free}", MegabytesFreeText(room.available)}});
    const CUIString caption = manager->LoadResString(kStringNoRoomCaption, L"VexmoraFM");
    ::MessageBoxW(hWnd_, text.c_str(), caption.c_str(), MB_ICONERROR);
    return false;
}

bool CFrameWindowWnd::TakeOverFolder(const CUIString& folder) {
    Install_CIM* manager = GetInstallManager();
    const FolderTakeover takeover = manager->TakeOverInstallFolder(folder);
    if (takeover.outcome == FolderTakeover::Outcome::TakenOver) return true;
    const CUIString text = takeover.outcome == FolderTakeover::Outcome::Link
                               ? LinkRefusedText(manager->Instance(), takeover.where)
                               : FormatText(manager->Instance(), kStringNotTakenOver,
                                            L"The install folder {folder} cannot be made the administrators' own: "
                                            L"nothing is installed there. Choose another folder.",
                                            L"{folder}", folder);
    const CUIString caption = manager->LoadResString(kStringFolderCaption, L"");
    ::MessageBoxW(hWnd_, text.c_str(), caption.c_str(), MB_ICONERROR);
    return false;
}

// Going back to an older version is asked first (No is the default); the same version is a
// repair, and the progress page says so.
bool CFrameWindowWnd::ConfirmEarlierVersion() {
    const Install_CIM* manager = GetInstallManager();
    const EarlierVersion earlier = ReadEarlierVersion();
    if (earlier.order == VersionOrder::Newer) {
        const CUIString text = FormatText(manager->Instance(), kStringOlderThanInstalled,
                                          L"A newer version ({installed}) is installed; this setup installs {setup}. "
                                          L"Go on?",
                                          {{L"{installed}", earlier.installed}, {L"{setup}", earlier.setup}});
        const CUIString caption = manager->LoadResString(kStringSetupCaption, L"VexmoraFM");
        if (::MessageBoxW(hWnd_, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return false;
    }
    SetControlText(pm_, L"install_action",
                   earlier.order == VersionOrder::Same ? manager->LoadResString(kStringRepairing, L"Repairing")
                                                       : installAction_);
    return true;
}

void CFrameWindowWnd::ShowRoom() {
    CControlUI* label = pm_.FindControl(L"room");
    if (label == nullptr) return;
    const Install_CIM* manager = GetInstallManager();
    const InstallRoom room = MeasureInstallRoom(GetControlText(pm_, L"path"), manager->Instance());
    const CUIString need = MegabytesNeededText(room.needed);
    label->SetText(room.measured ? FormatText(manager->Instance(), kStringRoom, L"Needed: {need} MB  Free: {free} MB",
                                              {{L"{need}", need}, {L"{free}", MegabytesFreeText(room.available)}})
                                 : FormatText(manager->Instance(), kStringRoomNeeded, L"Needed: {need} MB",
                                              {{L"{need}", need}}));
    label->SetAttribute(L"textcolor", room.verdict() == RoomVerdict::TooLittle ? kNoRoomColour : kRoomColour);
}

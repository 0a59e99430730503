// What happens to an earlier installation whose uninstaller the setup will not start
// elevated, because others than administrators could have replaced it (or its folder).
#include "app/InstallManager.h"

#include "app/SetupUi.h"
#include "engine/ResStrings.h"

namespace {
constexpr UINT kStringSetupCaption = 128;
constexpr UINT kStringEarlierKept = 151;
}  // namespace

// For now it stays as it is, and the user is told where; the install goes on.
void Install_CIM::KeepEarlierInstallation(const std::wstring& folder) {
    if (!ui_) return;
    const CUIString text = FormatText(state_.instance, kStringEarlierKept,
                                      L"The earlier installation in {folder} can be changed by other users: its "
                                      L"uninstaller is not run, and it stays as it is.",
                                      L"{folder}", folder);
    ui_->ShowWarning(text, LoadResString(kStringSetupCaption, L"VexmoraFM"));
}

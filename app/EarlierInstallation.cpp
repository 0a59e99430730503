// What happens to an earlier installation whose uninstaller the setup will not start
// elevated, because others than administrators could have replaced it (or its folder),
// and whose journal cannot be read.
#include "app/InstallManager.h"

#include "app/SetupUi.h"
#include "engine/ResStrings.h"

namespace {
constexpr UINT kStringSetupCaption = 128;
constexpr UINT kStringEarlierKept = 151;
}  // namespace

// With a readable journal such an installation is replaced and removed by the run like
// any other, by the journal library and its trust model (engine/RunCommit.h): the
// untrusted program is never run. Without one nothing there is known to be the
// installation's: it stays as it is, and the user is told where.
void Install_CIM::WarnEarlierKept(const std::wstring& folder) {
    if (!ui_) return;
    const CUIString text = FormatText(state_.instance, kStringEarlierKept,
                                      L"The earlier installation in {folder} can be changed by other users: its "
                                      L"uninstaller is not run, and it stays as it is.",
                                      L"{folder}", folder);
    ui_->ShowWarning(text, LoadResString(kStringSetupCaption, L"VexmoraFM"));
}

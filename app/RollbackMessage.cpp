// What the user is told after a run that did not complete has been taken back.
#include "app/InstallManager.h"

#include "engine/ResStrings.h"

namespace {
constexpr UINT kStringRolledBack = 160;
constexpr UINT kStringRollbackLeft = 161;
constexpr UINT kStringEarlierGone = 162;
constexpr UINT kStringEarlierRestored = 168;
// A message box is no list: the first few, then a sign that there are more.
constexpr std::size_t kShownLeftovers = 8;
}  // namespace

CUIString Install_CIM::RollbackMessage(const RollbackOutcome& outcome) const {
    CUIString text = state_.GetStatusText();
    auto paragraph = [&](const CUIString& more) {
        if (!text.empty()) text += L"\r\n\r\n";
        text += more;
    };
    if (outcome.rolledBack && outcome.complete) {
        paragraph(LoadResString(kStringRolledBack, L"Everything this install had changed has been taken back."));
    } else if (outcome.rolledBack) {
        CUIString list;
        for (std::size_t i = 0; i < outcome.left.size() && i < kShownLeftovers; ++i) {
            list += L"\r\n";
            list += outcome.left[i];
        }
        if (outcome.left.size() > kShownLeftovers) list += L"\r\n……";
        paragraph(FormatText(state_.instance, kStringRollbackLeft,
                             L"Not everything this install had changed could be taken back; left:{path}",
                             L"{path}", list));
    }
    if (state_.earlierRemoved)
        paragraph(LoadResString(kStringEarlierGone,
                                L"The earlier version was uninstalled before this install began and is not back."));
    else if (outcome.rolledBack && outcome.complete && !state_.earlierFolder.empty())
        paragraph(LoadResString(kStringEarlierRestored, L"The earlier version is as it was."));
    return text;
}

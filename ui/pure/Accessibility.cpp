#include "ui/pure/Accessibility.h"

#include "ui/pure/Button.h"
#include "ui/pure/Control.h"
#include "ui/pure/Edit.h"
#include "ui/pure/ManagerCore.h"
#include "ui/pure/Option.h"
#include "ui/pure/RichEdit.h"

UIRole ParseRole(std::wstring_view text) {
    struct Entry { std::wstring_view name; UIRole role; };
    static constexpr Entry kRoles[] = {
        {L"none", UIRole::None},           {L"text", UIRole::StaticText},  {L"button", UIRole::PushButton},
        {L"checkbox", UIRole::CheckButton}, {L"radio", UIRole::RadioButton}, {L"link", UIRole::Link},
        {L"edit", UIRole::EditableText},   {L"progress", UIRole::ProgressBar}, {L"graphic", UIRole::Graphic},
    };
    for (const Entry& entry : kRoles)
        if (entry.name == text) return entry.role;
    return UIRole::Auto;
}

bool IsActingRole(UIRole role) {
    switch (role) {
    case UIRole::PushButton:
    case UIRole::CheckButton:
    case UIRole::RadioButton:
    case UIRole::Link:
    case UIRole::EditableText:
        return true;
    default:
        return false;
    }
}

std::vector<CControlUI*> AccessibleControls(CControlUI* root) {
    std::vector<CControlUI*> controls;
    if (root == nullptr) return controls;
    // Children are visited before their parent, leaves in document order; containers have
    // no role, so the order is the layout's.
    root->FindControl([&controls](CControlUI* c) {
        const UIRole role = c->GetRole();
        if (role != UIRole::None && role != UIRole::Auto) controls.push_back(c);
        return false;
    }, UIFIND_ALL);
    return controls;
}

bool IsTabStop(CControlUI& control) {
    return control.IsVisible() && control.IsEnabled() && control.IsKeyboardEnabled() &&
           IsActingRole(control.GetRole());
}

namespace {

UIAccAction ActionOf(CControlUI& control, UIRole role, bool checked) {
    if (!control.IsEnabled()) return UIAccAction::None;
    switch (role) {
    case UIRole::PushButton: return UIAccAction::Press;
    case UIRole::Link: return UIAccAction::Jump;
    case UIRole::CheckButton: return checked ? UIAccAction::Uncheck : UIAccAction::Check;
    case UIRole::RadioButton: return checked ? UIAccAction::None : UIAccAction::Check;
    default: return UIAccAction::None;
    }
}

bool IsReadOnly(CControlUI& control, UIRole role) {
    if (role == UIRole::StaticText || role == UIRole::ProgressBar) return true;
    if (auto* edit = ui_cast<CEditUI>(&control, L"Edit")) return edit->IsReadOnly();
    if (auto* rich = ui_cast<CRichEditUI>(&control, L"RichEdit")) return rich->IsReadOnly();
    return false;
}

unsigned StateOf(CControlUI& control, UIRole role, const UIAccessibleInfo& info, bool checked) {
    unsigned state = 0;
    const UIManagerCore* manager = control.GetManager();
    if (manager && manager->GetFocus() == &control) state |= UI_ACC_FOCUSED;
    if (IsTabStop(control)) state |= UI_ACC_FOCUSABLE;
    if (checked) state |= UI_ACC_CHECKED;
    if (!control.IsEnabled()) state |= UI_ACC_UNAVAILABLE;
    // Decoration, and text with nothing to say, are not read.
    const bool silent = role == UIRole::Graphic || (role == UIRole::StaticText && info.name.empty());
    if (!control.IsVisible() || control.GetPos().empty() || silent) state |= UI_ACC_INVISIBLE;
    if (IsReadOnly(control, role)) state |= UI_ACC_READONLY;
    if (control.IsDefaultButton() && control.IsVisible() && control.IsEnabled()) state |= UI_ACC_DEFAULT;
    if (role == UIRole::Link) state |= UI_ACC_LINKED;
    if (auto* button = ui_cast<CButtonUI>(&control, L"Button")) {
        if (button->IsHot()) state |= UI_ACC_HOTTRACKED;
        if (button->IsPushed()) state |= UI_ACC_PRESSED;
    }
    return state;
}

}  // namespace

UIAccessibleInfo DescribeAccessible(CControlUI& control) {
    UIAccessibleInfo info;
    info.role = control.GetRole();
    info.name = control.GetAccessibleName();
    info.value = control.GetAccessibleValue();
    const auto* option = ui_cast<COptionUI>(&control, L"Option");
    const bool checked = option != nullptr && option->IsSelected();
    info.state = StateOf(control, info.role, info, checked);
    info.rect = control.GetPos();
    info.action = ActionOf(control, info.role, checked);
    return info;
}

#include "ui/pure/Option.h"

#include <vector>
#include "ui/pure/ManagerCore.h"
#include "ui/pure/ValueParse.h"

COptionUI::~COptionUI() = default;

std::wstring_view COptionUI::GetClass() const { return L"OptionUI"; }

void* COptionUI::GetInterface(std::wstring_view name) {
    if (name == L"Option") return static_cast<COptionUI*>(this);
    return CButtonUI::GetInterface(name);
}

void COptionUI::Selected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    if (selected_ && !group_.empty() && manager_ && manager_->GetRoot()) {
        // Deselect the rest of the group before anyone hears of the change.
        std::vector<COptionUI*> others;
        manager_->GetRoot()->FindControl([&](CControlUI* c) {
            auto* option = static_cast<COptionUI*>(c->GetInterface(L"Option"));
            if (option && option != this && option->IsSelected() && option->GetGroup() == group_) others.push_back(option);
            return false;
        }, UIFIND_ALL);
        for (COptionUI* other : others) other->Selected(false);
    }
    Invalidate();
    RaiseAccessible(UIAccEvent::StateChange);
    if (manager_) manager_->SendNotify(this, L"selectchanged");
}

void COptionUI::SetGroup(std::wstring_view group) { group_ = CUIString(group); }

void COptionUI::SetManager(UIManagerCore* manager, CControlUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
}

void COptionUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"group") SetGroup(value);
    else if (name == L"selected") Selected(ParseBool(value));
    else if (name == L"selectedimage") SetSelectedImage(value);
    else if (name == L"selectedhotimage") SetSelectedHotImage(value);
    else if (name == L"selectedbkcolor") SetSelectedBkColor(ParseColor(value));
    else if (name == L"selectedtextcolor") { selectedTextColor_ = ParseColor(value); Invalidate(); }
    else CButtonUI::SetAttribute(name, value);
}

// "click" first, with the old state still in place; then the state changes.
bool COptionUI::Activate() {
    const std::weak_ptr<void> alive = GetLifeToken();
    if (!CButtonUI::Activate()) return false;
    if (alive.expired()) return true;  // the click handler destroyed the control
    if (!group_.empty()) Selected(true);
    else Selected(!selected_);
    return true;
}

UIColor COptionUI::CurrentTextColor() const {
    if (selected_ && IsEnabled() && selectedTextColor_ != 0) return selectedTextColor_;
    return CButtonUI::CurrentTextColor();
}

void COptionUI::PaintStatusImage(IRenderTarget& target) {
    unsigned state = buttonState_ & ~UISTATE_PUSHED;  // an option never shows a pushed image
    if (!IsEnabled()) state |= UISTATE_DISABLED;
    if (focused_) state |= UISTATE_FOCUSED;
    bool drawn = false;
    if (selected_) {
        if ((state & UISTATE_HOT) && !selectedHotImage_.empty()) drawn = DrawImage(target, selectedHotImage_);
        if (!drawn && !selectedImage_.empty()) drawn = DrawImage(target, selectedImage_);
        if (!drawn && selectedImage_.empty() && selectedBkColor_ != 0) {
            target.FillRect(rcPaint_, selectedBkColor_);
            drawn = true;
        }
    }
    // Not selected (or nothing to show for it): the button's image.
    if (!drawn && !PaintButtonImage(target, state)) return;
    DrawImage(target, foreImage_);
}

void* CCheckBoxUI::GetInterface(std::wstring_view name) {
    if (name == L"CheckBox") return static_cast<CCheckBoxUI*>(this);
    return COptionUI::GetInterface(name);
}

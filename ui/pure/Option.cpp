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
    if (m_selected == selected) return;
    m_selected = selected;
    if (m_selected && !m_group.empty() && m_manager && m_manager->GetRoot()) {
        // Deselect the rest of the group before anyone hears of the change.
        std::vector<COptionUI*> others;
        m_manager->GetRoot()->FindControl([&](CControlUI* c) {
            auto* option = static_cast<COptionUI*>(c->GetInterface(L"Option"));
            if (option && option != this && option->IsSelected() && option->GetGroup() == m_group) others.push_back(option);
            return false;
        }, UIFIND_ALL);
        for (COptionUI* other : others) other->Selected(false);
    }
    Invalidate();
    if (m_manager) m_manager->SendNotify(this, L"selectchanged");
}

void COptionUI::SetGroup(std::wstring_view group) { m_group = CUIString(group); }

void COptionUI::SetManager(UIManagerCore* manager, CControlUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
}

void COptionUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"group") SetGroup(value);
    else if (name == L"selected") Selected(ParseBool(value));
    else if (name == L"selectedimage") SetSelectedImage(value);
    else if (name == L"selectedhotimage") SetSelectedHotImage(value);
    else if (name == L"selectedbkcolor") SetSelectedBkColor(ParseColor(value));
    else if (name == L"selectedtextcolor") { m_selectedTextColor = ParseColor(value); Invalidate(); }
    else CButtonUI::SetAttribute(name, value);
}

// "click" first, with the old state still in place; then the state changes.
bool COptionUI::Activate() {
    const std::weak_ptr<void> alive = GetLifeToken();
    if (!CButtonUI::Activate()) return false;
    if (alive.expired()) return true;  // the click handler destroyed the control
    if (!m_group.empty()) Selected(true);
    else Selected(!m_selected);
    return true;
}

UIColor COptionUI::CurrentTextColor() const {
    if (m_selected && IsEnabled() && m_selectedTextColor != 0) return m_selectedTextColor;
    return CButtonUI::CurrentTextColor();
}

void COptionUI::PaintStatusImage(IRenderTarget& target) {
    unsigned state = m_buttonState & ~UISTATE_PUSHED;  // an option never shows a pushed image
    if (!IsEnabled()) state |= UISTATE_DISABLED;
    if (m_focused) state |= UISTATE_FOCUSED;
    bool drawn = false;
    if (m_selected) {
        if ((state & UISTATE_HOT) && !m_selectedHotImage.empty()) drawn = DrawImage(target, m_selectedHotImage);
        if (!drawn && !m_selectedImage.empty()) drawn = DrawImage(target, m_selectedImage);
        if (!drawn && m_selectedImage.empty() && m_selectedBkColor != 0) {
            target.FillRect(m_rcPaint, m_selectedBkColor);
            drawn = true;
        }
    }
    // Not selected (or nothing to show for it): the button's image.
    if (!drawn && !PaintButtonImage(target, state)) return;
    DrawImage(target, m_foreImage);
}

void* CCheckBoxUI::GetInterface(std::wstring_view name) {
    if (name == L"CheckBox") return static_cast<CCheckBoxUI*>(this);
    return COptionUI::GetInterface(name);
}

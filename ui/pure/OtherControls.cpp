#include "ui/pure/OtherControls.h"

#include "ui/pure/ValueParse.h"

void* CTabLayoutUI::GetInterface(std::wstring_view name) {
    if (name == L"TabLayout") return static_cast<CTabLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    curSel_ = index;
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
    return true;
}

void CTabLayoutUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"selectedid") curSel_ = ParseInt(value);
    else CContainerUI::SetAttribute(name, value);
}

void CTabLayoutUI::SetPos(const UIRect& rect) {
    // Only the selected page is shown; it gets the whole inner rectangle.
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (item->GetOwnVisible() != (i == curSel_)) item->SetVisible(i == curSel_);
    }
    CContainerUI::SetPos(rect);
}

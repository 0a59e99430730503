#pragma once
// The remaining element classes of the markup. The setup layouts do not use them; they
// behave as the plain control or container they derive from, under their own class name.
#include "ui/pure/BoxLayout.h"
#include "ui/pure/Label.h"
#include "ui/pure/Progress.h"

#define UI_PLAIN_CONTROL_CLASS(Name, Base, ClassText, InterfaceText)                          \
    class Name : public Base {                                                                 \
    public:                                                                                    \
        std::wstring_view GetClass() const override { return ClassText; }                      \
        void* GetInterface(std::wstring_view name) override {                                  \
            return name == InterfaceText ? static_cast<Name*>(this) : Base::GetInterface(name); \
        }                                                                                      \
    }

// A tab layout shows only its selected child ("selectedid").
class CTabLayoutUI : public CContainerUI {
public:
    std::wstring_view GetClass() const override { return L"TabLayoutUI"; }
    void* GetInterface(std::wstring_view name) override;
    int GetCurSel() const noexcept { return curSel_; }
    bool SelectItem(int index);
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void SetPos(const UIRect& rect) override;

private:
    int curSel_ = 0;
};

UI_PLAIN_CONTROL_CLASS(CTileLayoutUI, CContainerUI, L"TileLayoutUI", L"TileLayout");
UI_PLAIN_CONTROL_CLASS(CChildLayoutUI, CContainerUI, L"ChildLayoutUI", L"ChildLayout");
UI_PLAIN_CONTROL_CLASS(CListUI, CVerticalLayoutUI, L"ListUI", L"List");
UI_PLAIN_CONTROL_CLASS(CListHeaderUI, CHorizontalLayoutUI, L"ListHeaderUI", L"ListHeader");
UI_PLAIN_CONTROL_CLASS(CListHeaderItemUI, CLabelUI, L"ListHeaderItemUI", L"ListHeaderItem");
UI_PLAIN_CONTROL_CLASS(CListTextElementUI, CLabelUI, L"ListTextElementUI", L"ListTextElement");
UI_PLAIN_CONTROL_CLASS(CListLabelElementUI, CLabelUI, L"ListLabelElementUI", L"ListLabelElement");
UI_PLAIN_CONTROL_CLASS(CListContainerElementUI, CContainerUI, L"ListContainerElementUI", L"ListContainerElement");
UI_PLAIN_CONTROL_CLASS(CSliderUI, CProgressUI, L"SliderUI", L"Slider");
UI_PLAIN_CONTROL_CLASS(CComboUI, CContainerUI, L"ComboUI", L"Combo");
UI_PLAIN_CONTROL_CLASS(CComboBoxUI, CComboUI, L"ComboBoxUI", L"ComboBox");
UI_PLAIN_CONTROL_CLASS(CDateTimeUI, CLabelUI, L"DateTimeUI", L"DateTime");
UI_PLAIN_CONTROL_CLASS(CActiveXUI, CControlUI, L"ActiveXUI", L"ActiveX");
UI_PLAIN_CONTROL_CLASS(CWebBrowserUI, CActiveXUI, L"WebBrowserUI", L"WebBrowser");
UI_PLAIN_CONTROL_CLASS(CTreeViewUI, CListUI, L"TreeViewUI", L"TreeView");
UI_PLAIN_CONTROL_CLASS(CTreeNodeUI, CListContainerElementUI, L"TreeNodeUI", L"TreeNode");

#undef UI_PLAIN_CONTROL_CLASS

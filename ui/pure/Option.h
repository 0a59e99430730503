#pragma once
// Options and check boxes: a button with a selected state. Activation raises "click"
// first, then inverts the state (an option in a group selects itself and deselects the
// others of its group), and every change raises "selectchanged".
#include "ui/pure/Button.h"

class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    bool IsSelected() const noexcept { return selected_; }
    // Changing the state raises "selectchanged" and repaints; the same state raises nothing.
    virtual void Selected(bool selected);
    const CUIString& GetGroup() const noexcept { return group_; }
    void SetGroup(std::wstring_view group);

    const CUIString& GetSelectedImage() const noexcept { return selectedImage_; }
    void SetSelectedImage(std::wstring_view d) { selectedImage_ = CUIString(d); Invalidate(); }
    const CUIString& GetSelectedHotImage() const noexcept { return selectedHotImage_; }
    void SetSelectedHotImage(std::wstring_view d) { selectedHotImage_ = CUIString(d); Invalidate(); }
    UIColor GetSelectedBkColor() const noexcept { return selectedBkColor_; }
    void SetSelectedBkColor(UIColor c) { selectedBkColor_ = c; Invalidate(); }

    void SetManager(UIManagerCore* manager, CControlUI* parent, bool init = true) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    bool Activate() override;
    void PaintStatusImage(IRenderTarget& target) override;

protected:
    UIRole DefaultRole() const override { return group_.empty() ? UIRole::CheckButton : UIRole::RadioButton; }
    UIColor CurrentTextColor() const override;

    bool selected_ = false;
    CUIString group_;
    CUIString selectedImage_, selectedHotImage_;
    UIColor selectedBkColor_ = 0, selectedTextColor_ = 0;
};

// A check box is an option without a group.
class CCheckBoxUI : public COptionUI {
public:
    void* GetInterface(std::wstring_view name) override;
    bool GetCheck() const noexcept { return IsSelected(); }
    void SetCheck(bool check) { Selected(check); }
};

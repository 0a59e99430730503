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

    bool IsSelected() const noexcept { return m_selected; }
    // Changing the state raises "selectchanged" and repaints; the same state raises nothing.
    virtual void Selected(bool selected);
    const CUIString& GetGroup() const noexcept { return m_group; }
    void SetGroup(std::wstring_view group);

    const CUIString& GetSelectedImage() const noexcept { return m_selectedImage; }
    void SetSelectedImage(std::wstring_view d) { m_selectedImage = CUIString(d); Invalidate(); }
    const CUIString& GetSelectedHotImage() const noexcept { return m_selectedHotImage; }
    void SetSelectedHotImage(std::wstring_view d) { m_selectedHotImage = CUIString(d); Invalidate(); }
    UIColor GetSelectedBkColor() const noexcept { return m_selectedBkColor; }
    void SetSelectedBkColor(UIColor c) { m_selectedBkColor = c; Invalidate(); }

    void SetManager(UIManagerCore* manager, CControlUI* parent, bool init = true) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    bool Activate() override;
    void PaintStatusImage(IRenderTarget& target) override;

protected:
    UIColor CurrentTextColor() const override;

    bool m_selected = false;
    CUIString m_group;
    CUIString m_selectedImage, m_selectedHotImage;
    UIColor m_selectedBkColor = 0, m_selectedTextColor = 0;
};

// A check box is an option without a group.
class CCheckBoxUI : public COptionUI {
public:
    void* GetInterface(std::wstring_view name) override;
    bool GetCheck() const noexcept { return IsSelected(); }
    void SetCheck(bool check) { Selected(check); }
};

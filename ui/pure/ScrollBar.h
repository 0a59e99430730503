#pragma once
// A scroll bar drawn from images: two arrow buttons, a thumb and the rail between them,
// each with normal/hot/pushed/disabled images (usually cut from one sprite by "source").
#include <cstdint>
#include "ui/pure/Control.h"

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    CContainerUI* GetOwner() const noexcept { return m_owner; }
    void SetOwner(CContainerUI* owner) noexcept { m_owner = owner; }
    bool IsHorizontal() const noexcept { return m_horizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const noexcept { return m_range; }
    void SetScrollRange(int range);  // negative becomes 0
    int GetScrollPos() const noexcept { return m_pos; }
    void SetScrollPos(int pos);      // clamped to [0, range]; tells the owner
    void ScrollBy(int64_t delta);    // moves by `delta`, clamped the same way
    int GetLineSize() const noexcept { return m_lineSize; }
    void SetLineSize(int size) noexcept { m_lineSize = UIClampCoord(size); }

    // Part rectangles (client coordinates) for the current position and range.
    UIRect GetButton1Rect() const noexcept { return m_button1; }
    UIRect GetButton2Rect() const noexcept { return m_button2; }
    UIRect GetThumbRect() const noexcept { return m_thumb; }

    // Image description of a part ("button1", "button2", "thumb", "rail", "bk") in a state
    // ("normal", "hot", "pushed", "disabled"); empty when not set.
    CUIString GetPartImage(std::wstring_view part, std::wstring_view state) const;

    void SetPos(const UIRect& rect) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void DoEvent(const UIEvent& event) override;
    void DoPaint(IRenderTarget& target, const UIRect& paintRect) override;

private:
    enum Part { kButton1, kButton2, kThumb, kRail, kBk, kPartCount };
    enum PartState { kNormal, kHot, kPushed, kDisabled, kStateCount };
    void LayoutParts();
    void PaintPart(IRenderTarget& target, Part part, const UIRect& rect, unsigned state);
    unsigned PartStateOf(Part part) const;

    CContainerUI* m_owner = nullptr;
    bool m_horizontal = false, m_showButton1 = true, m_showButton2 = true;
    int m_range = 100, m_pos = 0, m_lineSize = 8;
    UIRect m_button1, m_button2, m_thumb;
    unsigned m_button1State = 0, m_button2State = 0, m_thumbState = 0;
    UIPoint m_lastMouse;
    int m_dragStartPos = 0;
    CUIString m_images[kPartCount][kStateCount];
};

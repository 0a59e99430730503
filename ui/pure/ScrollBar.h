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

    CContainerUI* GetOwner() const noexcept { return owner_; }
    void SetOwner(CContainerUI* owner) noexcept { owner_ = owner; }
    bool IsHorizontal() const noexcept { return horizontal_; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const noexcept { return range_; }
    void SetScrollRange(int range);  // negative becomes 0
    int GetScrollPos() const noexcept { return pos_; }
    void SetScrollPos(int pos);      // clamped to [0, range]; tells the owner
    void ScrollBy(int64_t delta);    // moves by `delta`, clamped the same way
    int GetLineSize() const noexcept { return lineSize_; }
    void SetLineSize(int size) noexcept { lineSize_ = UIClampCoord(size); }

    // Part rectangles (client coordinates) for the current position and range.
    UIRect GetButton1Rect() const noexcept { return button1_; }
    UIRect GetButton2Rect() const noexcept { return button2_; }
    UIRect GetThumbRect() const noexcept { return thumb_; }

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

    CContainerUI* owner_ = nullptr;
    bool horizontal_ = false, showButton1_ = true, showButton2_ = true;
    int range_ = 100, pos_ = 0, lineSize_ = 8;
    UIRect button1_, button2_, thumb_;
    unsigned button1State_ = 0, button2State_ = 0, thumbState_ = 0;
    UIPoint lastMouse_;
    int dragStartPos_ = 0;
    CUIString images_[kPartCount][kStateCount];
};

#pragma once
// A control with children: owns them, draws them after itself, searches them topmost
// first, and carries the inner margin ("inset"), the gap between children
// ("childpadding") and optional scroll bars. Plain containers give every child the
// inner rectangle; the box layouts flow them.
#include <memory>
#include <vector>
#include "ui/pure/Control.h"

class CScrollBarUI;

class CContainerUI : public CControlUI {
public:
    CContainerUI();
    ~CContainerUI() override;
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    // Children are owned by the container. Add/AddAt return the added control, or null
    // (and destroy it) when it cannot be added.
    CControlUI* Add(std::unique_ptr<CControlUI> control);
    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index);
    bool Remove(CControlUI* control);         // destroys it
    std::unique_ptr<CControlUI> Detach(CControlUI* control);
    void RemoveAll();
    int GetCount() const noexcept { return static_cast<int>(items_.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;

    const UIRect& GetInset() const noexcept { return inset_; }
    void SetInset(const UIRect& inset);
    int GetChildPadding() const noexcept { return childPadding_; }
    void SetChildPadding(int padding);
    bool IsMouseChildEnabled() const noexcept { return mouseChildEnabled_; }
    void SetMouseChildEnabled(bool enabled) noexcept { mouseChildEnabled_ = enabled; }

    // Scroll bars: created on demand; their looks come from the window's `Default` lists
    // "VScrollBar" and "HScrollBar" when the container belongs to a window.
    void EnableScrollBar(bool vertical, bool horizontal);
    CScrollBarUI* GetVerticalScrollBar() const noexcept { return vScroll_.get(); }
    CScrollBarUI* GetHorizontalScrollBar() const noexcept { return hScroll_.get(); }
    UISize GetScrollPos() const;
    UISize GetScrollRange() const;
    void SetScrollPos(UISize pos);

    void SetManager(UIManagerCore* manager, CControlUI* parent, bool init = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetPos(const UIRect& rect) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    CControlUI* FindControl(const UIControlMatch& match, unsigned flags) override;
    CControlUI* FindControlAt(UIPoint pt, unsigned flags) override;
    void DoPaint(IRenderTarget& target, const UIRect& paintRect) override;
    void DoEvent(const UIEvent& event) override;

protected:
    // Inner rectangle: the own rectangle less the inset (and less shown scroll bars), in
    // device pixels.
    UIRect InnerRect(const UIRect& rect) const;
    // Places a floating child by its "pos" relative to the container's rectangle.
    void SetFloatPos(CControlUI* child) const;
    // Shows or hides the scroll bars for the space the children need and positions them.
    virtual void ProcessScrollBar(const UIRect& rect, int cxRequired, int cyRequired);
    bool IsVScrollShown() const;
    bool IsHScrollShown() const;
    // The bars' thickness in device pixels (0 without the bar).
    int ScrollBarWidth() const;
    int ScrollBarHeight() const;

    std::vector<std::unique_ptr<CControlUI>> items_;
    UIRect inset_;
    int childPadding_ = 0;
    bool mouseChildEnabled_ = true;
    std::unique_ptr<CScrollBarUI> vScroll_, hScroll_;
};

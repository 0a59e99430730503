#pragma once
// Vertical and horizontal box layouts: children flow along one axis with their padding,
// the gap "childpadding" between them, and the free space shared by the children without
// a fixed size along that axis (the last of them takes the rounding remainder).
#include "ui/pure/Container.h"

// The axis the children flow along.
enum class UIAxis { Horizontal, Vertical };

// The one flow algorithm; the two layouts differ only in their axis.
class CBoxLayoutUI : public CContainerUI {
protected:
    explicit CBoxLayoutUI(UIAxis axis) : axis_(axis) {}
    void SetPos(const UIRect& rect) override;

private:
    const UIAxis axis_;
};

class CVerticalLayoutUI : public CBoxLayoutUI {
public:
    CVerticalLayoutUI() : CBoxLayoutUI(UIAxis::Vertical) {}
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;
};

class CHorizontalLayoutUI : public CBoxLayoutUI {
public:
    CHorizontalLayoutUI() : CBoxLayoutUI(UIAxis::Horizontal) {}
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;
};

#pragma once
// Vertical and horizontal box layouts: children flow along one axis with their padding,
// the gap "childpadding" between them, and the free space shared by the children without
// a fixed size along that axis (the last of them takes the rounding remainder).
#include "ui/pure/Container.h"

class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;
    void SetPos(const UIRect& rect) override;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;
    void SetPos(const UIRect& rect) override;
};

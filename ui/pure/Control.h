#pragma once
// The base of every control: identity, state flags, geometry attributes, background,
// border, attribute parsing, hit testing, painting and event handling. Controls draw
// through IRenderTarget and reach the window only through their UIManagerCore.
#include <functional>
#include <memory>
#include <string_view>
#include "ui/UIString.h"
#include "ui/pure/Accessibility.h"
#include "ui/pure/DpiScale.h"
#include "ui/pure/Geometry.h"
#include "ui/pure/Palette.h"
#include "ui/pure/Render.h"
#include "ui/pure/UIEvent.h"

class UIManagerCore;

// Flags of FindControl / FindControlAt.
enum : unsigned {
    UIFIND_ALL = 0x0,
    UIFIND_VISIBLE = 0x1,   // skip invisible controls (and their children)
    UIFIND_ENABLED = 0x2,   // skip disabled controls
    UIFIND_HITTEST = 0x4,   // skip controls with "mouse" false (children of a container with "mousechild" false too)
    UIFIND_TOP_FIRST = 0x8, // children searched last to first (the topmost drawn first)
};

using UIControlMatch = std::function<bool(CControlUI*)>;

inline constexpr int kUIMaxSize = 9999;

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Class name such as "ButtonUI"; GetInterface(L"Button") gives the CButtonUI or null.
    virtual std::wstring_view GetClass() const;
    virtual void* GetInterface(std::wstring_view name);

    // --- identity
    const CUIString& GetName() const noexcept { return name_; }
    void SetName(std::wstring_view name);
    virtual CUIString GetText() const { return text_; }
    virtual void SetText(std::wstring_view text);
    const CUIString& GetToolTip() const noexcept { return toolTip_; }
    void SetToolTip(std::wstring_view text) { toolTip_ = CUIString(text); }
    const CUIString& GetUserData() const noexcept { return userData_; }
    void SetUserData(std::wstring_view data) { userData_ = CUIString(data); }
    uintptr_t GetTag() const noexcept { return tag_; }
    void SetTag(uintptr_t tag) noexcept { tag_ = tag; }

    // --- accessibility and the keyboard (ui/pure/Accessibility.h)
    // The role the layout gives ("role"), else the class's own.
    UIRole GetRole() const { return role_ != UIRole::Auto ? role_ : DefaultRole(); }
    void SetRole(UIRole role) { role_ = role; }
    // The string-table entry that names the control ("nameid"; 0: none). The framework
    // keeps the number; the window that knows the string table sets the name from it.
    unsigned GetNameId() const noexcept { return nameId_; }
    // The name a screen reader says (see ui/pure/Accessibility.h for the rule).
    CUIString GetAccessibleName() const;
    void SetAccessibleName(std::wstring_view name);
    // What a screen reader reads as the control's value (editable text, progress).
    virtual CUIString GetAccessibleValue() const { return {}; }
    // Return activates the visible, enabled control with "isdefault" when no control
    // that Return presses has the focus; Escape the one with "iscancel".
    bool IsDefaultButton() const noexcept { return isDefault_; }
    bool IsCancelButton() const noexcept { return isCancel_; }

    // --- tree
    UIManagerCore* GetManager() const noexcept { return manager_; }
    CControlUI* GetParent() const noexcept { return parent_; }
    // Joins (or, with a null manager, leaves) a window. With `init` the control is also
    // initialised for that window (DoInit); the markup builder attaches without it.
    virtual void SetManager(UIManagerCore* manager, CControlUI* parent, bool init = true);
    // Called once when the control joins a window for real.
    virtual void DoInit() {}

    // --- state
    // Visible: the own "visible" flag and every ancestor visible.
    bool IsVisible() const noexcept { return visible_ && internVisible_; }
    bool GetOwnVisible() const noexcept { return visible_; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);  // from the parent
    bool IsEnabled() const noexcept { return enabled_; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const noexcept { return mouseEnabled_; }
    void SetMouseEnabled(bool enabled) noexcept { mouseEnabled_ = enabled; }
    bool IsKeyboardEnabled() const noexcept { return keyboardEnabled_; }
    void SetKeyboardEnabled(bool enabled) noexcept { keyboardEnabled_ = enabled; }
    bool IsFocused() const noexcept { return focused_; }
    void SetFocus();  // asks the manager to give this control the keyboard focus
    bool IsFloat() const noexcept { return float_; }
    void SetFloat(bool value);

    // --- looks
    UIColor GetBkColor() const noexcept { return bkColor_; }
    void SetBkColor(UIColor color);
    const CUIString& GetBkImage() const noexcept { return bkImage_; }
    void SetBkImage(std::wstring_view description);
    UIColor GetBorderColor() const noexcept { return borderColor_; }
    void SetBorderColor(UIColor color);
    UIColor GetFocusBorderColor() const noexcept { return focusBorderColor_; }
    void SetFocusBorderColor(UIColor color);
    int GetBorderSize() const noexcept { return borderSize_; }
    void SetBorderSize(int size);
    UISize GetBorderRound() const noexcept { return borderRound_; }
    void SetBorderRound(UISize round);

    // --- geometry
    // The rectangle is in device pixels; every other length here (sizes, limits, padding,
    // "pos") is in markup pixels, as written and set, and becomes device pixels through
    // GetScale() where the layouts use it.
    const UIRect& GetPos() const noexcept { return rcItem_; }
    // Gives the control its rectangle (client coordinates); containers lay out their children.
    virtual void SetPos(const UIRect& rect);
    const UIRect& GetPadding() const noexcept { return padding_; }
    void SetPadding(const UIRect& padding);
    const UIRect& GetFloatPos() const noexcept { return floatPos_; }  // "pos"
    void SetFloatPos(const UIRect& pos);
    int GetFixedWidth() const noexcept { return fixed_.cx; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const noexcept { return fixed_.cy; }
    void SetFixedHeight(int cy);
    int GetMinWidth() const noexcept { return min_.cx; }
    void SetMinWidth(int cx);
    int GetMinHeight() const noexcept { return min_.cy; }
    void SetMinHeight(int cy);
    int GetMaxWidth() const noexcept { return max_.cx; }
    void SetMaxWidth(int cx);
    int GetMaxHeight() const noexcept { return max_.cy; }
    void SetMaxHeight(int cy);
    // The size a layout reserves for this control, in device pixels: its fixed size at
    // the window's scale (0 = adjustable).
    virtual UISize EstimateSize(UISize available);
    // The scale of the window the control belongs to (96 DPI without one).
    UIScale GetScale() const noexcept;
    // The colours of that window (the skin's alone without one): ui/pure/Palette.h.
    const UIPalette& GetPalette() const noexcept;

    // --- markup
    // Applies one markup attribute; unknown names are ignored.
    virtual void SetAttribute(std::wstring_view name, std::wstring_view value);
    // Applies a list of name="value" pairs separated by blanks (a `Default` list).
    void ApplyAttributeList(std::wstring_view list);

    // --- search
    // Depth-first search; the control itself is tested after its children.
    virtual CControlUI* FindControl(const UIControlMatch& match, unsigned flags);
    // The control under `pt` (client coordinates), children before their parent.
    virtual CControlUI* FindControlAt(UIPoint pt, unsigned flags);

    // --- painting and events
    virtual void DoPaint(IRenderTarget& target, const UIRect& paintRect);
    virtual void PaintBkColor(IRenderTarget& target);
    virtual void PaintBkImage(IRenderTarget& target);
    virtual void PaintStatusImage(IRenderTarget& target);
    virtual void PaintText(IRenderTarget& target);
    virtual void PaintBorder(IRenderTarget& target);
    virtual void DoEvent(const UIEvent& event);
    // Click-like activation (buttons, options). Returns false when the control cannot act.
    virtual bool Activate();

    void Invalidate();
    void NeedUpdate();        // own layout must be recomputed
    void NeedParentUpdate();  // the parent's layout must be recomputed (size/visibility change)

    // True for controls that a native window draws (rich edit); the host keeps it in line.
    virtual bool UsesNativeWindow() const { return false; }

    // Expires when the control is destroyed: lets code that sends notifications (which
    // may run nested message loops) find out whether the control still exists.
    std::weak_ptr<void> GetLifeToken() const { return lifeToken_; }

protected:
    // The role of the class when the layout names none.
    virtual UIRole DefaultRole() const { return UIRole::None; }
    // Tells assistive technology (through the manager) that something about it changed.
    void RaiseAccessible(UIAccEvent event);
    // The text changed: a new name, or a new value for editable text.
    void RaiseTextChanged();
    // Draws an image description over the control, clipped to the current paint rectangle.
    bool DrawImage(IRenderTarget& target, std::wstring_view description);
    void NotifyNativeControl();  // tells the host when UsesNativeWindow()

    UIManagerCore* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    CUIString name_, text_, toolTip_, userData_;
    uintptr_t tag_ = 0;
    bool visible_ = true, internVisible_ = true, enabled_ = true;
    bool mouseEnabled_ = true, keyboardEnabled_ = true, focused_ = false, float_ = false;
    bool updateNeeded_ = true;
    UIRect rcItem_, rcPaint_, padding_, floatPos_;
    UISize fixed_, min_, max_{kUIMaxSize, kUIMaxSize};
    UIColor bkColor_ = 0, borderColor_ = 0, focusBorderColor_ = 0;
    int borderSize_ = 0;
    UISize borderRound_;
    CUIString bkImage_;
    UIRole role_ = UIRole::Auto;
    CUIString accName_;
    unsigned nameId_ = 0;
    bool isDefault_ = false, isCancel_ = false;

private:
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);
};

// Typed access through GetInterface: ui_cast<CButtonUI>(control, L"Button").
template <class T>
T* ui_cast(CControlUI* control, std::wstring_view interfaceName) {
    return control ? static_cast<T*>(control->GetInterface(interfaceName)) : nullptr;
}

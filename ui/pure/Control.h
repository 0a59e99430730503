#pragma once
// The base of every control: identity, state flags, geometry attributes, background,
// border, attribute parsing, hit testing, painting and event handling. Controls draw
// through IRenderTarget and reach the window only through their UIManagerCore.
#include <functional>
#include <memory>
#include <string_view>
#include "ui/UIString.h"
#include "ui/pure/DpiScale.h"
#include "ui/pure/Geometry.h"
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
    const CUIString& GetName() const noexcept { return m_name; }
    void SetName(std::wstring_view name);
    virtual CUIString GetText() const { return m_text; }
    virtual void SetText(std::wstring_view text);
    const CUIString& GetToolTip() const noexcept { return m_toolTip; }
    void SetToolTip(std::wstring_view text) { m_toolTip = CUIString(text); }
    const CUIString& GetUserData() const noexcept { return m_userData; }
    void SetUserData(std::wstring_view data) { m_userData = CUIString(data); }
    uintptr_t GetTag() const noexcept { return m_tag; }
    void SetTag(uintptr_t tag) noexcept { m_tag = tag; }

    // --- tree
    UIManagerCore* GetManager() const noexcept { return m_manager; }
    CControlUI* GetParent() const noexcept { return m_parent; }
    // Joins (or, with a null manager, leaves) a window. With `init` the control is also
    // initialised for that window (DoInit); the markup builder attaches without it.
    virtual void SetManager(UIManagerCore* manager, CControlUI* parent, bool init = true);
    // Called once when the control joins a window for real.
    virtual void DoInit() {}

    // --- state
    // Visible: the own "visible" flag and every ancestor visible.
    bool IsVisible() const noexcept { return m_visible && m_internVisible; }
    bool GetOwnVisible() const noexcept { return m_visible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);  // from the parent
    bool IsEnabled() const noexcept { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const noexcept { return m_mouseEnabled; }
    void SetMouseEnabled(bool enabled) noexcept { m_mouseEnabled = enabled; }
    bool IsKeyboardEnabled() const noexcept { return m_keyboardEnabled; }
    void SetKeyboardEnabled(bool enabled) noexcept { m_keyboardEnabled = enabled; }
    bool IsFocused() const noexcept { return m_focused; }
    void SetFocus();  // asks the manager to give this control the keyboard focus
    bool IsFloat() const noexcept { return m_float; }
    void SetFloat(bool value);

    // --- looks
    UIColor GetBkColor() const noexcept { return m_bkColor; }
    void SetBkColor(UIColor color);
    const CUIString& GetBkImage() const noexcept { return m_bkImage; }
    void SetBkImage(std::wstring_view description);
    UIColor GetBorderColor() const noexcept { return m_borderColor; }
    void SetBorderColor(UIColor color);
    UIColor GetFocusBorderColor() const noexcept { return m_focusBorderColor; }
    void SetFocusBorderColor(UIColor color);
    int GetBorderSize() const noexcept { return m_borderSize; }
    void SetBorderSize(int size);
    UISize GetBorderRound() const noexcept { return m_borderRound; }
    void SetBorderRound(UISize round);

    // --- geometry
    // The rectangle is in device pixels; every other length here (sizes, limits, padding,
    // "pos") is in markup pixels, as written and set, and becomes device pixels through
    // GetScale() where the layouts use it.
    const UIRect& GetPos() const noexcept { return m_rcItem; }
    // Gives the control its rectangle (client coordinates); containers lay out their children.
    virtual void SetPos(const UIRect& rect);
    const UIRect& GetPadding() const noexcept { return m_padding; }
    void SetPadding(const UIRect& padding);
    const UIRect& GetFloatPos() const noexcept { return m_floatPos; }  // "pos"
    void SetFloatPos(const UIRect& pos);
    int GetFixedWidth() const noexcept { return m_fixed.cx; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const noexcept { return m_fixed.cy; }
    void SetFixedHeight(int cy);
    int GetMinWidth() const noexcept { return m_min.cx; }
    void SetMinWidth(int cx);
    int GetMinHeight() const noexcept { return m_min.cy; }
    void SetMinHeight(int cy);
    int GetMaxWidth() const noexcept { return m_max.cx; }
    void SetMaxWidth(int cx);
    int GetMaxHeight() const noexcept { return m_max.cy; }
    void SetMaxHeight(int cy);
    // The size a layout reserves for this control, in device pixels: its fixed size at
    // the window's scale (0 = adjustable).
    virtual UISize EstimateSize(UISize available);
    // The scale of the window the control belongs to (96 DPI without one).
    UIScale GetScale() const noexcept;

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
    std::weak_ptr<void> GetLifeToken() const { return m_lifeToken; }

protected:
    // Draws an image description over the control, clipped to the current paint rectangle.
    bool DrawImage(IRenderTarget& target, std::wstring_view description);
    void NotifyNativeControl();  // tells the host when UsesNativeWindow()

    UIManagerCore* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    CUIString m_name, m_text, m_toolTip, m_userData;
    uintptr_t m_tag = 0;
    bool m_visible = true, m_internVisible = true, m_enabled = true;
    bool m_mouseEnabled = true, m_keyboardEnabled = true, m_focused = false, m_float = false;
    bool m_updateNeeded = true;
    UIRect m_rcItem, m_rcPaint, m_padding, m_floatPos;
    UISize m_fixed, m_min, m_max{kUIMaxSize, kUIMaxSize};
    UIColor m_bkColor = 0, m_borderColor = 0, m_focusBorderColor = 0;
    int m_borderSize = 0;
    UISize m_borderRound;
    CUIString m_bkImage;

private:
    std::shared_ptr<int> m_lifeToken = std::make_shared<int>(0);
};

// Typed access through GetInterface: ui_cast<CButtonUI>(control, L"Button").
template <class T>
T* ui_cast(CControlUI* control, std::wstring_view interfaceName) {
    return control ? static_cast<T*>(control->GetInterface(interfaceName)) : nullptr;
}

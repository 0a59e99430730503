#pragma once
// What a window's manager knows without a window: the control tree and its names, the
// notification receivers, fonts, images and `Default` attribute lists of the layout,
// the Window attributes, and the mouse/keyboard state (hot, captured and focused
// controls). The platform's per-window manager derives from it, implements IUIHost and
// turns its window messages into the On... calls below.
#include <map>
#include <memory>
#include <string_view>
#include <vector>
#include "ui/UIString.h"
#include "ui/pure/DpiScale.h"
#include "ui/pure/Geometry.h"
#include "ui/pure/Notify.h"
#include "ui/pure/Palette.h"
#include "ui/pure/Render.h"
#include "ui/pure/UIHost.h"

class CControlUI;

struct UIFontDesc {
    CUIString face;
    int size = 12;  // pixels at 96 DPI
    bool bold = false, underline = false, italic = false;
    friend bool operator==(const UIFontDesc&, const UIFontDesc&) = default;
};

struct UIImageInfo {
    CUIString name;
    CUIString resType;
    UIColor mask = 0;
};

// The attributes of the layout's Window element, in markup pixels (96 DPI).
struct UIWindowAttributes {
    UISize initSize;           // "size"; 0,0 when not given
    UIRect sizeBox;            // "sizebox"
    UIRect caption;            // "caption"
    UISize roundCorner;        // "roundcorner"
    UISize minInfo, maxInfo;   // "mininfo", "maxinfo"
    bool showDirty = false, bkTrans = false, bkSemiTrans = false;
    int alpha = 255;
    UIColor disabledFontColor = 0xFFA7A6AA, defaultFontColor = 0xFF000000;
    UIColor linkFontColor = 0xFF0000FF, linkHoverFontColor = 0xFFD3215F, selectedColor = 0xFFBAE4FF;
    UIColor focusColor = 0xFF005FB8;  // "focusbordercolor": the outer band of the focus ring
    bool alert = false;               // "role" "alert": the window is a message for the user
    unsigned nameId = 0;              // "nameid": the string-table entry that names the window
};

class UIManagerCore {
public:
    UIManagerCore();
    virtual ~UIManagerCore();
    UIManagerCore(const UIManagerCore&) = delete;
    UIManagerCore& operator=(const UIManagerCore&) = delete;

    // The platform services; without one (tests) a host that does nothing is used.
    void SetHost(IUIHost* host) noexcept;
    IUIHost& Host() const noexcept { return *host_; }

    // --- the tree
    // Makes `root` the window's tree (the previous one is destroyed), registers every
    // control name and initialises the controls. Returns the root.
    CControlUI* AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const noexcept { return root_.get(); }
    // One of the controls named `name` (the first registered), or null.
    CControlUI* FindControl(std::wstring_view name) const;
    // The topmost visible control under `pt` that takes part in hit testing, or null.
    CControlUI* FindControlAt(UIPoint pt) const;

    // --- notifications
    bool AddNotifier(INotifyUI* receiver);
    bool RemoveNotifier(INotifyUI* receiver);
    // Sends at once to every receiver (a receiver may run a nested message loop).
    void SendNotify(TNotifyUI& msg);
    void SendNotify(CControlUI* sender, std::wstring_view type, uintptr_t wParam = 0, intptr_t lParam = 0);

    // --- layout resources
    // Fonts are numbered from 0 in the order added; a default one becomes the window's
    // default font (the last one added with `isDefault` wins). Returns the index.
    int AddFont(const UIFontDesc& font, bool isDefault);
    int GetFontCount() const noexcept { return static_cast<int>(fonts_.size()); }
    const UIFontDesc* GetFont(int index) const;  // -1 or out of range: the default font (may be null)
    int GetDefaultFontIndex() const noexcept { return defaultFont_; }  // -1: none set
    void AddImage(const UIImageInfo& image);
    const UIImageInfo* GetImage(std::wstring_view name) const;
    void AddDefaultAttributeList(std::wstring_view controlName, std::wstring_view list);
    const CUIString* GetDefaultAttributeList(std::wstring_view controlName) const;

    // --- scale
    // The window's DPI as a scale (96 until the platform says otherwise). A change lays the
    // tree out again; the host is asked for the window size that "size" gives at the new scale
    // only by ApplyInitialSize.
    void SetScale(UIScale scale);
    const UIScale& GetScale() const noexcept { return scale_; }
    // Resizes the window to the layout's "size" at the current scale.
    void ApplyInitialSize();

    // --- Window attributes
    // Applies one attribute of the Window element ("size" resizes the window at once, to
    // the size at the current scale).
    // "size", "sizebox" and "caption" are held to the geometry bounds (kUIMaxCoord).
    void SetWindowAttribute(std::wstring_view name, std::wstring_view value);
    const UIWindowAttributes& GetWindowAttributes() const noexcept { return window_; }
    UIWindowAttributes& WindowAttributes() noexcept { return window_; }
    const UIRect& GetSizeBox() const noexcept { return window_.sizeBox; }
    const UIRect& GetCaptionRect() const noexcept { return window_.caption; }
    // The same in device pixels of the window.
    UIRect GetScaledSizeBox() const noexcept { return scale_.Px(window_.sizeBox); }
    UIRect GetScaledCaptionRect() const noexcept { return scale_.Px(window_.caption); }

    // --- layout and painting
    void NeedUpdate();  // the tree is laid out again before the next paint
    bool IsUpdateNeeded() const noexcept { return updateNeeded_; }
    void Invalidate(const UIRect& rect);
    // Lays the root out into `client` (client coordinates).
    void LayoutRoot(const UIRect& client);
    // Lays out when needed (into the host's client rectangle), draws the controls that
    // intersect `paintRect`, then reports the paint (OnPainted).
    void Paint(IRenderTarget& target, const UIRect& paintRect);
    // A paint finished: the first one after the first layout raises "windowinit" once.
    void OnPainted();

    // --- input from the window (client coordinates); true when a control took it
    bool OnMouseMove(UIPoint pt, unsigned keyState = 0);
    bool OnMouseLeave();
    bool OnButtonDown(UIPoint pt, unsigned keyState = 0);
    bool OnButtonUp(UIPoint pt, unsigned keyState = 0);
    bool OnDoubleClick(UIPoint pt, unsigned keyState = 0);
    bool OnRButtonDown(UIPoint pt, unsigned keyState = 0);
    bool OnMouseWheel(UIPoint pt, int delta, unsigned keyState = 0);
    // Tab and Shift+Tab move the focus; Return presses the focused button, check box or
    // link, else the default button; Escape the cancel button; other keys go to the
    // focused control. Any key shows the focus ring from then on. A held key's repeats
    // (UI_KEY_REPEAT) press nothing again.
    bool OnKeyDown(unsigned vkey, unsigned keyState = 0);
    bool OnKeyUp(unsigned vkey, unsigned keyState = 0);
    bool OnChar(unsigned ch, unsigned keyState = 0);
    // True when a control chose the cursor (through IUIHost::SetCursorShape).
    bool OnSetCursor(UIPoint pt);
    void OnSetFocus();
    void OnKillFocus();
    void OnCaptureLost();  // the window lost the mouse capture
    void OnTimer(CControlUI* control, unsigned id);

    // --- focus and mouse state
    CControlUI* GetFocus() const noexcept { return focus_; }
    void SetFocus(CControlUI* control);  // null: no control has the focus
    // The next (previous) tab stop after the focused control, round the window; from no
    // focus, the first (last). Tab stops: ui/pure/Accessibility.h.
    bool SetNextTabControl(bool forward = true);
    // The focused control was hidden or disabled: no control has the focus, and after the
    // next layout that shows a default button, that button takes it (also the window's
    // first focus, after its first layout), so that the keyboard never starts from nowhere.
    void FocusedControlGone(CControlUI* control);
    // The focus ring is drawn once the keyboard has been used in the window (as Windows
    // shows its focus rectangles), around the focused control, on top of everything.
    bool AreFocusCuesShown() const noexcept { return focusCues_; }
    void ShowFocusCues();
    // The ring's outer rectangle around `control` in the client area: two bands, the outer
    // one in the focus colour, the inner one light, just outside the control (inside it
    // where the control reaches the edge of the window).
    UIRect FocusRingRect(const CControlUI& control) const;
    // The width of the ring's two bands together, in device pixels.
    int FocusRingWidth() const noexcept;
    // The first visible, enabled control marked "isdefault" ("iscancel"), or null.
    CControlUI* GetDefaultButton() const;
    CControlUI* GetCancelButton() const;
    // Presses that button; false when there is none.
    bool ActivateDefault();
    bool ActivateCancel();
    CControlUI* GetHot() const noexcept { return hot_; }
    CControlUI* GetCaptured() const noexcept { return captured_; }

    // --- accessibility (ui/pure/Accessibility.h)
    // True when `control` belongs to the attached tree.
    bool Contains(const CControlUI* control) const;
    // Passes the event on to the host when the control is in the tree (or is null: the
    // window).
    void AccessibleEvent(UIAccEvent event, CControlUI* control);
    // The window's own name for assistive technology (set from "nameid" by the window).
    const CUIString& GetAccessibleName() const noexcept { return accName_; }
    void SetAccessibleName(std::wstring_view name) { accName_ = CUIString(name); }

    // --- colours (ui/pure/Palette.h); a change repaints the window
    void SetPalette(const UIPalette& palette);
    const UIPalette& GetPalette() const noexcept { return palette_; }

    // --- called by controls
    void RegisterControl(CControlUI* control);   // joins the name map
    void UnregisterControl(CControlUI* control); // leaves the name map
    void ControlDestroyed(CControlUI* control);  // forgets every reference to it
    void RenameControl(CControlUI* control, std::wstring_view oldName);
    // Chooses the cursor (through the host) while a SetCursor event is dispatched.
    void SetCursorShape(UICursor cursor);

private:
    void DispatchMouse(CControlUI* control, UIEventType type, UIPoint pt, unsigned keyState);
    void SetHot(CControlUI* control, UIPoint pt, unsigned keyState);
    bool DispatchKey(UIEventType type, unsigned key, unsigned keyState);
    CControlUI* FindButton(bool (CControlUI::*marked)() const noexcept) const;
    void InvalidateFocusRing(const CControlUI* control);
    void PaintFocusRing(IRenderTarget& target);

    IUIHost* host_;
    std::unique_ptr<CControlUI> root_;
    std::multimap<std::wstring, CControlUI*, std::less<>> names_;
    std::vector<INotifyUI*> receivers_;
    std::vector<UIFontDesc> fonts_;
    int defaultFont_ = -1;
    std::vector<UIImageInfo> images_;
    std::map<std::wstring, CUIString, std::less<>> defaults_;
    UIWindowAttributes window_;
    UIScale scale_;
    bool updateNeeded_ = true, laidOut_ = false, windowInitSent_ = false;
    CControlUI* hot_ = nullptr;
    CControlUI* captured_ = nullptr;
    CControlUI* focus_ = nullptr;
    UIPoint lastMouse_;
    bool cursorSet_ = false;
    bool focusCues_ = false, refocusPending_ = true;
    CUIString accName_;
    UIPalette palette_;
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);
};

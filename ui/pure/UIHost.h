#pragma once
// Platform services that the windowless core needs from the native window. The Win32 side
// implements it on the per-window manager; tests implement it to record calls. Every
// operation has a harmless default so a host implements only what it offers.
#include <string>
#include "ui/pure/Accessibility.h"
#include "ui/pure/Geometry.h"
#include "ui/pure/UIEvent.h"

class CControlUI;
class CEditUI;

class IUIHost {
public:
    virtual ~IUIHost() = default;
    // Schedules a repaint of `rect` (client coordinates).
    virtual void Invalidate(const UIRect& rect) { (void)rect; }
    // Routes all mouse input to the window while a button is held inside a control.
    virtual void CaptureMouse() {}
    virtual void ReleaseMouse() {}
    virtual void SetCursorShape(UICursor cursor) { (void)cursor; }
    // Shows `text` as the tool tip of the control occupying `rect`; empty text hides it.
    virtual void ShowToolTip(const std::wstring& text, const UIRect& rect) { (void)text; (void)rect; }
    // The user starts editing `edit`: lay a native single-line edit over it. When editing
    // ends the host calls edit->OnNativeEditEnd(text) (and OnNativeReturn on Return).
    virtual void BeginEdit(CEditUI* edit) { (void)edit; }
    // A control drawn by a native window (rich edit, an edit being edited) changed its
    // position, visibility, enabled state or text: bring the native window in line.
    virtual void UpdateNativeControl(CControlUI* control) { (void)control; }
    // The control goes away: destroy any native window that belongs to it.
    virtual void ReleaseNativeControl(CControlUI* control) { (void)control; }
    // "size" of the layout's Window element at the window's scale: its client size in
    // device pixels.
    virtual void ResizeClient(int cx, int cy) { (void)cx; (void)cy; }
    // The current client rectangle (left and top 0).
    virtual UIRect GetClientRect() const { return {}; }
    // Timers for controls; the host calls UIManagerCore::OnTimer when one fires.
    virtual bool StartTimer(CControlUI* control, unsigned id, unsigned elapseMs) { (void)control; (void)id; (void)elapseMs; return false; }
    virtual void StopTimer(CControlUI* control, unsigned id) { (void)control; (void)id; }
    // Tells assistive technology about a change (`control` is in the window's tree, or
    // null for the window itself).
    virtual void AccessibleEvent(UIAccEvent event, CControlUI* control) { (void)event; (void)control; }
    // The keyboard focus went to `control` (null: to no control): a control drawn by a
    // native window takes the system's focus too, and the window takes it back after.
    virtual void FocusChanged(CControlUI* control) { (void)control; }
};

#pragma once
// The per-window manager: the windowless core (tree, names, receivers, fonts, defaults,
// mouse and keyboard state) joined to one native window. The window passes every message
// it does not handle itself to MessageHandler; the manager paints the tree double-buffered,
// turns input into control behaviour, and keeps the native pieces (the edit being typed
// in, rich edits, tooltips, the rounded region and the drop shadow) in line with it. It
// answers WM_GETOBJECT for assistive technology (ui/win/Accessible.h), tells it what
// changes, and draws in the system's colours when high contrast is on.
#include <windows.h>
#include <map>
#include <memory>
#include <optional>
#include <vector>
#include "ui/GdiplusRender.h"
#include "base/Handles.h"
#include "ui/ShadowUI.h"
#include "ui/UIString.h"
#include "ui/pure/Control.h"
#include "ui/pure/ManagerCore.h"
#include "ui/pure/XmlParser.h"
#include "ui/win/Accessible.h"
#include "ui/win/BackBuffer.h"
#include "ui/win/ImageCache.h"
#include "ui/win/NativeEdit.h"
#include "ui/win/NativeRichEdit.h"

class CEditUI;
class CRichEditUI;

class CWindowManager : public UIManagerCore, public IUIHost, private IFontProvider {
public:
    CWindowManager();
    ~CWindowManager() override;

    // Binds the manager to its window (takes its DC), takes the window's DPI as its scale
    // and the system's colours, and registers it among the managers whose translators the
    // message loop consults; a window whose owner shows its focus ring shows its own too.
    // Call once, from WM_CREATE, before the layout is built.
    void Init(HWND hWnd);
    // The window's DPI from now on (96 = 100 %): the tree is laid out again, fonts, the
    // native edit and rich edits, the rounded corners and the shadow follow. The window's
    // size is not changed here (WM_DPICHANGED brings its own). Init takes the window's
    // DPI from the system: GetDpiForWindow where there is one, the screen's otherwise.
    void SetDpi(UINT dpi);
    // The DPI of `window` as the system gives it; null: the system's DPI.
    static UINT WindowDpi(HWND window);
    HWND GetPaintWindow() const { return hwnd_; }
    HDC GetPaintDC() const { return windowDc_.get(); }

    // Builds a control tree from a layout; nullptr when it cannot be read or parsed. The
    // layout is a resource id of `type` in the module, markup text beginning with "<", or a
    // file name under the resource folder (a numeric text with a type counts as an id).
    // An id outside 1 to 65535 is refused (see ParseResourceId).
    [[nodiscard]] std::unique_ptr<CControlUI> Build(UINT resourceId, const wchar_t* type = L"XML");
    [[nodiscard]] std::unique_ptr<CControlUI> Build(const CUIString& layout, const wchar_t* type = nullptr);
    // The parser's message for the last failed build ("Expected start tag", ...), or empty.
    const CUIString& GetLastBuildError() const { return lastBuildError_; }

    CShadowUI& GetShadow() { return shadow_; }

    // Every message the window does not handle itself. Returns true when handled; then
    // `result` is the message's result.
    [[nodiscard]] bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The message loop's translators: tooltip relay of every manager. True when consumed.
    [[nodiscard]] static bool TranslateMessageAll(const MSG* msg);

    // Lays the tree out for the window's client area when needed and draws the part
    // `paint` of it into `dc` (a 32-bit surface of at least the client size).
    void PaintTo(HDC dc, const RECT& paint);

    // The size of `text` on one line in the window's font `font` (-1: the default), as
    // the controls are drawn (for checks of the layouts against real fonts).
    UISize MeasureText(const std::wstring& text, int font);

    // The native window that currently stands for `control` (the edit being typed in, a
    // rich edit), or nullptr.
    HWND GetNativeWindow(CControlUI* control) const;
    HWND GetToolTipWindow() const { return tooltip_.get(); }

    // IUIHost
    void Invalidate(const UIRect& rect) override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    void SetCursorShape(UICursor cursor) override;
    void ShowToolTip(const std::wstring& text, const UIRect& rect) override;
    void BeginEdit(CEditUI* edit) override;
    void UpdateNativeControl(CControlUI* control) override;
    void ReleaseNativeControl(CControlUI* control) override;
    void ResizeClient(int cx, int cy) override;
    UIRect GetClientRect() const override;
    bool StartTimer(CControlUI* control, unsigned id, unsigned elapseMs) override;
    void StopTimer(CControlUI* control, unsigned id) override;
    void AccessibleEvent(UIAccEvent event, CControlUI* control) override;
    void FocusChanged(CControlUI* control) override;

    // The system's colours and its high-contrast setting, read again (at Init and when the
    // system says they changed).
    void RefreshPalette();

private:
    HFONT GetFont(int index) override;
    std::unique_ptr<CControlUI> BuildFromUtf8(std::string_view markup);
    std::unique_ptr<CControlUI> BuildFromDocument(const XmlDocument& document);
    bool TranslateOne(const MSG* msg);

    void OnPaint();
    void OnSize();
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    bool OnMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    bool OnNativeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSetCursorMessage(LPARAM lParam);
    bool OnTimerMessage(WPARAM id);
    LRESULT OnGetObject(WPARAM wParam);
    void OnAccessibleAction(WPARAM childId);
    bool OnKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Keys typed into a rich edit: Tab, Escape (and Return when it is read-only) belong to
    // the window's keyboard navigation; the rest to the rich edit.
    bool TranslateRichEditKey(const MSG* msg);
    CRichEditUI* RichEditOfWindow(HWND native) const;
    void EndEdit(NativeEditEnd why);
    RECT NativeEditRectOf(const CEditUI& edit) const;
    void SyncRichEdit(CRichEditUI* rich);
    RichEditLooks RichLooksOf(const CRichEditUI& rich) const;
    void OnRichEditScrolled(HWND native, int y);
    void ReleaseAllNative(bool alreadyDestroyed);

    HWND hwnd_ = nullptr;
    UniqueWindowDC windowDc_;
    CBackBuffer backBuffer_;
    bool trackingMouse_ = false;
    bool releasingCapture_ = false;

    CImageCache images_;
    std::map<int, UniqueFont> fonts_;
    UniqueFont systemFont_;
    CShadowUI shadow_;
    CUIString lastBuildError_;

    UniqueWindow tooltip_;
    CUIString tooltipText_;

    CNativeEdit edit_;
    CEditUI* editing_ = nullptr;
    std::wstring textBeforeEdit_;
    std::weak_ptr<void> editingLife_;
    UniqueBrush editBrush_;

    std::map<CControlUI*, std::unique_ptr<CNativeRichEdit>> richEdits_;
    bool syncingRich_ = false;

    struct TimerSlot { CControlUI* control; unsigned id; };
    std::map<UINT_PTR, TimerSlot> timers_;
    UINT_PTR nextTimer_ = 0x5E00;

    // Made on the first WM_GETOBJECT; COM stays initialised on the thread from then on, for
    // the marshalled object.
    std::optional<ComScope> com_;
    ComPtr<CAccessibleWindow> accessible_;  // declared after com_: released while COM is still up
};

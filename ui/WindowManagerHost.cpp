// The per-window manager's platform services for the core: painting, fonts, capture,
// cursor, tooltips, timers and the native windows that stand in for some controls.
#include "ui/WindowManager.h"
#include <commctrl.h>
#include "ui/UIGlobals.h"
#include "ui/pure/Edit.h"
#include "ui/pure/RichEdit.h"
#include "ui/pure/ScrollBar.h"

namespace {
COLORREF ToColorRef(UIColor c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }
}  // namespace

// Where the native edit lies: the control less its text padding and its border.
RECT CWindowManager::NativeEditRectOf(const CEditUI& edit) const {
    UIRect r = edit.GetPos();
    const UIRect pad = GetScale().Px(edit.GetTextPadding());
    const int border = edit.GetBorderSize() > 0 ? GetScale().Line(edit.GetBorderSize()) : 0;
    r.left += pad.left + border;
    r.top += pad.top + border;
    r.right -= pad.right + border;
    r.bottom -= pad.bottom + border;
    return ToRECT(r);
}

// --- painting -----------------------------------------------------------------------

void CWindowManager::PaintTo(HDC dc, const RECT& paint) {
    CGdiplusRender target(dc, *this, images_, GetScale());
    // Whatever the tree leaves uncovered shows white, never the previous frame.
    HBRUSH white = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    ::FillRect(dc, &paint, white);
    Paint(target, ToUIRect(paint));
}

void CWindowManager::OnPaint() {
    PAINTSTRUCT ps = {};
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT client = {};
    ::GetClientRect(hwnd_, &client);
    const SIZE size = {std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)};
    RECT r = ps.rcPaint;
    if (::IsRectEmpty(&r)) r = client;
    if (HDC back = backBuffer_.Prepare(dc, size)) {
        PaintTo(back, r);
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, back, r.left, r.top, SRCCOPY);
    }
    ::EndPaint(hwnd_, &ps);
}

UISize CWindowManager::MeasureText(const std::wstring& text, int font) {
    if (!windowDc_.get()) return {};
    return CGdiplusRender(windowDc_.get(), *this, images_, GetScale()).MeasureText(text, font);
}

HFONT CWindowManager::GetFont(int index) {
    if (index < 0 || index >= GetFontCount()) index = GetDefaultFontIndex();
    const UIFontDesc* desc = index >= 0 ? UIManagerCore::GetFont(index) : nullptr;
    if (desc == nullptr) {
        if (!systemFont_) {
            NONCLIENTMETRICSW metrics = {};
            metrics.cbSize = sizeof(metrics);
            ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
            systemFont_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
        }
        return systemFont_ ? systemFont_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    UniqueFont& font = fonts_[index];
    if (!font) {
        // A negative height asks for the character height in pixels: the layout's, at the
        // window's scale.
        font.reset(::CreateFontW(-GetScale().Px(desc->size), 0, 0, 0, desc->bold ? FW_BOLD : FW_NORMAL, desc->italic,
                                 desc->underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, desc->face.c_str()));
    }
    return font.get();
}

// --- IUIHost ------------------------------------------------------------------------

void CWindowManager::Invalidate(const UIRect& rect) {
    if (hwnd_ == nullptr) return;
    RECT r = ToRECT(rect);
    ::InvalidateRect(hwnd_, &r, FALSE);
}

void CWindowManager::CaptureMouse() {
    if (hwnd_) ::SetCapture(hwnd_);
}

void CWindowManager::ReleaseMouse() {
    if (hwnd_ == nullptr || ::GetCapture() != hwnd_) return;
    releasingCapture_ = true;
    ::ReleaseCapture();
    releasingCapture_ = false;
}

void CWindowManager::SetCursorShape(UICursor cursor) {
    const wchar_t* id = IDC_ARROW;
    switch (cursor) {
    case UICursor::Hand: id = IDC_HAND; break;
    case UICursor::IBeam: id = IDC_IBEAM; break;
    case UICursor::SizeWE: id = IDC_SIZEWE; break;
    case UICursor::SizeNS: id = IDC_SIZENS; break;
    default: break;
    }
    ::SetCursor(::LoadCursorW(nullptr, id));
}

void CWindowManager::ShowToolTip(const std::wstring& text, const UIRect& rect) {
    if (hwnd_ == nullptr) return;
    if (!tooltip_) {
        if (text.empty()) return;
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        tooltip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                         UIGetInstance(), nullptr));
        if (!tooltip_) return;
        ::SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, 400);
        // The system's tooltip font may have no Chinese glyphs; the layout's font has.
        ::SendMessageW(tooltip_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(-1)), FALSE);
    }
    TOOLINFOW ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = hwnd_;
    ti.uId = 1;
    ::SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    tooltipText_ = text;
    if (text.empty()) return;
    ti.uFlags = 0;
    ti.hinst = UIGetInstance();
    ti.rect = ToRECT(rect);
    ti.lpszText = tooltipText_.data();
    ::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
}

void CWindowManager::ResizeClient(int cx, int cy) {
    if (hwnd_ == nullptr || cx <= 0 || cy <= 0) return;
    RECT r = {0, 0, cx, cy};
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE));
    ::AdjustWindowRectEx(&r, style, ::GetMenu(hwnd_) != nullptr, exStyle);
    // The frame is recomputed too: windows drop their caption style on creation.
    ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

UIRect CWindowManager::GetClientRect() const {
    RECT r = {};
    if (hwnd_) ::GetClientRect(hwnd_, &r);
    return ToUIRect(r);
}

bool CWindowManager::StartTimer(CControlUI* control, unsigned id, unsigned elapseMs) {
    if (hwnd_ == nullptr) return false;
    for (auto& [key, slot] : timers_) {
        if (slot.control == control && slot.id == id) return ::SetTimer(hwnd_, key, elapseMs, nullptr) != 0;
    }
    const UINT_PTR key = nextTimer_++;
    if (::SetTimer(hwnd_, key, elapseMs, nullptr) == 0) return false;
    timers_[key] = TimerSlot{control, id};
    return true;
}

void CWindowManager::StopTimer(CControlUI* control, unsigned id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.control == control && it->second.id == id) {
            if (hwnd_) ::KillTimer(hwnd_, it->first);
            timers_.erase(it);
            return;
        }
    }
}

// --- native windows -------------------------------------------------------------------

HWND CWindowManager::GetNativeWindow(CControlUI* control) const {
    if (control != nullptr && control == editing_) return edit_.hwnd();
    auto found = richEdits_.find(control);
    return found != richEdits_.end() ? found->second->hwnd() : nullptr;
}

void CWindowManager::BeginEdit(CEditUI* edit) {
    if (hwnd_ == nullptr || edit == nullptr) return;
    if (editing_ == edit && edit_.IsOpen()) return;
    if (edit_.IsOpen()) EndEdit(NativeEditEnd::FocusLost);
    NativeEditOptions o;
    o.text = edit->GetText();
    o.rect = NativeEditRectOf(*edit);
    o.font = GetFont(edit->GetFont());
    o.textColor = ToColorRef(edit->GetNativeEditTextColor());
    o.maxChar = edit->GetMaxChar();
    o.readOnly = edit->IsReadOnly();
    o.password = edit->IsPasswordMode();
    o.passwordChar = edit->GetPasswordChar();
    o.numberOnly = edit->IsNumberOnly();
    editing_ = edit;
    editingLife_ = edit->GetLifeToken();
    textBeforeEdit_ = o.text;
    if (!edit_.Open(hwnd_, o)) {
        editing_ = nullptr;
        editingLife_.reset();
        edit->OnNativeEditEnd(edit->GetText());
    }
}

void CWindowManager::EndEdit(NativeEditEnd why) {
    CEditUI* edit = editing_;
    const bool alive = !editingLife_.expired();
    const std::wstring text = edit_.GetText();
    editing_ = nullptr;
    editingLife_.reset();
    if (::GetFocus() == edit_.hwnd()) ::SetFocus(hwnd_);
    edit_.Close();
    if (edit == nullptr || !alive) return;
    auto life = edit->GetLifeToken();
    // Escape restores the text the control had before editing (typing updated it already).
    edit->OnNativeEditEnd(why == NativeEditEnd::Cancel ? textBeforeEdit_ : text);
    if (why == NativeEditEnd::Return && !life.expired()) edit->OnNativeReturn();
}

void CWindowManager::UpdateNativeControl(CControlUI* control) {
    if (control == nullptr || hwnd_ == nullptr) return;
    if (control == editing_ && edit_.IsOpen()) {
        if (!control->IsVisible() || !control->IsEnabled()) {
            EndEdit(NativeEditEnd::FocusLost);
            return;
        }
        edit_.Move(NativeEditRectOf(*editing_));
        // Typing keeps the two texts equal; a difference is text the program set while
        // the user edits. The native edit shows it, editing ends with it, and Escape goes
        // back to it rather than to the text from before.
        const std::wstring text = editing_->GetText();
        if (edit_.GetText() != text) {
            textBeforeEdit_ = text;
            edit_.SetText(text);
        }
        return;
    }
    // While a layout is being built its controls are attached only for a moment, with half
    // their attributes: native windows wait for the finished tree.
    CControlUI* top = control;
    while (top->GetParent() != nullptr) top = top->GetParent();
    if (top != GetRoot()) return;
    if (auto* rich = ui_cast<CRichEditUI>(control, L"RichEdit")) SyncRichEdit(rich);
}

void CWindowManager::ReleaseNativeControl(CControlUI* control) {
    if (control == editing_) {
        editing_ = nullptr;
        editingLife_.reset();
        edit_.Close();
    }
    richEdits_.erase(control);
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->second.control == control) {
            if (hwnd_) ::KillTimer(hwnd_, it->first);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

void CWindowManager::ReleaseAllNative(bool alreadyDestroyed) {
    editing_ = nullptr;
    editingLife_.reset();
    if (alreadyDestroyed) {
        // The system destroyed the children and the owned tooltip with the window.
        for (auto& [control, native] : richEdits_) native->Forget();
        edit_.Forget();
        tooltip_.release();
    }
    edit_.Close();
    richEdits_.clear();
    tooltip_.reset();
    timers_.clear();
}

RichEditLooks CWindowManager::RichLooksOf(const CRichEditUI& rich) const {
    RichEditLooks looks;
    const UIFontDesc* font = UIManagerCore::GetFont(rich.GetFont());
    looks.face = font ? font->face : L"";
    looks.fontSize = GetScale().Px(font ? font->size : 12);
    looks.bold = font && font->bold;
    looks.italic = font && font->italic;
    looks.underline = font && font->underline;
    const UIPalette& palette = GetPalette();
    looks.textColor = ToColorRef(palette.Text(rich.GetTextColor() ? rich.GetTextColor()
                                                                   : GetWindowAttributes().defaultFontColor));
    looks.bkColor = (rich.GetBkColor() >> 24) ? ToColorRef(palette.Fill(rich.GetBkColor()))
                                              : ToColorRef(palette.Fill(0xFFFFFFFF));
    looks.readOnly = rich.IsReadOnly();
    looks.multiLine = rich.IsMultiLine();
    looks.maxChar = rich.GetMaxChar();
    return looks;
}

void CWindowManager::SyncRichEdit(CRichEditUI* rich) {
    if (syncingRich_) return;
    syncingRich_ = true;
    auto& native = richEdits_[rich];
    const RichEditLooks looks = RichLooksOf(*rich);
    if (!native) {
        native = std::make_unique<CNativeRichEdit>();
        if (!native->Create(hwnd_, looks)) {
            richEdits_.erase(rich);
            syncingRich_ = false;
            return;
        }
    } else {
        native->SetLooks(looks);
    }
    native->SetText(rich->GetText());
    // The native window covers the control less its skinned scroll bar and less a band
    // as wide as the focus ring on its other sides, where the ring shows when the control
    // reaches the window's edge (the control's own background fills the band); the inset
    // becomes the text margin inside it, so the text stays where the layout puts it.
    UIRect r = rich->GetPos();
    UIRect inset = GetScale().Px(rich->GetInset());
    CScrollBarUI* bar = rich->GetVerticalScrollBar();
    const int ring = FocusRingWidth();
    int right = ring;
    if (bar != nullptr && bar->IsVisible() && !bar->GetPos().empty()) right = r.right - bar->GetPos().left;
    r = {r.left + ring, r.top + ring, r.right - right, r.bottom - ring};
    inset = {std::max(0, inset.left - ring), std::max(0, inset.top - ring), std::max(0, inset.right - right),
             std::max(0, inset.bottom - ring)};
    native->Place(ToRECT(r), ToRECT(inset), rich->IsVisible(), rich->IsEnabled());
    if (bar != nullptr) {
        const int range = std::max(0, native->ContentHeight() - native->ViewHeight());
        if (bar->GetScrollRange() != range) bar->SetScrollRange(range);
        native->SetScrollY(rich->GetScrollPos().cy);
    }
    syncingRich_ = false;
}

void CWindowManager::OnRichEditScrolled(HWND window, int y) {
    for (auto& [control, native] : richEdits_) {
        if (native->hwnd() != window) continue;
        auto* rich = static_cast<CRichEditUI*>(control);
        if (rich->GetScrollPos().cy != y) rich->SetScrollPos(UISize{rich->GetScrollPos().cx, y});
        return;
    }
}

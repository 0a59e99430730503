#include "ui/WindowManager.h"
#include <windowsx.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "ui/UIGlobals.h"
#include "ui/pure/Edit.h"
#include "ui/pure/RichEdit.h"
#include "ui/pure/MarkupBuilder.h"
#include "ui/pure/ValueParse.h"
#include "ui/win/NativeClasses.h"

namespace {
// WM_DPICHANGED, which headers for older systems lack.
constexpr UINT kWmDpiChanged = 0x02E0;

std::vector<CWindowManager*>& AllManagers() {
    static std::vector<CWindowManager*> managers;
    return managers;
}

// The modifiers held with a key press, and whether it repeats a held key (bit 30 of a key
// message's lParam: the key was already down).
unsigned KeyStateOf(LPARAM lParam) {
    unsigned state = 0;
    if (::GetKeyState(VK_SHIFT) < 0) state |= UI_MK_SHIFT;
    if (::GetKeyState(VK_CONTROL) < 0) state |= UI_MK_CONTROL;
    if ((lParam & (1 << 30)) != 0) state |= UI_KEY_REPEAT;
    return state;
}

// Keys that move about or act (Tab, Return, Escape, arrows, Page Up/Down, Home, End), as
// against typing: typed into a native edit, only these show the focus ring, as in a dialog
// of the system's, which shows its focus rectangles on navigation and not on text.
bool IsNavigationKey(WPARAM key) {
    return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || (key >= VK_PRIOR && key <= VK_DOWN);
}

bool ReadWholeFile(const std::wstring& path, std::string* out) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > (16 << 20)) return false;
    out->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return ::ReadFile(file.get(), out->data(), static_cast<DWORD>(out->size()), &read, nullptr) && read == out->size();
}
}  // namespace

CWindowManager::CWindowManager() {
    SetHost(this);
}

CWindowManager::~CWindowManager() {
    // The tree dies with the core, after this object's own parts: from here on the core
    // must not call back into this host.
    SetHost(nullptr);
    // A client may still hold the object: from now on it answers that the window is gone.
    if (accessible_) accessible_->Disconnect();
    ReleaseAllNative(false);
    auto& all = AllManagers();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void CWindowManager::Init(HWND hWnd) {
    hwnd_ = hWnd;
    windowDc_ = UniqueWindowDC(hWnd, ::GetDC(hWnd));
    auto& all = AllManagers();
    if (std::find(all.begin(), all.end(), this) == all.end()) all.push_back(this);
    EnsureFrameworkWindowClasses();
    RefreshPalette();
    SetDpi(WindowDpi(hWnd));
    shadow_.Attach(hWnd);
    // A window opened from the keyboard (a prompt its owner opened on Space or Return)
    // shows where its focus is from the start.
    const HWND owner = ::GetWindow(hWnd, GW_OWNER);
    for (const CWindowManager* other : all)
        if (other != this && owner != nullptr && other->hwnd_ == owner && other->AreFocusCuesShown()) ShowFocusCues();
}

UINT CWindowManager::WindowDpi(HWND window) {
    // GetDpiForWindow and GetDpiForSystem came with Windows 10 (1607); before them every
    // window has the system's, the screen's. GetDpiForSystem answers without the screen,
    // whose first use on a thread connects it to the display (tens of ms under Wine).
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    using GetDpiForSystemFn = UINT(WINAPI*)();
    static const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")));
    static const auto getDpiForSystem = reinterpret_cast<GetDpiForSystemFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForSystem")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    if (getDpiForSystem != nullptr && window == nullptr) {
        if (const UINT dpi = getDpiForSystem()) return dpi;
    }
    UniqueWindowDC screen(nullptr, ::GetDC(nullptr));
    return screen.get() ? static_cast<UINT>(::GetDeviceCaps(screen.get(), LOGPIXELSX)) : kUIBaseDpi;
}

void CWindowManager::SetDpi(UINT dpi) {
    const UIScale scale = UIScale::ForDpi(static_cast<int>(dpi));
    if (scale == GetScale() && !fonts_.empty()) return;
    SetScale(scale);
    fonts_.clear();  // made again at the new size when next asked for
    shadow_.SetScale(scale);
    if (hwnd_ == nullptr) return;
    if (tooltip_) ::SendMessageW(tooltip_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(-1)), FALSE);
    if (editing_ != nullptr && edit_.IsOpen()) {
        edit_.SetFont(GetFont(editing_->GetFont()));
        edit_.Move(NativeEditRectOf(*editing_));
    }
    std::vector<CControlUI*> rich;
    for (auto& entry : richEdits_) rich.push_back(entry.first);
    for (CControlUI* control : rich)
        if (auto* edit = ui_cast<CRichEditUI>(control, L"RichEdit")) SyncRichEdit(edit);
    OnSize();
}

// The system moved the window to a screen of another DPI (or the user changed the scale):
// the new DPI is in the message, the rectangle the system suggests for the window at it
// in lParam.
void CWindowManager::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    SetDpi(LOWORD(wParam));
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

std::unique_ptr<CControlUI> CWindowManager::BuildFromUtf8(std::string_view markup) {
    return BuildFromDocument(ParseXml(markup));
}

std::unique_ptr<CControlUI> CWindowManager::BuildFromDocument(const XmlDocument& document) {
    CMarkupBuilder builder;
    builder.SetIncludeLoader([](std::wstring_view source) -> std::optional<std::string> {
        std::string text;
        if (!source.empty() && source[0] == L'<') return Utf16ToUtf8(std::wstring(source));
        if (ReadWholeFile(UIGetResourcePath() + std::wstring(source), &text)) return text;
        return std::nullopt;
    });
    auto root = builder.Build(document, this);
    lastBuildError_.clear();
    if (!root) lastBuildError_ = CUIString(document.ok ? builder.LastError().message : document.message);
    return root;
}

std::unique_ptr<CControlUI> CWindowManager::Build(UINT resourceId, const wchar_t* type) {
    std::string_view bytes;
    if (!UIResourceBytes(resourceId, type ? type : L"XML", &bytes)) {
        lastBuildError_ = L"Error opening file";
        return nullptr;
    }
    return BuildFromUtf8(bytes);
}

std::unique_ptr<CControlUI> CWindowManager::Build(const CUIString& layout, const wchar_t* type) {
    if (!layout.empty() && layout[0] == L'<') return BuildFromUtf8(Utf16ToUtf8(layout));
    if (type != nullptr) {
        const UIResourceId number = ParseResourceId(layout);
        if (number.numeric) return Build(number.id, type);  // id 0: out of range, refused
    }
    return BuildFromDocument(ParseXmlFile(UIGetResourcePath() + layout));
}

bool CWindowManager::TranslateMessageAll(const MSG* msg) {
    // A copy: a translator may lead to a window (and its manager) going away.
    const std::vector<CWindowManager*> managers = AllManagers();
    for (CWindowManager* m : managers) {
        if (std::find(AllManagers().begin(), AllManagers().end(), m) == AllManagers().end()) continue;
        if (m->TranslateOne(msg)) return true;
    }
    return false;
}

bool CWindowManager::TranslateOne(const MSG* msg) {
    // Tooltips learn about the pointer from the mouse messages of their window.
    if (tooltip_ && msg->hwnd == hwnd_ && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST)
        ::SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    if (msg->message != WM_KEYDOWN) return false;
    // Dialog navigation out of the native edit: Tab ends typing (keeping the text) and
    // moves the focus on among the window's controls.
    if (edit_.IsOpen() && msg->hwnd == edit_.hwnd()) {
        if (IsNavigationKey(msg->wParam)) ShowFocusCues();
        if (msg->wParam != VK_TAB) return false;
        EndEdit(NativeEditEnd::FocusLost);
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    return TranslateRichEditKey(msg);
}

bool CWindowManager::TranslateRichEditKey(const MSG* msg) {
    CRichEditUI* rich = RichEditOfWindow(msg->hwnd);
    if (rich == nullptr) return false;
    if (IsNavigationKey(msg->wParam)) ShowFocusCues();
    const unsigned keyState = KeyStateOf(msg->lParam);
    switch (msg->wParam) {
    case VK_TAB:
        return OnKeyDown(UI_VK_TAB, keyState);
    case VK_ESCAPE:
        return OnKeyDown(UI_VK_ESCAPE, keyState);
    case VK_RETURN:
        // Text that cannot be typed into has no use for Return: it presses the default button.
        if (!rich->IsReadOnly() && rich->IsWantReturn()) return false;
        return OnKeyDown(UI_VK_RETURN, keyState);
    default:
        return false;  // arrows, pages, Ctrl+A, Ctrl+C: the rich edit's own
    }
}

CRichEditUI* CWindowManager::RichEditOfWindow(HWND native) const {
    if (native == nullptr) return nullptr;
    for (const auto& [control, window] : richEdits_)
        if (window->hwnd() == native) return static_cast<CRichEditUI*>(control);
    return nullptr;
}

bool CWindowManager::OnKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    const unsigned key = static_cast<unsigned>(wParam);
    if (uMsg == WM_CHAR) return OnChar(key);
    if (uMsg == WM_KEYUP) return OnKeyUp(key);
    return OnKeyDown(key, KeyStateOf(lParam));
}

LRESULT CWindowManager::OnGetObject(WPARAM wParam) {
    if (!com_) com_.emplace();
    if (!accessible_) *accessible_.put() = new CAccessibleWindow(this);  // adopts its first reference
    // A failure comes back as a negative HRESULT, which is what the message returns then.
    return ::LresultFromObject(IID_IAccessible, wParam, accessible_.get());
}

void CWindowManager::OnAccessibleAction(WPARAM childId) {
    const std::vector<CControlUI*> controls = AccessibleControls(GetRoot());
    if (childId < 1 || childId > controls.size()) return;
    CControlUI* control = controls[childId - 1];
    if (DescribeAccessible(*control).action != UIAccAction::None) control->Activate();
}

void CWindowManager::AccessibleEvent(UIAccEvent event, CControlUI* control) {
    // A window not on the screen (still being made) has nothing to tell.
    if (hwnd_ == nullptr || !::IsWindowVisible(hwnd_)) return;
    LONG child = CHILDID_SELF;
    if (control != nullptr) {
        const std::vector<CControlUI*> controls = AccessibleControls(GetRoot());
        const auto found = std::find(controls.begin(), controls.end(), control);
        if (found == controls.end()) {
            // A layout without a role of its own: what it shows or hides changes the tree.
            if (event == UIAccEvent::Show || event == UIAccEvent::Hide)
                ::NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd_, OBJID_CLIENT, CHILDID_SELF);
            return;
        }
        child = static_cast<LONG>(found - controls.begin()) + 1;
    }
    DWORD system = 0;
    switch (event) {
    case UIAccEvent::Focus:
        // Only the window with the keyboard says where its focus is.
        if (::GetFocus() != hwnd_ && !::IsChild(hwnd_, ::GetFocus())) return;
        system = EVENT_OBJECT_FOCUS;
        break;
    case UIAccEvent::StateChange: system = EVENT_OBJECT_STATECHANGE; break;
    case UIAccEvent::NameChange: system = EVENT_OBJECT_NAMECHANGE; break;
    case UIAccEvent::ValueChange: system = EVENT_OBJECT_VALUECHANGE; break;
    case UIAccEvent::Show: system = EVENT_OBJECT_SHOW; break;
    case UIAccEvent::Hide: system = EVENT_OBJECT_HIDE; break;
    case UIAccEvent::Alert: system = EVENT_SYSTEM_ALERT; break;
    }
    ::NotifyWinEvent(system, hwnd_, OBJID_CLIENT, child);
}

void CWindowManager::FocusChanged(CControlUI* control) {
    if (hwnd_ == nullptr) return;
    const HWND focus = ::GetFocus();
    const bool ours = focus == hwnd_ || ::IsChild(hwnd_, focus);
    const auto rich = richEdits_.find(control);
    if (rich != richEdits_.end()) {
        // The keys go to the rich edit itself (arrows, pages, copying); the window keeps
        // Tab and Escape (TranslateRichEditKey). Never taken from another window.
        if (ours && focus != rich->second->hwnd()) ::SetFocus(rich->second->hwnd());
        return;
    }
    if (RichEditOfWindow(focus) != nullptr) ::SetFocus(hwnd_);
}

void CWindowManager::RefreshPalette() {
    UIPalette palette;
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    palette.highContrast = ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
                           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    const auto system = [](int index) {
        const COLORREF c = ::GetSysColor(index);
        return 0xFF000000u | (UIColor{GetRValue(c)} << 16) | (UIColor{GetGValue(c)} << 8) | GetBValue(c);
    };
    palette.windowText = system(COLOR_WINDOWTEXT);
    palette.window = system(COLOR_WINDOW);
    palette.highlight = system(COLOR_HIGHLIGHT);
    palette.grayText = system(COLOR_GRAYTEXT);
    palette.hotLight = system(COLOR_HOTLIGHT);
    if (palette == GetPalette()) return;
    SetPalette(palette);
    // The native pieces take the colours too.
    std::vector<CControlUI*> rich;
    for (auto& entry : richEdits_) rich.push_back(entry.first);
    for (CControlUI* control : rich)
        if (auto* edit = ui_cast<CRichEditUI>(control, L"RichEdit")) SyncRichEdit(edit);
    if (edit_.IsOpen()) ::InvalidateRect(edit_.hwnd(), nullptr, TRUE);
}

bool CWindowManager::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (hwnd_ == nullptr) return false;
    result = 0;
    shadow_.OnOwnerMessage(uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_ERASEBKGND:
        result = 1;  // the paint covers everything; erasing would only flicker
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_PRINTCLIENT: {
        RECT client = {};
        ::GetClientRect(hwnd_, &client);
        PaintTo(reinterpret_cast<HDC>(wParam), client);
        return true;
    }
    case WM_SIZE:
        OnSize();
        return false;
    case kWmDpiChanged:
        OnDpiChanged(wParam, lParam);
        return true;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        const UIWindowAttributes& w = GetWindowAttributes();
        const UISize minimum = GetScale().Px(w.minInfo), maximum = GetScale().Px(w.maxInfo);
        if (minimum.cx > 0) info->ptMinTrackSize.x = minimum.cx;
        if (minimum.cy > 0) info->ptMinTrackSize.y = minimum.cy;
        if (maximum.cx > 0) info->ptMaxTrackSize.x = maximum.cx;
        if (maximum.cy > 0) info->ptMaxTrackSize.y = maximum.cy;
        return false;
    }
    case WM_SETCURSOR:
        if (!OnSetCursorMessage(lParam)) return false;
        result = TRUE;
        return true;
    case WM_TIMER:
        return OnTimerMessage(wParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        return OnKeyMessage(uMsg, wParam, lParam);
    case WM_GETOBJECT:
        // The client area is ours to describe; the system answers for everything else.
        if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return false;
        result = OnGetObject(wParam);
        return true;
    case kMsgAccessibleAction:
        OnAccessibleAction(wParam);
        return true;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        RefreshPalette();
        return false;
    case WM_SETFOCUS:
        OnSetFocus();
        return false;
    case WM_KILLFOCUS:
        OnKillFocus();
        return false;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_ && !releasingCapture_) OnCaptureLost();
        return false;
    case WM_MOUSELEAVE:
        trackingMouse_ = false;
        OnMouseLeave();
        return false;
    default:
        break;
    }
    if (uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST) return OnMouseMessage(uMsg, wParam, lParam);
    return OnNativeMessage(uMsg, wParam, lParam, result);
}

// Messages of the native windows that stand in for controls, and the window's end.
bool CWindowManager::OnNativeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const bool fromEdit = editing_ != nullptr && reinterpret_cast<HWND>(lParam) == edit_.hwnd() && !editingLife_.expired();
    switch (uMsg) {
    case WM_COMMAND:
        if (!fromEdit || HIWORD(wParam) != EN_CHANGE) return false;
        editing_->OnNativeTextChanged(edit_.GetText());
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        if (!fromEdit) return false;
        const UIPalette& palette = GetPalette();
        const UIColor text = palette.highContrast ? palette.windowText : editing_->GetNativeEditTextColor();
        const UIColor back = palette.highContrast ? palette.window : editing_->GetNativeEditBkColor();
        const COLORREF bk = RGB((back >> 16) & 0xFF, (back >> 8) & 0xFF, back & 0xFF);
        ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB((text >> 16) & 0xFF, (text >> 8) & 0xFF, text & 0xFF));
        ::SetBkColor(reinterpret_cast<HDC>(wParam), bk);
        editBrush_.reset(::CreateSolidBrush(bk));
        result = reinterpret_cast<LRESULT>(editBrush_.get());
        return true;
    }
    case kMsgNativeEditEnd:
        if (reinterpret_cast<HWND>(lParam) == edit_.hwnd() && edit_.IsOpen()) EndEdit(static_cast<NativeEditEnd>(wParam));
        return true;
    case kMsgRichEditScrolled:
        OnRichEditScrolled(reinterpret_cast<HWND>(lParam), static_cast<int>(wParam));
        return true;
    case kMsgRichEditFocused:
        if (CRichEditUI* rich = RichEditOfWindow(reinterpret_cast<HWND>(lParam))) SetFocus(rich);
        return true;
    case WM_NCDESTROY: {
        ReleaseAllNative(true);
        windowDc_.reset();
        hwnd_ = nullptr;
        auto& all = AllManagers();
        all.erase(std::remove(all.begin(), all.end(), this), all.end());
        return false;
    }
    default:
        return false;
    }
}

bool CWindowManager::OnMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    UIPoint pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const unsigned keys = static_cast<unsigned>(GET_KEYSTATE_WPARAM(wParam)) & 0xFF;
    switch (uMsg) {
    case WM_MOUSEMOVE:
        if (!trackingMouse_) {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hwnd_, 0};
            trackingMouse_ = ::TrackMouseEvent(&tme) != FALSE;
        }
        return OnMouseMove(pt, keys);
    case WM_LBUTTONDOWN:
        // Clicking the window ends typing in a native edit (it loses the focus).
        if (::GetFocus() != hwnd_) ::SetFocus(hwnd_);
        return OnButtonDown(pt, keys);
    case WM_LBUTTONUP:
        return OnButtonUp(pt, keys);
    case WM_LBUTTONDBLCLK:
        return OnDoubleClick(pt, keys);
    case WM_RBUTTONDOWN:
        return OnRButtonDown(pt, keys);
    case WM_MOUSEWHEEL: {
        POINT screen = {pt.x, pt.y};
        ::ScreenToClient(hwnd_, &screen);
        return OnMouseWheel(UIPoint{screen.x, screen.y}, GET_WHEEL_DELTA_WPARAM(wParam), keys);
    }
    default:
        return false;
    }
}

bool CWindowManager::OnSetCursorMessage(LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT) return false;
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(hwnd_, &pt);
    return OnSetCursor(UIPoint{pt.x, pt.y});
}

bool CWindowManager::OnTimerMessage(WPARAM id) {
    auto found = timers_.find(id);
    if (found == timers_.end()) return false;
    OnTimer(found->second.control, found->second.id);
    return true;
}

void CWindowManager::OnSize() {
    NeedUpdate();
    RECT client = {};
    ::GetClientRect(hwnd_, &client);
    const UISize round = GetScale().Px(GetWindowAttributes().roundCorner);
    if ((round.cx > 0 || round.cy > 0) && !::IsIconic(hwnd_)) {
        RECT window = {};
        ::GetWindowRect(hwnd_, &window);
        UniqueRegion region(::CreateRoundRectRgn(0, 0, window.right - window.left + 1, window.bottom - window.top + 1,
                                                 round.cx, round.cy));
        if (region && ::SetWindowRgn(hwnd_, region.get(), TRUE)) region.release();  // the window owns it now
    }
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

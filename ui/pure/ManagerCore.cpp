#include "ui/pure/ManagerCore.h"

#include <algorithm>
#include "ui/pure/Control.h"
#include "ui/pure/ValueParse.h"

namespace {
// Stands in for the platform when none is set (tests, builds without a window).
IUIHost& NullHost() {
    static IUIHost host;
    return host;
}
}  // namespace

UIManagerCore::UIManagerCore() : host_(&NullHost()) {}

UIManagerCore::~UIManagerCore() {
    // The tree first: its controls report their destruction to the maps below.
    root_.reset();
}

void UIManagerCore::SetHost(IUIHost* host) noexcept { host_ = host ? host : &NullHost(); }

CControlUI* UIManagerCore::AttachDialog(std::unique_ptr<CControlUI> root) {
    root_.reset();
    hot_ = captured_ = focus_ = nullptr;
    refocusPending_ = true;
    names_.clear();
    root_ = std::move(root);
    if (root_) root_->SetManager(this, nullptr, true);
    NeedUpdate();
    return root_.get();
}

CControlUI* UIManagerCore::FindControl(std::wstring_view name) const {
    const auto it = names_.find(name);
    return it == names_.end() ? nullptr : it->second;
}

CControlUI* UIManagerCore::FindControlAt(UIPoint pt) const {
    if (!root_) return nullptr;
    return root_->FindControlAt(pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

bool UIManagerCore::AddNotifier(INotifyUI* receiver) {
    if (!receiver || std::find(receivers_.begin(), receivers_.end(), receiver) != receivers_.end()) return false;
    receivers_.push_back(receiver);
    return true;
}

bool UIManagerCore::RemoveNotifier(INotifyUI* receiver) {
    const auto it = std::find(receivers_.begin(), receivers_.end(), receiver);
    if (it == receivers_.end()) return false;
    receivers_.erase(it);
    return true;
}

void UIManagerCore::SendNotify(TNotifyUI& msg) {
    // A receiver may remove receivers or, through a nested message loop, end the window
    // and this manager with it: work on a copy and stop once the manager is gone.
    const std::weak_ptr<int> alive = lifeToken_;
    const std::vector<INotifyUI*> receivers = receivers_;
    for (INotifyUI* receiver : receivers) {
        if (alive.expired()) return;
        if (std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end()) continue;
        receiver->Notify(msg);
    }
}

void UIManagerCore::SendNotify(CControlUI* sender, std::wstring_view type, uintptr_t wParam, intptr_t lParam) {
    TNotifyUI msg;
    msg.sType = CUIString(type);
    msg.pSender = sender;
    msg.ptMouse = lastMouse_;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg);
}

int UIManagerCore::AddFont(const UIFontDesc& font, bool isDefault) {
    fonts_.push_back(font);
    const int index = static_cast<int>(fonts_.size()) - 1;
    if (isDefault) defaultFont_ = index;
    return index;
}

const UIFontDesc* UIManagerCore::GetFont(int index) const {
    if (index >= 0 && index < GetFontCount()) return &fonts_[static_cast<size_t>(index)];
    return defaultFont_ >= 0 ? &fonts_[static_cast<size_t>(defaultFont_)] : nullptr;
}

void UIManagerCore::AddImage(const UIImageInfo& image) {
    for (UIImageInfo& existing : images_)
        if (existing.name == image.name) { existing = image; return; }
    images_.push_back(image);
}

const UIImageInfo* UIManagerCore::GetImage(std::wstring_view name) const {
    for (const UIImageInfo& image : images_)
        if (image.name == name) return &image;
    return nullptr;
}

void UIManagerCore::AddDefaultAttributeList(std::wstring_view controlName, std::wstring_view list) {
    defaults_.insert_or_assign(std::wstring(controlName), CUIString(list));
}

const CUIString* UIManagerCore::GetDefaultAttributeList(std::wstring_view controlName) const {
    const auto it = defaults_.find(controlName);
    return it == defaults_.end() ? nullptr : &it->second;
}

void UIManagerCore::SetWindowAttribute(std::wstring_view name, std::wstring_view value) {
    UIWindowAttributes& w = window_;
    // The rectangles that the hit test and the window's size are computed from are held
    // to the geometry bounds: a client edge less a margin stays in range.
    if (name == L"size") {
        w.initSize = UIClampSize(ParseSize(value));
        ApplyInitialSize();
    }
    else if (name == L"sizebox") w.sizeBox = UIClampRect(ParseRect(value));
    else if (name == L"caption") w.caption = UIClampRect(ParseRect(value));
    else if (name == L"roundcorner") w.roundCorner = ParseSize(value);
    else if (name == L"mininfo") w.minInfo = ParseSize(value);  // two numbers; the rest is ignored
    else if (name == L"maxinfo") w.maxInfo = ParseSize(value);
    else if (name == L"showdirty") w.showDirty = ParseBool(value);
    else if (name == L"bktrans") w.bkTrans = ParseBool(value);
    else if (name == L"bksemitrans") w.bkSemiTrans = ParseBool(value);
    else if (name == L"alpha") w.alpha = ParseInt(value);
    else if (name == L"disabledfontcolor") w.disabledFontColor = ParseColor(value);
    else if (name == L"defaultfontcolor") w.defaultFontColor = ParseColor(value);
    else if (name == L"linkfontcolor") w.linkFontColor = ParseColor(value);
    else if (name == L"linkhoverfontcolor") w.linkHoverFontColor = ParseColor(value);
    else if (name == L"selectedcolor") w.selectedColor = ParseColor(value);
    else if (name == L"focusbordercolor") w.focusColor = ParseColor(value);
    else if (name == L"role") w.alert = value == L"alert";
    else if (name == L"nameid") w.nameId = static_cast<unsigned>(std::max(0, ParseInt(value)));
}

void UIManagerCore::SetScale(UIScale scale) {
    if (scale == scale_) return;
    scale_ = scale;
    NeedUpdate();
}

void UIManagerCore::ApplyInitialSize() {
    const UISize size = scale_.Px(window_.initSize);
    Host().ResizeClient(size.cx, size.cy);  // the host refuses sizes that are not there
}

void UIManagerCore::NeedUpdate() {
    updateNeeded_ = true;
    Host().Invalidate(Host().GetClientRect());
}

void UIManagerCore::Invalidate(const UIRect& rect) { Host().Invalidate(rect); }

void UIManagerCore::LayoutRoot(const UIRect& client) {
    // Cleared before the layout, so a layout that asks for another one (a scroll bar
    // appearing) gets it on the next paint.
    updateNeeded_ = false;
    if (root_) root_->SetPos(client);
    laidOut_ = true;
    // What is shown is settled now: a focus that went away goes to the default button,
    // as soon as a page shows one.
    if (refocusPending_ && !focus_) {
        if (CControlUI* button = GetDefaultButton()) SetFocus(button);
    }
}

void UIManagerCore::Paint(IRenderTarget& target, const UIRect& paintRect) {
    if (updateNeeded_) LayoutRoot(Host().GetClientRect());
    if (root_) root_->DoPaint(target, paintRect);
    PaintFocusRing(target);
    OnPainted();
}

void UIManagerCore::OnPainted() {
    if (!laidOut_ || windowInitSent_ || !root_) return;
    windowInitSent_ = true;
    const std::weak_ptr<int> alive = lifeToken_;
    // Told once the window shows what it says, before its own first steps.
    if (window_.alert) AccessibleEvent(UIAccEvent::Alert, nullptr);
    if (alive.expired() || !root_) return;
    SendNotify(root_.get(), L"windowinit");
}

bool UIManagerCore::Contains(const CControlUI* control) const {
    if (!control || !root_) return false;
    while (control->GetParent() != nullptr) control = control->GetParent();
    return control == root_.get();
}

void UIManagerCore::AccessibleEvent(UIAccEvent event, CControlUI* control) {
    if (control == nullptr || Contains(control)) Host().AccessibleEvent(event, control);
}

void UIManagerCore::SetPalette(const UIPalette& palette) {
    if (palette == palette_) return;
    palette_ = palette;
    Invalidate(Host().GetClientRect());
}

void UIManagerCore::RegisterControl(CControlUI* control) {
    if (!control || control->GetName().empty()) return;
    const auto [first, last] = names_.equal_range(control->GetName());
    for (auto it = first; it != last; ++it)
        if (it->second == control) return;
    names_.emplace(std::wstring(control->GetName()), control);
}

void UIManagerCore::UnregisterControl(CControlUI* control) {
    if (!control) return;
    const auto [first, last] = names_.equal_range(control->GetName());
    for (auto it = first; it != last; ++it)
        if (it->second == control) { names_.erase(it); return; }
}

void UIManagerCore::RenameControl(CControlUI* control, std::wstring_view oldName) {
    const auto [first, last] = names_.equal_range(oldName);
    for (auto it = first; it != last; ++it) {
        if (it->second == control) {
            names_.erase(it);
            RegisterControl(control);  // only controls that were registered follow the rename
            return;
        }
    }
}

void UIManagerCore::ControlDestroyed(CControlUI* control) {
    UnregisterControl(control);
    if (hot_ == control) hot_ = nullptr;
    if (captured_ == control) captured_ = nullptr;
    if (focus_ == control) focus_ = nullptr;
    Host().ReleaseNativeControl(control);
}

void UIManagerCore::SetCursorShape(UICursor cursor) {
    cursorSet_ = true;
    Host().SetCursorShape(cursor);
}

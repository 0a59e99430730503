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

UIManagerCore::UIManagerCore() : m_host(&NullHost()) {}

UIManagerCore::~UIManagerCore() {
    // The tree first: its controls report their destruction to the maps below.
    m_root.reset();
}

void UIManagerCore::SetHost(IUIHost* host) noexcept { m_host = host ? host : &NullHost(); }

CControlUI* UIManagerCore::AttachDialog(std::unique_ptr<CControlUI> root) {
    m_root.reset();
    m_hot = m_captured = m_focus = nullptr;
    m_names.clear();
    m_root = std::move(root);
    if (m_root) m_root->SetManager(this, nullptr, true);
    NeedUpdate();
    return m_root.get();
}

CControlUI* UIManagerCore::FindControl(std::wstring_view name) const {
    const auto it = m_names.find(name);
    return it == m_names.end() ? nullptr : it->second;
}

CControlUI* UIManagerCore::FindControlAt(UIPoint pt) const {
    if (!m_root) return nullptr;
    return m_root->FindControlAt(pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

bool UIManagerCore::AddNotifier(INotifyUI* receiver) {
    if (!receiver || std::find(m_receivers.begin(), m_receivers.end(), receiver) != m_receivers.end()) return false;
    m_receivers.push_back(receiver);
    return true;
}

bool UIManagerCore::RemoveNotifier(INotifyUI* receiver) {
    const auto it = std::find(m_receivers.begin(), m_receivers.end(), receiver);
    if (it == m_receivers.end()) return false;
    m_receivers.erase(it);
    return true;
}

void UIManagerCore::SendNotify(TNotifyUI& msg) {
    // A receiver may remove receivers or, through a nested message loop, end the window
    // and this manager with it: work on a copy and stop once the manager is gone.
    const std::weak_ptr<int> alive = m_lifeToken;
    const std::vector<INotifyUI*> receivers = m_receivers;
    for (INotifyUI* receiver : receivers) {
        if (alive.expired()) return;
        if (std::find(m_receivers.begin(), m_receivers.end(), receiver) == m_receivers.end()) continue;
        receiver->Notify(msg);
    }
}

void UIManagerCore::SendNotify(CControlUI* sender, std::wstring_view type, uintptr_t wParam, intptr_t lParam) {
    TNotifyUI msg;
    msg.sType = CUIString(type);
    msg.pSender = sender;
    msg.ptMouse = m_lastMouse;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg);
}

int UIManagerCore::AddFont(const UIFontDesc& font, bool isDefault) {
    m_fonts.push_back(font);
    const int index = static_cast<int>(m_fonts.size()) - 1;
    if (isDefault) m_defaultFont = index;
    return index;
}

const UIFontDesc* UIManagerCore::GetFont(int index) const {
    if (index >= 0 && index < GetFontCount()) return &m_fonts[static_cast<size_t>(index)];
    return m_defaultFont >= 0 ? &m_fonts[static_cast<size_t>(m_defaultFont)] : nullptr;
}

void UIManagerCore::AddImage(const UIImageInfo& image) {
    for (UIImageInfo& existing : m_images)
        if (existing.name == image.name) { existing = image; return; }
    m_images.push_back(image);
}

const UIImageInfo* UIManagerCore::GetImage(std::wstring_view name) const {
    for (const UIImageInfo& image : m_images)
        if (image.name == name) return &image;
    return nullptr;
}

void UIManagerCore::AddDefaultAttributeList(std::wstring_view controlName, std::wstring_view list) {
    m_defaults.insert_or_assign(std::wstring(controlName), CUIString(list));
}

const CUIString* UIManagerCore::GetDefaultAttributeList(std::wstring_view controlName) const {
    const auto it = m_defaults.find(controlName);
    return it == m_defaults.end() ? nullptr : &it->second;
}

void UIManagerCore::SetWindowAttribute(std::wstring_view name, std::wstring_view value) {
    UIWindowAttributes& w = m_window;
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
}

void UIManagerCore::SetScale(UIScale scale) {
    if (scale == m_scale) return;
    m_scale = scale;
    NeedUpdate();
}

void UIManagerCore::ApplyInitialSize() {
    const UISize size = m_scale.Px(m_window.initSize);
    Host().ResizeClient(size.cx, size.cy);  // the host refuses sizes that are not there
}

void UIManagerCore::NeedUpdate() {
    m_updateNeeded = true;
    Host().Invalidate(Host().GetClientRect());
}

void UIManagerCore::Invalidate(const UIRect& rect) { Host().Invalidate(rect); }

void UIManagerCore::LayoutRoot(const UIRect& client) {
    // Cleared before the layout, so a layout that asks for another one (a scroll bar
    // appearing) gets it on the next paint.
    m_updateNeeded = false;
    if (m_root) m_root->SetPos(client);
    m_laidOut = true;
}

void UIManagerCore::Paint(IRenderTarget& target, const UIRect& paintRect) {
    if (m_updateNeeded) LayoutRoot(Host().GetClientRect());
    if (m_root) m_root->DoPaint(target, paintRect);
    OnPainted();
}

void UIManagerCore::OnPainted() {
    if (!m_laidOut || m_windowInitSent || !m_root) return;
    m_windowInitSent = true;
    SendNotify(m_root.get(), L"windowinit");
}

void UIManagerCore::RegisterControl(CControlUI* control) {
    if (!control || control->GetName().empty()) return;
    const auto [first, last] = m_names.equal_range(control->GetName());
    for (auto it = first; it != last; ++it)
        if (it->second == control) return;
    m_names.emplace(std::wstring(control->GetName()), control);
}

void UIManagerCore::UnregisterControl(CControlUI* control) {
    if (!control) return;
    const auto [first, last] = m_names.equal_range(control->GetName());
    for (auto it = first; it != last; ++it)
        if (it->second == control) { m_names.erase(it); return; }
}

void UIManagerCore::RenameControl(CControlUI* control, std::wstring_view oldName) {
    const auto [first, last] = m_names.equal_range(oldName);
    for (auto it = first; it != last; ++it) {
        if (it->second == control) {
            m_names.erase(it);
            RegisterControl(control);  // only controls that were registered follow the rename
            return;
        }
    }
}

void UIManagerCore::ControlDestroyed(CControlUI* control) {
    UnregisterControl(control);
    if (m_hot == control) m_hot = nullptr;
    if (m_captured == control) m_captured = nullptr;
    if (m_focus == control) m_focus = nullptr;
    Host().ReleaseNativeControl(control);
}

void UIManagerCore::SetCursorShape(UICursor cursor) {
    m_cursorSet = true;
    Host().SetCursorShape(cursor);
}

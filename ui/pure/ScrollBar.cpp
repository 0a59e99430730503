#include "ui/pure/ScrollBar.h"

#include <algorithm>
#include <cstdint>
#include "ui/pure/Button.h"
#include "ui/pure/Container.h"
#include "ui/pure/ValueParse.h"

namespace {
const std::wstring_view kPartNames[] = {L"button1", L"button2", L"thumb", L"rail", L"bk"};
const std::wstring_view kStateNames[] = {L"normal", L"hot", L"pushed", L"disabled"};
}  // namespace

CScrollBarUI::CScrollBarUI() { m_fixed.cx = 16; }

std::wstring_view CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }

void* CScrollBarUI::GetInterface(std::wstring_view name) {
    if (name == L"ScrollBar") return static_cast<CScrollBarUI*>(this);
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (m_horizontal == horizontal) return;
    m_horizontal = horizontal;
    std::swap(m_fixed.cx, m_fixed.cy);
    NeedParentUpdate();
}

void CScrollBarUI::SetScrollRange(int range) {
    m_range = std::clamp(range, 0, kUIMaxExtent);
    m_pos = std::clamp(m_pos, 0, m_range);
    LayoutParts();
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, m_range);
    if (pos == m_pos) return;
    m_pos = pos;
    LayoutParts();
    Invalidate();
    if (m_owner) m_owner->NeedUpdate();  // the owner shifts its children
}

void CScrollBarUI::ScrollBy(int64_t delta) {
    SetScrollPos(static_cast<int>(std::clamp<int64_t>(int64_t{m_pos} + delta, 0, m_range)));
}

CUIString CScrollBarUI::GetPartImage(std::wstring_view part, std::wstring_view state) const {
    for (int p = 0; p < kPartCount; ++p)
        for (int s = 0; s < kStateCount; ++s)
            if (kPartNames[p] == part && kStateNames[s] == state) return m_images[p][s];
    return {};
}

void CScrollBarUI::SetPos(const UIRect& rect) {
    CControlUI::SetPos(rect);
    LayoutParts();
}

// Arrow buttons are squares at both ends; the thumb's length is the visible share of the
// track, its place the scroll position.
void CScrollBarUI::LayoutParts() {
    const UIRect& r = m_rcItem;
    const int thickness = m_horizontal ? r.height() : r.width();
    const int start = m_horizontal ? r.left : r.top;
    const int end = m_horizontal ? r.right : r.bottom;
    const int b1 = m_showButton1 ? std::min(thickness, (end - start) / 2) : 0;
    const int b2 = m_showButton2 ? std::min(thickness, (end - start) / 2) : 0;
    const auto span = [&](int a, int b) {
        return m_horizontal ? UIRect{a, r.top, b, r.bottom} : UIRect{r.left, a, r.right, b};
    };
    m_button1 = span(start, start + b1);
    m_button2 = span(end - b2, end);
    const int track = std::max(0, (end - b2) - (start + b1));
    if (m_range <= 0 || track <= 0) {
        m_thumb = {};
        return;
    }
    const int64_t page = track;
    int length = static_cast<int>(page * track / (page + m_range));
    length = std::min(track, std::max(length, std::min(track, std::max(thickness, 4))));
    const int offset = static_cast<int>(int64_t{track - length} * m_pos / m_range);
    m_thumb = span(start + b1 + offset, start + b1 + offset + length);
}

void CScrollBarUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    constexpr std::wstring_view kSuffix = L"image";
    if (name.size() > kSuffix.size() && name.substr(name.size() - kSuffix.size()) == kSuffix) {
        const std::wstring_view stem = name.substr(0, name.size() - kSuffix.size());
        for (int p = 0; p < kPartCount; ++p) {
            if (stem.substr(0, kPartNames[p].size()) != kPartNames[p]) continue;
            for (int s = 0; s < kStateCount; ++s) {
                if (stem.substr(kPartNames[p].size()) == kStateNames[s]) {
                    m_images[p][s] = CUIString(value);
                    Invalidate();
                    return;
                }
            }
        }
    }
    if (name == L"hor") SetHorizontal(ParseBool(value));
    else if (name == L"linesize") SetLineSize(ParseInt(value));
    else if (name == L"range") SetScrollRange(ParseInt(value));
    else if (name == L"value") SetScrollPos(ParseInt(value));
    else if (name == L"showbutton1") { m_showButton1 = ParseBool(value); LayoutParts(); }
    else if (name == L"showbutton2") { m_showButton2 = ParseBool(value); LayoutParts(); }
    else CControlUI::SetAttribute(name, value);
}

void CScrollBarUI::DoEvent(const UIEvent& event) {
    const UIPoint pt = event.ptMouse;
    switch (event.type) {
    case UIEventType::ButtonDown:
    case UIEventType::DblClick:
        if (!IsEnabled()) return;
        m_lastMouse = pt;
        if (m_button1.contains(pt)) { m_button1State |= UISTATE_PUSHED; ScrollBy(-int64_t{GetScale().Px(m_lineSize)}); }
        else if (m_button2.contains(pt)) { m_button2State |= UISTATE_PUSHED; ScrollBy(GetScale().Px(m_lineSize)); }
        else if (m_thumb.contains(pt)) { m_thumbState |= UISTATE_PUSHED | UISTATE_CAPTURED; m_dragStartPos = m_pos; }
        else if (!m_thumb.empty()) {  // the rail: a page towards the pointer
            const bool before = m_horizontal ? pt.x < m_thumb.left : pt.y < m_thumb.top;
            const int page = m_horizontal ? m_rcItem.width() : m_rcItem.height();
            ScrollBy(before ? -int64_t{page} : int64_t{page});
        }
        Invalidate();
        return;
    case UIEventType::MouseMove:
        if (m_thumbState & UISTATE_CAPTURED) {
            const int track = m_horizontal ? (m_button2.left - m_button1.right) : (m_button2.top - m_button1.bottom);
            const int length = m_horizontal ? m_thumb.width() : m_thumb.height();
            const int moved = m_horizontal ? pt.x - m_lastMouse.x : pt.y - m_lastMouse.y;
            if (track > length) ScrollBy(int64_t{m_dragStartPos} - m_pos + int64_t{moved} * m_range / (track - length));
        }
        {
            const unsigned hot1 = m_button1.contains(pt) ? UISTATE_HOT : 0u, hot2 = m_button2.contains(pt) ? UISTATE_HOT : 0u;
            const unsigned hotT = m_thumb.contains(pt) ? UISTATE_HOT : 0u;
            m_button1State = (m_button1State & ~UISTATE_HOT) | hot1;
            m_button2State = (m_button2State & ~UISTATE_HOT) | hot2;
            m_thumbState = (m_thumbState & ~UISTATE_HOT) | hotT;
        }
        Invalidate();
        return;
    case UIEventType::ButtonUp:
    case UIEventType::CaptureLost:
        m_button1State &= ~UISTATE_PUSHED;
        m_button2State &= ~UISTATE_PUSHED;
        m_thumbState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        Invalidate();
        return;
    case UIEventType::MouseLeave:
        m_button1State &= ~UISTATE_HOT;
        m_button2State &= ~UISTATE_HOT;
        m_thumbState &= ~UISTATE_HOT;
        Invalidate();
        return;
    case UIEventType::ScrollWheel:
        ScrollBy(-int64_t{event.wheelDelta} / 120 * 3 * GetScale().Px(m_lineSize));
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

unsigned CScrollBarUI::PartStateOf(Part part) const {
    switch (part) {
    case kButton1: return m_button1State;
    case kButton2: return m_button2State;
    case kThumb: case kRail: return m_thumbState;
    default: return 0;
    }
}

void CScrollBarUI::PaintPart(IRenderTarget& target, Part part, const UIRect& rect, unsigned state) {
    if (rect.empty()) return;
    const CUIString* images = m_images[part];
    int choice = kNormal;
    if (!IsEnabled()) choice = kDisabled;
    else if (state & UISTATE_PUSHED) choice = kPushed;
    else if (state & UISTATE_HOT) choice = kHot;
    const CUIString& image = images[choice].empty() ? images[kNormal] : images[choice];
    if (!image.empty() && !target.DrawImage(rect, m_rcPaint, image) && choice != kNormal && !images[kNormal].empty())
        target.DrawImage(rect, m_rcPaint, images[kNormal]);
}

void CScrollBarUI::DoPaint(IRenderTarget& target, const UIRect& paintRect) {
    CControlUI::DoPaint(target, paintRect);
    if (m_rcPaint.empty()) return;
    PaintPart(target, kBk, m_rcItem, 0);
    if (m_showButton1) PaintPart(target, kButton1, m_button1, PartStateOf(kButton1));
    if (m_showButton2) PaintPart(target, kButton2, m_button2, PartStateOf(kButton2));
    PaintPart(target, kThumb, m_thumb, PartStateOf(kThumb));
    PaintPart(target, kRail, m_thumb, PartStateOf(kRail));
}

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

CScrollBarUI::CScrollBarUI() { fixed_.cx = 16; }

std::wstring_view CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }

void* CScrollBarUI::GetInterface(std::wstring_view name) {
    if (name == L"ScrollBar") return static_cast<CScrollBarUI*>(this);
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (horizontal_ == horizontal) return;
    horizontal_ = horizontal;
    std::swap(fixed_.cx, fixed_.cy);
    NeedParentUpdate();
}

void CScrollBarUI::SetScrollRange(int range) {
    range_ = std::clamp(range, 0, kUIMaxExtent);
    pos_ = std::clamp(pos_, 0, range_);
    LayoutParts();
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, range_);
    if (pos == pos_) return;
    pos_ = pos;
    LayoutParts();
    Invalidate();
    if (owner_) owner_->NeedUpdate();  // the owner shifts its children
}

void CScrollBarUI::ScrollBy(int64_t delta) {
    SetScrollPos(static_cast<int>(std::clamp<int64_t>(int64_t{pos_} + delta, 0, range_)));
}

CUIString CScrollBarUI::GetPartImage(std::wstring_view part, std::wstring_view state) const {
    for (int p = 0; p < kPartCount; ++p)
        for (int s = 0; s < kStateCount; ++s)
            if (kPartNames[p] == part && kStateNames[s] == state) return images_[p][s];
    return {};
}

void CScrollBarUI::SetPos(const UIRect& rect) {
    CControlUI::SetPos(rect);
    LayoutParts();
}

// Arrow buttons are squares at both ends; the thumb's length is the visible share of the
// track, its place the scroll position.
void CScrollBarUI::LayoutParts() {
    const UIRect& r = rcItem_;
    const int thickness = horizontal_ ? r.height() : r.width();
    const int start = horizontal_ ? r.left : r.top;
    const int end = horizontal_ ? r.right : r.bottom;
    const int b1 = showButton1_ ? std::min(thickness, (end - start) / 2) : 0;
    const int b2 = showButton2_ ? std::min(thickness, (end - start) / 2) : 0;
    const auto span = [&](int a, int b) {
        return horizontal_ ? UIRect{a, r.top, b, r.bottom} : UIRect{r.left, a, r.right, b};
    };
    button1_ = span(start, start + b1);
    button2_ = span(end - b2, end);
    const int track = std::max(0, (end - b2) - (start + b1));
    if (range_ <= 0 || track <= 0) {
        thumb_ = {};
        return;
    }
    const int64_t page = track;
    int length = static_cast<int>(page * track / (page + range_));
    length = std::min(track, std::max(length, std::min(track, std::max(thickness, 4))));
    const int offset = static_cast<int>(int64_t{track - length} * pos_ / range_);
    thumb_ = span(start + b1 + offset, start + b1 + offset + length);
}

void CScrollBarUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    constexpr std::wstring_view kSuffix = L"image";
    if (name.size() > kSuffix.size() && name.substr(name.size() - kSuffix.size()) == kSuffix) {
        const std::wstring_view stem = name.substr(0, name.size() - kSuffix.size());
        for (int p = 0; p < kPartCount; ++p) {
            if (stem.substr(0, kPartNames[p].size()) != kPartNames[p]) continue;
            for (int s = 0; s < kStateCount; ++s) {
                if (stem.substr(kPartNames[p].size()) == kStateNames[s]) {
                    images_[p][s] = CUIString(value);
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
    else if (name == L"showbutton1") { showButton1_ = ParseBool(value); LayoutParts(); }
    else if (name == L"showbutton2") { showButton2_ = ParseBool(value); LayoutParts(); }
    else CControlUI::SetAttribute(name, value);
}

void CScrollBarUI::DoEvent(const UIEvent& event) {
    const UIPoint pt = event.ptMouse;
    switch (event.type) {
    case UIEventType::ButtonDown:
    case UIEventType::DblClick:
        if (!IsEnabled()) return;
        lastMouse_ = pt;
        if (button1_.contains(pt)) { button1State_ |= UISTATE_PUSHED; ScrollBy(-int64_t{GetScale().Px(lineSize_)}); }
        else if (button2_.contains(pt)) { button2State_ |= UISTATE_PUSHED; ScrollBy(GetScale().Px(lineSize_)); }
        else if (thumb_.contains(pt)) { thumbState_ |= UISTATE_PUSHED | UISTATE_CAPTURED; dragStartPos_ = pos_; }
        else if (!thumb_.empty()) {  // the rail: a page towards the pointer
            const bool before = horizontal_ ? pt.x < thumb_.left : pt.y < thumb_.top;
            const int page = horizontal_ ? rcItem_.width() : rcItem_.height();
            ScrollBy(before ? -int64_t{page} : int64_t{page});
        }
        Invalidate();
        return;
    case UIEventType::MouseMove:
        if (thumbState_ & UISTATE_CAPTURED) {
            const int track = horizontal_ ? (button2_.left - button1_.right) : (button2_.top - button1_.bottom);
            const int length = horizontal_ ? thumb_.width() : thumb_.height();
            const int moved = horizontal_ ? pt.x - lastMouse_.x : pt.y - lastMouse_.y;
            if (track > length) ScrollBy(int64_t{dragStartPos_} - pos_ + int64_t{moved} * range_ / (track - length));
        }
        {
            const unsigned hot1 = button1_.contains(pt) ? UISTATE_HOT : 0u, hot2 = button2_.contains(pt) ? UISTATE_HOT : 0u;
            const unsigned hotT = thumb_.contains(pt) ? UISTATE_HOT : 0u;
            button1State_ = (button1State_ & ~UISTATE_HOT) | hot1;
            button2State_ = (button2State_ & ~UISTATE_HOT) | hot2;
            thumbState_ = (thumbState_ & ~UISTATE_HOT) | hotT;
        }
        Invalidate();
        return;
    case UIEventType::ButtonUp:
    case UIEventType::CaptureLost:
        button1State_ &= ~UISTATE_PUSHED;
        button2State_ &= ~UISTATE_PUSHED;
        thumbState_ &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        Invalidate();
        return;
    case UIEventType::MouseLeave:
        button1State_ &= ~UISTATE_HOT;
        button2State_ &= ~UISTATE_HOT;
        thumbState_ &= ~UISTATE_HOT;
        Invalidate();
        return;
    case UIEventType::ScrollWheel:
        ScrollBy(-int64_t{event.wheelDelta} / 120 * 3 * GetScale().Px(lineSize_));
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

unsigned CScrollBarUI::PartStateOf(Part part) const {
    switch (part) {
    case kButton1: return button1State_;
    case kButton2: return button2State_;
    case kThumb: case kRail: return thumbState_;
    default: return 0;
    }
}

void CScrollBarUI::PaintPart(IRenderTarget& target, Part part, const UIRect& rect, unsigned state) {
    if (rect.empty()) return;
    const CUIString* images = images_[part];
    int choice = kNormal;
    if (!IsEnabled()) choice = kDisabled;
    else if (state & UISTATE_PUSHED) choice = kPushed;
    else if (state & UISTATE_HOT) choice = kHot;
    const CUIString& image = images[choice].empty() ? images[kNormal] : images[choice];
    if (!image.empty() && !target.DrawImage(rect, rcPaint_, image) && choice != kNormal && !images[kNormal].empty())
        target.DrawImage(rect, rcPaint_, images[kNormal]);
}

void CScrollBarUI::DoPaint(IRenderTarget& target, const UIRect& paintRect) {
    CControlUI::DoPaint(target, paintRect);
    if (rcPaint_.empty()) return;
    PaintPart(target, kBk, rcItem_, 0);
    if (showButton1_) PaintPart(target, kButton1, button1_, PartStateOf(kButton1));
    if (showButton2_) PaintPart(target, kButton2, button2_, PartStateOf(kButton2));
    PaintPart(target, kThumb, thumb_, PartStateOf(kThumb));
    PaintPart(target, kRail, thumb_, PartStateOf(kRail));
}

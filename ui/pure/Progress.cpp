#include "ui/pure/Progress.h"

#include <climits>
#include <cstdint>
#include <string>
#include "ui/pure/ImageDescription.h"
#include "ui/pure/ValueParse.h"

CProgressUI::CProgressUI() { textStyle_ = UI_DT_SINGLELINE | UI_DT_CENTER | UI_DT_VCENTER; }

std::wstring_view CProgressUI::GetClass() const { return L"ProgressUI"; }

void* CProgressUI::GetInterface(std::wstring_view name) {
    if (name == L"Progress") return static_cast<CProgressUI*>(this);
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal) { horizontal_ = horizontal; Invalidate(); }
void CProgressUI::SetStretchForeImage(bool stretch) { stretchForeImage_ = stretch; Invalidate(); }

void CProgressUI::SetMinValue(int min) {
    min_ = min == INT_MAX ? INT_MAX - 1 : min;  // room for max = min + 1
    if (max_ <= min_) max_ = min_ + 1;
    SetValue(value_);
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    max_ = max <= min_ ? min_ + 1 : max;
    SetValue(value_);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    if (value < min_) value = min_;
    if (value > max_) value = max_;
    if (value == value_) return;
    value_ = value;
    Invalidate();
    RaiseAccessible(UIAccEvent::ValueChange);
}

CUIString CProgressUI::GetAccessibleValue() const {
    const int64_t percent = (int64_t{value_} - min_) * 100 / (int64_t{max_} - min_);
    return CUIString(std::to_wstring(percent)) + L'%';
}

UIRect CProgressUI::GetFillRect() const {
    const int64_t span = int64_t{max_} - min_, done = int64_t{value_} - min_;
    const int w = rcItem_.width(), h = rcItem_.height();
    if (horizontal_) return {0, 0, static_cast<int>(w * done / span), h};
    const int filled = static_cast<int>(h * done / span);
    return {0, h - filled, w, h};
}

void CProgressUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"hor") SetHorizontal(ParseBool(value));
    else if (name == L"min") SetMinValue(ParseInt(value));
    else if (name == L"max") SetMaxValue(ParseInt(value));
    else if (name == L"value") SetValue(ParseInt(value));
    else if (name == L"isstretchfore") SetStretchForeImage(ParseBool(value));
    else if (name == L"foreimage") SetForeImage(value);
    else CLabelUI::SetAttribute(name, value);
}

// The fore image goes into the filled part: stretched over it, or cut from the same
// rectangle of the image so that the image keeps its own scale. The filled part is in
// device pixels, so it is handed over as the rectangle to draw into rather than as a
// "dest" (which counts in markup pixels); the cut, in pixels of the image as written,
// goes back to markup pixels.
// In high contrast the bar is drawn in the system's colours, its track as an outline and
// the part done in the highlight colour: the skin's gradient would hide how far it is.
void CProgressUI::PaintBkImage(IRenderTarget& target) {
    const UIPalette& palette = GetPalette();
    if (!palette.highContrast) {
        CLabelUI::PaintBkImage(target);
        return;
    }
    target.FillRect(rcPaint_, palette.window);
    target.DrawBorder(rcItem_, GetScale().Line(1), palette.windowText, {});
}

void CProgressUI::PaintStatusImage(IRenderTarget& target) {
    const UIRect fill = GetFillRect();
    if (fill.empty()) return;
    if (GetPalette().highContrast) {
        const UIRect done{rcItem_.left + fill.left, rcItem_.top + fill.top, rcItem_.left + fill.right,
                          rcItem_.top + fill.bottom};
        const UIRect paint = UIIntersect(rcPaint_, done);
        if (!paint.empty()) target.FillRect(paint, GetPalette().ProgressFill());
        return;
    }
    if (foreImage_.empty()) return;
    ImageDescription d = ParseImageDescription(foreImage_);
    if (!stretchForeImage_) {
        const UIScale scale = GetScale();
        const UIRect& s = d.source;
        d.source = {s.left + scale.ToMarkup(fill.left), s.top + scale.ToMarkup(fill.top),
                    s.left + scale.ToMarkup(fill.right), s.top + scale.ToMarkup(fill.bottom)};
    }
    d.dest = {};
    d.hasDest = false;
    const UIRect into{rcItem_.left + fill.left, rcItem_.top + fill.top, rcItem_.left + fill.right,
                      rcItem_.top + fill.bottom};
    const UIRect paint = UIIntersect(rcPaint_, into);
    if (!paint.empty()) target.DrawImage(into, paint, FormatImageDescription(d));
}

#include "ui/pure/Progress.h"

#include <climits>
#include <cstdint>
#include "ui/pure/ImageDescription.h"
#include "ui/pure/ValueParse.h"

CProgressUI::CProgressUI() { m_textStyle = UI_DT_SINGLELINE | UI_DT_CENTER | UI_DT_VCENTER; }

std::wstring_view CProgressUI::GetClass() const { return L"ProgressUI"; }

void* CProgressUI::GetInterface(std::wstring_view name) {
    if (name == L"Progress") return static_cast<CProgressUI*>(this);
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal) { m_horizontal = horizontal; Invalidate(); }
void CProgressUI::SetStretchForeImage(bool stretch) { m_stretchForeImage = stretch; Invalidate(); }

void CProgressUI::SetMinValue(int min) {
    m_min = min == INT_MAX ? INT_MAX - 1 : min;  // room for max = min + 1
    if (m_max <= m_min) m_max = m_min + 1;
    SetValue(m_value);
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    m_max = max <= m_min ? m_min + 1 : max;
    SetValue(m_value);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    if (value < m_min) value = m_min;
    if (value > m_max) value = m_max;
    if (value == m_value) return;
    m_value = value;
    Invalidate();
}

UIRect CProgressUI::GetFillRect() const {
    const int64_t span = int64_t{m_max} - m_min, done = int64_t{m_value} - m_min;
    const int w = m_rcItem.width(), h = m_rcItem.height();
    if (m_horizontal) return {0, 0, static_cast<int>(w * done / span), h};
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
void CProgressUI::PaintStatusImage(IRenderTarget& target) {
    if (m_foreImage.empty()) return;
    const UIRect fill = GetFillRect();
    if (fill.empty()) return;
    ImageDescription d = ParseImageDescription(m_foreImage);
    if (!m_stretchForeImage) {
        const UIScale scale = GetScale();
        const UIRect& s = d.source;
        d.source = {s.left + scale.ToMarkup(fill.left), s.top + scale.ToMarkup(fill.top),
                    s.left + scale.ToMarkup(fill.right), s.top + scale.ToMarkup(fill.bottom)};
    }
    d.dest = {};
    d.hasDest = false;
    const UIRect into{m_rcItem.left + fill.left, m_rcItem.top + fill.top, m_rcItem.left + fill.right,
                      m_rcItem.top + fill.bottom};
    const UIRect paint = UIIntersect(m_rcPaint, into);
    if (!paint.empty()) target.DrawImage(into, paint, FormatImageDescription(d));
}

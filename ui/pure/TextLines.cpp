#include "ui/pure/TextLines.h"

#include <algorithm>
#include "ui/pure/Render.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; }

// Characters that are laid out one by one: Chinese, Japanese and Korean scripts, their
// punctuation and the full-width forms.
bool IsIdeographic(wchar_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Punctuation that closes: it never starts a line.
bool NeverStartsLine(wchar_t c) {
    static constexpr std::wstring_view kClosing =
        L"，。、；：？！）》」』】〕〉”’…—·．％,.;:?!)]}%\u30FC\u3005\u309D\u309E\u30FD\u30FE";
    return kClosing.find(c) != std::wstring_view::npos;
}

// Punctuation that opens: it never ends a line.
bool NeverEndsLine(wchar_t c) {
    static constexpr std::wstring_view kOpening = L"（《「『【〔〈“‘([{";
    return kOpening.find(c) != std::wstring_view::npos;
}

// May a line break between text[i - 1] and text[i]?
bool MayBreakBefore(std::wstring_view text, size_t i) {
    if (i == 0 || i >= text.size()) return false;
    const wchar_t before = text[i - 1], after = text[i];
    if (IsBlank(after)) return false;  // blanks stay at the end of the line they follow
    if (NeverStartsLine(after) || NeverEndsLine(before)) return false;
    if (IsBlank(before)) return true;
    return IsIdeographic(before) || IsIdeographic(after);
}

std::wstring_view TrimBlanks(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Breaks one paragraph (no line ends inside) into `out`.
void BreakParagraph(std::wstring_view text, int width, const UITextMeasure& measure,
                    std::vector<std::wstring_view>& out) {
    while (!text.empty()) {
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
        if (text.empty()) return;
        if (measure(TrimBlanks(text)) <= width) {
            out.push_back(TrimBlanks(text));
            return;
        }
        // The longest piece ending at a break that fits; failing that, the longest piece
        // of whole characters that fits (at least one).
        size_t end = 0;
        for (size_t i = 1; i < text.size(); ++i) {
            if (!MayBreakBefore(text, i)) continue;
            if (measure(TrimBlanks(text.substr(0, i))) > width) break;
            end = i;
        }
        if (end == 0) {
            end = 1;
            while (end < text.size() && measure(text.substr(0, end + 1)) <= width) ++end;
            // A surrogate pair stays whole.
            if (end < text.size() && text[end] >= 0xDC00 && text[end] <= 0xDFFF) ++end;
        }
        out.push_back(TrimBlanks(text.substr(0, end)));
        text.remove_prefix(end);
    }
}

}  // namespace

std::vector<std::wstring_view> BreakTextLines(std::wstring_view text, int width, const UITextMeasure& measure) {
    std::vector<std::wstring_view> lines;
    while (true) {
        const size_t newline = text.find(L'\n');
        std::wstring_view paragraph = text.substr(0, newline);
        if (!paragraph.empty() && paragraph.back() == L'\r') paragraph.remove_suffix(1);
        const size_t before = lines.size();
        BreakParagraph(paragraph, width, measure, lines);
        if (lines.size() == before) lines.push_back(std::wstring_view());  // an empty line keeps its place
        if (newline == std::wstring_view::npos) break;
        text.remove_prefix(newline + 1);
    }
    return lines;
}

std::vector<UITextLine> LayoutTextLines(std::wstring_view text, const UIRect& rect, unsigned style, int lineHeight,
                                        const UITextMeasure& measure) {
    const std::vector<std::wstring_view> lines = BreakTextLines(text, rect.width(), measure);
    lineHeight = std::max(1, lineHeight);
    const int total = lineHeight * static_cast<int>(lines.size());
    int top = rect.top;
    if (style & UI_DT_BOTTOM) top = rect.bottom - total;
    else if (style & UI_DT_VCENTER) top = rect.top + (rect.height() - total) / 2;
    std::vector<UITextLine> out;
    out.reserve(lines.size());
    for (std::wstring_view line : lines) {
        out.push_back({line, UIRect{rect.left, top, rect.right, top + lineHeight}});
        top += lineHeight;
    }
    return out;
}

int LinesThatFit(int height, int lineHeight) {
    return lineHeight <= 0 ? 1 : std::max(1, height / lineHeight);
}

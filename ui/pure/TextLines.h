#pragma once
// Lines of a text that does not fit on one line, broken the way Windows breaks Chinese
// text: between any two Chinese characters (or kana, hangul, full-width forms), after a
// blank, and where a Latin word meets a Chinese character; never inside a Latin word
// unless that word alone is wider than the line; a line never starts with closing
// punctuation ("，。、）》" and the like) nor ends with opening punctuation ("（《“"), which
// go with their neighbour instead. Explicit line ends ("\n", "\r\n") always break.
#include <functional>
#include <string_view>
#include <vector>
#include "ui/pure/Geometry.h"

// The width in device pixels of a piece of text in the font being laid out.
using UITextMeasure = std::function<int(std::wstring_view text)>;

// The lines of `text` no wider than `width` (a line of one character may be wider).
// Blanks at the ends of lines are dropped.
std::vector<std::wstring_view> BreakTextLines(std::wstring_view text, int width, const UITextMeasure& measure);

// One line of a laid-out text and where it goes.
struct UITextLine {
    std::wstring_view text;
    UIRect rect;  // one line high, as wide as the text rectangle
};

// The lines of `text` in `rect` with the text style's vertical alignment (UI_DT_TOP,
// UI_DT_VCENTER, UI_DT_BOTTOM) and lines `lineHeight` high. The block may be higher than
// `rect`; it is then aligned all the same (centred lines overflow both ways).
std::vector<UITextLine> LayoutTextLines(std::wstring_view text, const UIRect& rect, unsigned style, int lineHeight,
                                        const UITextMeasure& measure);

// How many lines of `lineHeight` a rectangle of `height` shows (at least one).
int LinesThatFit(int height, int lineHeight);

// Text too wide for its label: broken between Chinese characters and after blanks, Latin
// words kept whole unless alone too wide, closing and opening punctuation kept with their
// neighbours; and a label draws the lines centred as a block.
#include "TestSupport.h"
#include "ui/pure/TextLines.h"

namespace {

// Latin 7 pixels a character, everything else 14 (a Chinese font at 14 pixels).
int Measure(std::wstring_view text) {
    int width = 0;
    for (wchar_t c : text) width += c < 0x80 ? 7 : 14;
    return width;
}

std::vector<std::wstring> Lines(std::wstring_view text, int width) {
    std::vector<std::wstring> out;
    for (std::wstring_view line : BreakTextLines(text, width, Measure)) out.emplace_back(line);
    return out;
}

struct BreakCase {
    const wchar_t* text;
    int width;
    std::vector<std::wstring> lines;
};

TEST(TextLines, BreakTable) {
    const BreakCase cases[] = {
        {L"您的VexmoraZevlo邮箱正在运行", 400, {L"您的VexmoraZevlo邮箱正在运行"}},
        // between Chinese characters, and where a Latin word meets one
        {L"您的VexmoraZevlo邮箱正在运行", 140, {L"您的VexmoraZevlo邮箱", L"正在运行"}},
        {L"您的VexmoraZevlo邮箱正在运行", 100, {L"您的", L"VexmoraZevlo邮", L"箱正在运行"}},
        // a comma never starts a line: it goes with the character before it
        {L"正在运行，请先退出", 56, {L"正在运", L"行，请先", L"退出"}},
        // an opening mark never ends a line
        {L"已阅读《许可协议》", 56, {L"已阅读", L"《许可协", L"议》"}},
        // Latin words break after blanks, which are dropped at the line ends
        {L"Program Files folder", 100, {L"Program Files", L"folder"}},
        // a word alone too wide for the line is broken between its characters
        {L"abcdefghij", 30, {L"abcd", L"efgh", L"ij"}},
        // explicit line ends, an empty line kept
        {L"一\r\n\n二", 100, {L"一", L"", L"二"}},
        // narrower than one character: one character a line all the same
        {L"安装", 5, {L"安", L"装"}},
    };
    for (const BreakCase& c : cases) EXPECT_EQ(Lines(c.text, c.width), c.lines) << Narrow(c.text) << " " << c.width;
}

TEST(TextLines, LayoutAlignsTheBlock) {
    const auto lines = LayoutTextLines(L"正在运行请先退出", {10, 100, 66, 160}, UI_DT_VCENTER, 20, Measure);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rect, (UIRect{10, 110, 66, 130}));
    EXPECT_EQ(lines[1].rect, (UIRect{10, 130, 66, 150}));
    const auto bottom = LayoutTextLines(L"正在运行请先退出", {10, 100, 66, 160}, UI_DT_BOTTOM, 20, Measure);
    EXPECT_EQ(bottom[1].rect.bottom, 160);
    const auto top = LayoutTextLines(L"正在运行请先退出", {10, 100, 66, 160}, UI_DT_TOP, 20, Measure);
    EXPECT_EQ(top[0].rect.top, 100);
    EXPECT_EQ(LinesThatFit(40, 19), 2);
    EXPECT_EQ(LinesThatFit(14, 19), 1);
}

TEST(TextLines, ALabelTooNarrowDrawsOneLineAtATime) {
    // The recording target measures 7 pixels a character and lines 14 high.
    TestWindow w(R"(<Window><VerticalLayout><Label name="l" width="60" height="40" text="您的邮箱正在运行，请先退出"/>
                    <Label name="fits" width="200" height="20" text="您的邮箱正在运行"/>
                    <Label name="one" width="60" height="40" singleline="true" text="您的邮箱正在运行，请先退出"/></VerticalLayout></Window>)",
                 {0, 0, 300, 300});
    RecordingTarget target;
    w.core.Paint(target, w.host.client);
    std::vector<RecordingTarget::Call> texts;
    for (const auto& c : target.calls)
        if (c.kind == "text") texts.push_back(c);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, L"您的邮箱正在运");  // 8 would fit, but the comma may not start a line
    EXPECT_EQ(texts[1].text, L"行，请先退出");
    EXPECT_EQ(texts[0].rect, (UIRect{0, 6, 60, 20}));
    EXPECT_EQ(texts[1].rect, (UIRect{0, 20, 60, 34}));
    EXPECT_EQ(texts[2].text, L"您的邮箱正在运行");  // fits: drawn whole in its rectangle
    EXPECT_EQ(texts[2].rect, (UIRect{0, 40, 200, 60}));
    EXPECT_EQ(texts[3].rect, (UIRect{0, 60, 60, 100}));  // single-line: never broken
}

}  // namespace

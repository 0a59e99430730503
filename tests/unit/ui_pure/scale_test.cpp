// The window's scale: markup lengths become device pixels (rounded to the nearest, halves
// away from zero), the box layouts flow the scaled sizes and give what rounding leaves to
// the last adjustable child, images and their corners follow two scales, and the image
// drawn for the nearest scale above the window's is chosen.
#include <array>
#include "TestSupport.h"
#include "ui/pure/CaptionHitTest.h"
#include "ui/pure/ImageGeometry.h"
#include "ui/pure/ImageResample.h"
#include "ui/pure/ImageScale.h"

namespace {

TEST(UIScaleRounding, HalvesGoAwayFromZeroAndALineStaysALine) {
    struct Row { int dpi, markup, px; };
    const Row rows[] = {
        {96, 17, 17}, {144, 17, 26}, {144, -17, -26}, {144, 1, 2}, {144, 0, 0}, {120, 3, 4},
        {120, 5, 6}, {120, 15, 19}, {192, 218, 436}, {168, 580, 1015}, {144, 9999, 14999},
    };
    for (const Row& r : rows) EXPECT_EQ(UIScale::ForDpi(r.dpi).Px(r.markup), r.px) << r.dpi << " " << r.markup;
    EXPECT_EQ(UIScale::ForDpi(48).Line(1), 1);
    EXPECT_EQ(UIScale::ForDpi(72).Line(1), 1);
    EXPECT_EQ(UIScale::ForDpi(144).Line(0), 0);
    EXPECT_EQ(UIScale::ForDpi(0).dpi, 96);     // not a screen
    EXPECT_EQ(UIScale::ForDpi(4000).dpi, 96);
    EXPECT_EQ(UIScale::ForDpi(144).ToMarkup(185), 123);
    EXPECT_EQ(UIScale::ForDpi(144).Px(UIRect{5, 3, 7, 2}), (UIRect{8, 5, 11, 3}));
}

struct Expect {
    const wchar_t* name;
    UIRect rect;
};

struct ScaledCase {
    const char* title;
    int dpi;
    const char* body;  // inside <Window>
    UIRect client;     // device pixels
    std::vector<Expect> expected;
};

void PrintTo(const ScaledCase& c, std::ostream* os) { *os << c.title; }

class ScaledLayout : public ::testing::TestWithParam<ScaledCase> {};

TEST_P(ScaledLayout, PlacesEveryChildInDevicePixels) {
    const ScaledCase& c = GetParam();
    TestWindow w(std::string("<Window>") + c.body + "</Window>", c.client, c.dpi);
    for (const Expect& e : c.expected) {
        CControlUI* control = w.core.FindControl(e.name);
        ASSERT_TRUE(control) << Narrow(e.name);
        EXPECT_EQ(control->GetPos(), e.rect) << c.title << ": " << Narrow(e.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ScaledLayout, ::testing::Values(
    ScaledCase{"150 %: an odd 17 becomes 26; the two adjustables share 125 as 62 and 63", 144,
        R"(<VerticalLayout><Control name="a" height="17"/><Control name="b"/><Control name="c"/></VerticalLayout>)",
        {0, 0, 100, 151}, {{L"a", {0, 0, 100, 26}}, {L"b", {0, 26, 100, 88}}, {L"c", {0, 88, 100, 151}}}},
    ScaledCase{"125 %: 15 rounds to 19; the last adjustable takes the remainder", 120,
        R"(<VerticalLayout><Control name="a" height="15"/><Control name="b"/><Control name="c"/></VerticalLayout>)",
        {0, 0, 80, 100}, {{L"a", {0, 0, 80, 19}}, {L"b", {0, 19, 80, 59}}, {L"c", {0, 59, 80, 100}}}},
    ScaledCase{"150 %: each side of a padding rounds on its own and pushes the next child", 144,
        R"(<VerticalLayout><Control name="a" height="20" padding="5,3,7,2"/><Control name="b" height="10" width="30"/></VerticalLayout>)",
        {0, 0, 150, 150}, {{L"a", {8, 5, 139, 35}}, {L"b", {0, 38, 45, 53}}}},
    ScaledCase{"150 %: inset and childpadding", 144,
        R"(<VerticalLayout inset="10,20,30,40" childpadding="5"><Control name="a" height="10"/><Control name="b"/></VerticalLayout>)",
        {0, 0, 300, 300}, {{L"a", {15, 30, 255, 45}}, {L"b", {15, 53, 255, 240}}}},
    ScaledCase{"200 %: springs centre a fixed child; the last spring takes the odd pixel", 192,
        R"(<HorizontalLayout><Control name="l"/><Button name="start" width="218" height="50"/><Control name="r"/></HorizontalLayout>)",
        {0, 0, 1161, 120}, {{L"l", {0, 0, 362, 120}}, {L"start", {362, 0, 798, 100}}, {L"r", {798, 0, 1161, 120}}}},
    ScaledCase{"150 %: limits are scaled as well", 144,
        R"(<HorizontalLayout><Control name="a" maxwidth="21"/><Control name="b" minwidth="141"/><Control name="c"/></HorizontalLayout>)",
        {0, 0, 300, 30}, {{L"a", {0, 0, 32, 30}}, {L"b", {32, 0, 244, 30}}, {L"c", {244, 0, 300, 30}}}},
    ScaledCase{"150 %: the quick-install row of the main window", 144,
        R"(<VerticalLayout><VerticalLayout height="250"/>
             <VerticalLayout name="defaultinstall" height="100">
               <HorizontalLayout name="row" height="50" padding="0,20,0,5"><Control/><Button name="start" width="218" height="50"/><Control/></HorizontalLayout>
               <HorizontalLayout name="row2"><Control/><Label name="lbl" width="60" height="30"/><Label name="path" width="300" height="30"/><Control/></HorizontalLayout>
             </VerticalLayout></VerticalLayout>)",
        {0, 0, 870, 600},
        {{L"defaultinstall", {0, 375, 870, 525}}, {L"row", {0, 405, 870, 480}}, {L"start", {271, 405, 598, 480}},
         {L"row2", {0, 488, 870, 525}}, {L"lbl", {165, 488, 255, 533}}, {L"path", {255, 488, 705, 533}}}}));

TEST(ScaledWindow, SizeCaptionAndSizeBoxAreScaled) {
    TestWindow w(R"(<Window size="580,400" caption="0,0,0,30" sizebox="4,4,4,4"><Control name="strip"/></Window>)",
                 {0, 0, 870, 600}, 144);
    EXPECT_EQ(w.host.resized.cx, 870);
    EXPECT_EQ(w.host.resized.cy, 600);
    EXPECT_EQ(w.core.GetCaptionRect(), (UIRect{0, 0, 0, 30}));  // as written
    EXPECT_EQ(w.core.GetScaledCaptionRect(), (UIRect{0, 0, 0, 45}));
    EXPECT_EQ(CaptionHitTest(w.core, w.host.client, {300, 44}, false), UI_HTCAPTION);
    EXPECT_EQ(CaptionHitTest(w.core, w.host.client, {300, 45}, false), UI_HTCLIENT);
    EXPECT_EQ(CaptionHitTest(w.core, w.host.client, {5, 300}, false), UI_HTLEFT);  // inside the 6-pixel box
    EXPECT_EQ(CaptionHitTest(w.core, w.host.client, {6, 300}, false), UI_HTCLIENT);
}

TEST(ScaledWindow, AChangeOfScaleLaysTheTreeOutAgain) {
    TestWindow w(R"(<Window><VerticalLayout><Control name="a" height="40"/><Control name="b"/></VerticalLayout></Window>)",
                 {0, 0, 100, 100});
    EXPECT_EQ(w.Find(L"a")->GetPos(), (UIRect{0, 0, 100, 40}));
    w.core.SetScale(UIScale::ForDpi(192));
    EXPECT_TRUE(w.core.IsUpdateNeeded());
    w.host.client = {0, 0, 200, 200};
    RecordingTarget target;
    w.core.Paint(target, w.host.client);
    EXPECT_EQ(w.Find(L"a")->GetPos(), (UIRect{0, 0, 200, 80}));
    EXPECT_EQ(w.Find(L"b")->GetPos(), (UIRect{0, 80, 200, 200}));
}

TEST(ScaledWindow, TextPaddingAndBordersAreScaled) {
    TestWindow w(R"(<Window><VerticalLayout><Label name="l" height="30" text="abc" textpadding="10,5,0,0"
                    bordersize="1" bordercolor="#FF000000"/></VerticalLayout></Window>)",
                 {0, 0, 300, 300}, 144);
    RecordingTarget target;
    w.core.Paint(target, w.host.client);
    const auto text = std::find_if(target.calls.begin(), target.calls.end(), [](auto& c) { return c.kind == "text"; });
    ASSERT_NE(text, target.calls.end());
    EXPECT_EQ(text->rect, (UIRect{15, 8, 300, 45}));
}

TEST(ImageScaleChoice, TheSameScaleElseTheSmallestLargerElseTheLargest) {
    struct Row { int window; std::vector<int> available; int chosen; };
    const Row rows[] = {
        {96, {96, 144, 192}, 96}, {120, {96, 144, 192}, 144}, {144, {96, 144, 192}, 144}, {144, {96, 192}, 192},
        {168, {96, 144, 192}, 192}, {192, {96, 144, 192}, 192}, {240, {96, 144, 192}, 192}, {192, {96}, 96},
        {96, {192, 144}, 144}, {144, {}, 96},
    };
    for (const Row& r : rows) EXPECT_EQ(ChooseImageDpi(r.window, r.available), r.chosen) << r.window;
    EXPECT_EQ(ImageDpiPreference(120), (std::vector<int>{144, 192, 96}));
    EXPECT_EQ(ImageDpiPreference(96), (std::vector<int>{96, 144, 192}));
    EXPECT_EQ(ImageDpiPreference(192), (std::vector<int>{192, 144, 96}));
}

TEST(ImageScaleNames, IdsAndFilesOfEachScale) {
    EXPECT_EQ(ScaledImageId(273, 96), 273u);
    EXPECT_EQ(ScaledImageId(273, 144), 15273u);
    EXPECT_EQ(ScaledImageId(273, 192), 20273u);
    EXPECT_EQ(ScaledImageId(4999, 192), 24999u);
    EXPECT_FALSE(ScaledImageId(5000, 192));
    EXPECT_FALSE(ScaledImageId(0, 192));
    EXPECT_FALSE(ScaledImageId(273, 120));
    EXPECT_EQ(ScaledImageFile(L"res\\shadow.png", 192), L"res\\shadow@2x.png");
    EXPECT_EQ(ScaledImageFile(L"res\\shadow.png", 144), L"res\\shadow@1.5x.png");
    EXPECT_EQ(ScaledImageFile(L"skin.d\\shadow", 192), L"skin.d\\shadow@2x");
    EXPECT_EQ(ScaledImageFile(L"res\\shadow.png", 96), L"res\\shadow.png");
    EXPECT_EQ(ScaledImageFile(L"res\\shadow.png", 120), L"");
}

std::vector<std::pair<UIRect, UIRect>> Pieces(const UIRect& control, UISize image, const wchar_t* description,
                                              ImageScales scales) {
    const ImageDescription desc = ParseImageDescription(description);
    std::vector<std::pair<UIRect, UIRect>> pieces;
    ForEachImagePiece(PlanImage(control, {0, 0, 10000, 10000}, image, desc, scales), desc,
                      [&](const UIRect& to, const UIRect& from) { pieces.push_back({to, from}); });
    return pieces;
}

TEST(ScaledImages, DestInWindowPixelsSourceInImagePixels) {
    // A 30x40 sprite drawn for 200 % is 60x80; the window is at 150 %.
    const ImageScales scales{UIScale::ForDpi(144), UIScale::ForDpi(192)};
    const auto pieces = Pieces({100, 100, 130, 130}, {60, 80}, L"res='251' source='10,0,20,10' dest='2,2,12,12'", scales);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].first, (UIRect{103, 103, 118, 118}));
    EXPECT_EQ(pieces[0].second, (UIRect{20, 0, 40, 20}));
}

TEST(ScaledImages, NineGridCornersFollowBothScales) {
    const ImageScales scales{UIScale::ForDpi(144), UIScale::ForDpi(192)};
    const auto pieces = Pieces({0, 0, 15, 150}, {60, 80}, L"res='251' source='0,30,10,40' corner='4,4,1,1'", scales);
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(pieces[0].first, (UIRect{0, 0, 6, 6}));     // the top-left corner: 4 at 150 %
    EXPECT_EQ(pieces[0].second, (UIRect{0, 60, 8, 68}));  // and 4 at 200 % in the image
    EXPECT_EQ(pieces[8].first, (UIRect{13, 148, 15, 150}));  // 1 at 150 % rounds to 2
    EXPECT_EQ(pieces[8].second, (UIRect{18, 78, 20, 80}));
}

TEST(ScaledImages, TilesAreTheSourceAtTheWindowsScale) {
    const ImageScales scales{UIScale::ForDpi(144), UIScale::ForDpi(192)};
    const auto pieces = Pieces({0, 0, 40, 15}, {20, 20}, L"res='1' xtiled='true'", scales);
    ASSERT_EQ(pieces.size(), 3u);  // tiles of 15: 0..15, 15..30 and a cut one 30..40
    EXPECT_EQ(pieces[1].first, (UIRect{15, 0, 30, 15}));
    EXPECT_EQ(pieces[1].second, (UIRect{0, 0, 20, 20}));
    EXPECT_EQ(pieces[2].first, (UIRect{30, 0, 40, 15}));
    EXPECT_EQ(pieces[2].second, (UIRect{0, 0, 13, 20}));
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

TEST(Resample, SameSizeIsACopyAndShrinkingAverages) {
    const std::array<uint32_t, 4> quad = {Argb(255, 200, 0, 0), Argb(255, 0, 200, 0), Argb(255, 0, 0, 200),
                                          Argb(255, 100, 100, 100)};
    EXPECT_EQ(ResamplePixels(quad.data(), 2, {0, 0, 2, 2}, {2, 2}), std::vector<uint32_t>(quad.begin(), quad.end()));
    const std::vector<uint32_t> one = ResamplePixels(quad.data(), 2, {0, 0, 2, 2}, {1, 1});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], Argb(255, 75, 75, 75));
    EXPECT_TRUE(ResamplePixels(quad.data(), 2, {0, 0, 0, 2}, {1, 1}).empty());
}

TEST(Resample, OnlyThePartIsReadAndPremultipliedPixelsStayValid) {
    // Two 2x2 cells side by side: opaque red, then half-transparent white. Enlarging the
    // red cell never brings in white, and enlarging the translucent one keeps every
    // colour at or below its alpha.
    std::vector<uint32_t> sprite(8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) sprite[y * 4 + x] = x < 2 ? Argb(255, 255, 0, 0) : Argb(128, 128, 128, 128);
    for (uint32_t p : ResamplePixels(sprite.data(), 4, {0, 0, 2, 2}, {5, 5})) EXPECT_EQ(p, Argb(255, 255, 0, 0));
    const std::vector<uint32_t> edge = {Argb(0, 0, 0, 0), Argb(255, 255, 255, 255)};
    for (uint32_t p : ResamplePixels(edge.data(), 2, {0, 0, 2, 1}, {7, 1})) {
        const uint32_t a = p >> 24;
        EXPECT_LE((p >> 16) & 0xFF, a);
        EXPECT_LE(p & 0xFF, a);
    }
}

}  // namespace

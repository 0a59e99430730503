// Drawing a layout into an off-screen bitmap and reading pixels at chosen points: colours
// with alpha, image keys, the progress fill, check box states and borders. Text is only
// checked for being there, never against a rasterisation.
#include <gtest/gtest.h>
#include "TestWindow.h"

namespace {
constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
constexpr uint32_t kHalfRed = 0xFF7F7F;

const wchar_t kLayout[] = LR"(<Window size="520,200">
  <Font name="微软雅黑" size="14" default="true" />
  <VerticalLayout bkcolor="#FFFFFFFF">
    <Control name="alpha" height="20" bkcolor="#80FF0000" />
    <HorizontalLayout height="20">
      <Control width="40" bkimage="res='101' restype='png' source='10,0,20,10'" />
      <Control width="40" bkimage="res='101' restype='png' dest='10,5,-10,-5'" />
      <Control width="60" bkimage="res='102' restype='png' corner='3,3,3,3'" />
      <Control width="60" bkimage="res='101' restype='png' source='0,0,20,10' xtiled='true'" />
      <Control width="40" bkimage="res='101' restype='png' source='0,0,10,10' fade='128'" />
      <Control width="40" bkimage="res='101' restype='png' mask='#FFFF0000'" />
      <Control width="60" bkimage="res='102' restype='png' corner='3,3,3,3' hole='true'" />
      <Control width="40" bkimage="res='101' restype='png' source='10,0,99,10'" />
    </HorizontalLayout>
    <Progress name="progress" height="18" width="500" foreimage="res='103' restype='png'" min="0" max="100" value="37" />
    <HorizontalLayout height="14">
      <CheckBox name="on" width="14" normalimage="res='104' restype='png'" selectedimage="res='105' restype='png'" selected="true" />
      <CheckBox name="off" width="14" normalimage="res='104' restype='png'" selectedimage="res='105' restype='png'" />
      <Label name="text" width="100" text="安装路径" textcolor="#FF000000" />
    </HorizontalLayout>
    <Control height="30" bordersize="2" bordercolor="#FF0000FF" />
    <Control height="30" bkcolor="#FF000000" bordersize="1" bordercolor="#FFFF0000" borderround="8,8" />
    <Control height="30" bordersize="1" bordercolor="#80FF0000" />
    <Control bkimage="file='no-such.png'" />
  </VerticalLayout>
</Window>)";

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Open());
        ASSERT_TRUE(window.built);
    }
    TestWindow window{kLayout};
};

TEST_F(RenderTest, LayoutSizeBecomesTheClientSize) {
    RECT client = {};
    ::GetClientRect(window.GetHWND(), &client);
    EXPECT_EQ(520, client.right);
    EXPECT_EQ(200, client.bottom);
}

TEST_F(RenderTest, ColourFillIsBlendedByItsAlpha) {
    Rendering r(window.pm, 520, 200);
    EXPECT_TRUE(Near(r.At(10, 10), kHalfRed)) << std::hex << r.At(10, 10);
}

TEST_F(RenderTest, ImageKeysAreHonoured) {
    Rendering r(window.pm, 520, 200);
    struct Case { const char* what; int x, y; uint32_t colour; };
    const Case cases[] = {
        {"source picks the green quadrant", 2, 22, kGreen},
        {"source picks the green quadrant (far corner)", 38, 38, kGreen},
        {"dest leaves the margin empty", 45, 22, kWhite},
        {"dest: top left of the image", 55, 27, kRed},
        {"dest: bottom right of the image", 65, 33, kBlue},
        {"corner keeps the left border", 81, 30, kRed},
        {"corner keeps the top border", 110, 21, kRed},
        {"corner keeps the right border", 138, 30, kRed},
        {"corner stretches the centre", 110, 30, kGreen},
        {"corner stretches the centre (near right)", 136, 30, kGreen},
        {"xtiled repeats: first tile red", 145, 25, kRed},
        {"xtiled repeats: first tile green", 155, 25, kGreen},
        {"xtiled repeats: second tile red", 165, 25, kRed},
        {"xtiled repeats: third tile green", 195, 25, kGreen},
        {"fade halves the alpha", 220, 30, kHalfRed},
        {"mask clears its colour", 242, 22, kWhite},
        {"mask keeps other colours", 275, 22, kGreen},
        {"hole keeps the border", 281, 30, kRed},
        {"hole leaves the centre out", 310, 30, kWhite},
        {"source beyond the image is cut to it", 375, 30, kGreen},
    };
    for (const Case& c : cases) EXPECT_TRUE(Near(r.At(c.x, c.y), c.colour)) << c.what << ": " << std::hex << r.At(c.x, c.y);
}

TEST_F(RenderTest, ProgressFills185Of500Pixels) {
    Rendering r(window.pm, 520, 200);
    EXPECT_TRUE(Near(r.At(0, 49), kBlue));
    EXPECT_TRUE(Near(r.At(184, 49), kBlue));
    EXPECT_TRUE(Near(r.At(185, 49), kWhite)) << std::hex << r.At(185, 49);
}

TEST_F(RenderTest, CheckBoxesShowTheImageOfTheirState) {
    Rendering r(window.pm, 520, 200);
    EXPECT_TRUE(Near(r.At(7, 65), 0x00A000));   // selected
    EXPECT_TRUE(Near(r.At(21, 65), 0x808080));  // not selected
    ui_cast<CCheckBoxUI>(window.pm.FindControl(L"off"), L"CheckBox")->SetCheck(true);
    Rendering after(window.pm, 520, 200);
    EXPECT_TRUE(Near(after.At(21, 65), 0x00A000));
}

TEST_F(RenderTest, ChineseTextLeavesInkInItsLabel) {
    Rendering r(window.pm, 520, 200);
    int ink = 0;
    for (int y = 58; y < 72; ++y)
        for (int x = 28; x < 128; ++x) ink += r.At(x, y) != kWhite;
    EXPECT_GT(ink, 20);
}

TEST_F(RenderTest, BordersStayInsideTheControl) {
    Rendering r(window.pm, 520, 200);
    EXPECT_TRUE(Near(r.At(0, 85), kBlue));
    EXPECT_TRUE(Near(r.At(1, 85), kBlue));
    EXPECT_TRUE(Near(r.At(3, 85), kWhite));
    EXPECT_TRUE(Near(r.At(519, 85), kBlue));
    // A rounded border: red along the straight edge, nothing red in the very corner.
    EXPECT_TRUE(Near(r.At(0, 117), kRed, 40)) << std::hex << r.At(0, 117);
    EXPECT_FALSE(Near(r.At(0, 102), kRed, 60)) << std::hex << r.At(0, 102);
    // A translucent square border: every pixel of its ring blended once, corners too.
    for (const POINT at : {POINT{0, 132}, POINT{519, 132}, POINT{0, 161}, POINT{519, 161}, POINT{260, 132},
                           POINT{260, 161}, POINT{0, 145}, POINT{519, 145}})
        EXPECT_EQ(r.At(at.x, at.y), r.At(260, 132)) << at.x << "," << at.y << ": " << std::hex << r.At(at.x, at.y);
    EXPECT_TRUE(Near(r.At(260, 132), kHalfRed)) << std::hex << r.At(260, 132);
    EXPECT_EQ(r.At(1, 133), kWhite);
    EXPECT_EQ(r.At(518, 160), kWhite);
}

// A bitmap still selected into a DC cannot be deleted: the surface is selected out of its
// DC before it goes, when the buffer grows and when the buffer itself goes. (Windows
// refuses such a deletion and keeps the bitmap for good; Wine defers it until the bitmap
// leaves its DC or the DC is deleted, so under Wine these checks hold either way.)
TEST(BackBuffer, ItsSurfaceLeavesTheDcBeforeItIsDeleted) {
    UniqueWindowDC screen(nullptr, ::GetDC(nullptr));
    HBITMAP first = nullptr, second = nullptr;
    HDC dc = nullptr;
    {
        CBackBuffer buffer;
        dc = buffer.Prepare(screen.get(), SIZE{10, 10});
        ASSERT_NE(nullptr, dc);
        first = buffer.bitmap();
        EXPECT_EQ(first, ::GetCurrentObject(dc, OBJ_BITMAP));
        EXPECT_EQ(dc, buffer.Prepare(screen.get(), SIZE{10, 10}));
        EXPECT_EQ(first, buffer.bitmap());  // the same size keeps the surface
        EXPECT_EQ(dc, buffer.Prepare(screen.get(), SIZE{20, 10}));
        second = buffer.bitmap();
        EXPECT_EQ(second, ::GetCurrentObject(dc, OBJ_BITMAP));
        EXPECT_EQ(0u, ::GetObjectType(first));  // deleted at once, not left selected
    }
    EXPECT_EQ(0u, ::GetObjectType(second));
    EXPECT_EQ(0u, ::GetObjectType(dc));
}

// A resource id is 16 bits: a larger number must not wrap round to another image (65637
// is 65536 + 101), whether named as a resource or as a missing file's fallback.
TEST(ImageIds, AboveTheResourceRangeAreRefused) {
    CImageCache cache;
    EXPECT_TRUE(cache.Get(ParseImageDescription(L"res='101' restype='png'")));
    EXPECT_FALSE(cache.Get(ParseImageDescription(L"res='65637' restype='png'")));
    EXPECT_FALSE(cache.Get(ParseImageDescription(L"65637")));
    EXPECT_FALSE(cache.Get(ParseImageDescription(L"res='0' restype='png'")));
}

TEST(ImageFallback, MissingFileFallsBackToItsResourceName) {
    EXPECT_EQ(L"RES_SHADOW_PNG", FallbackResourceName(L"res\\shadow.png"));
    EXPECT_EQ(L"A_B_9_PNG", FallbackResourceName(L"a-b/9.png"));
    CImageCache cache;
    ImageDescription desc;
    desc.file = L"res\\shadow.png";
    auto image = cache.Get(desc);
    ASSERT_TRUE(image);
    EXPECT_EQ(60, image->width);
    desc.file = L"res\\missing.png";
    EXPECT_FALSE(cache.Get(desc));
}
}  // namespace

// Where the pieces of a described image go: the plan (destination, source, visible
// part) and the blits of stretched, tiled and nine-grid images.
#include "TestSupport.h"

#include "ui/pure/ImageGeometry.h"

namespace {

struct Piece {
    UIRect to, from;
    friend bool operator==(const Piece&, const Piece&) = default;
};

void PrintTo(const Piece& p, std::ostream* os) {
    PrintTo(p.to, os);
    *os << "<-";
    PrintTo(p.from, os);
}

std::vector<Piece> Pieces(const UIRect& control, const UIRect& paint, UISize image, std::wstring_view description) {
    const ImageDescription desc = ParseImageDescription(description);
    std::vector<Piece> pieces;
    ForEachImagePiece(PlanImage(control, paint, image, desc), desc,
                      [&](const UIRect& to, const UIRect& from) { pieces.push_back({to, from}); });
    return pieces;
}

TEST(ImagePlan, DestCountsFromTheFarEdgesWhenNegativeAndStaysInsideTheControl) {
    const ImagePlan plan = PlanImage({100, 50, 300, 90}, {0, 0, 1000, 1000}, {40, 20},
                                     ParseImageDescription(L"file='a' dest='-30,5,-10,500' source='10,0,90,15'"));
    EXPECT_EQ(plan.dest, (UIRect{270, 55, 290, 90}));
    EXPECT_EQ(plan.source, (UIRect{10, 0, 40, 15}));  // cut to the image
    EXPECT_EQ(plan.visible, plan.dest);
}

// Numbers beyond any screen are held to the geometry bounds as they are read: a far edge
// counted from the control's edge stays in range and still covers the whole control.
TEST(ImagePlan, ExtremeRectanglesAreHeldToTheBoundsWhenRead) {
    const ImageDescription desc = ParseImageDescription(
        L"file='a' dest='-2147483648,0,99999999999,99999999999' source='-99999999999,0,99999999999,5' "
        L"corner='99999999999,0,0,-99999999999'");
    EXPECT_EQ(desc.dest, (UIRect{-kUIMaxCoord, 0, kUIMaxCoord, kUIMaxCoord}));
    EXPECT_EQ(desc.source, (UIRect{-kUIMaxCoord, 0, kUIMaxCoord, 5}));
    EXPECT_EQ(desc.corner, (UIRect{kUIMaxCoord, 0, 0, -kUIMaxCoord}));
    const ImagePlan plan = PlanImage({100, 0, 300, 50}, {0, 0, 1000, 1000}, {40, 20}, desc);
    EXPECT_EQ(plan.dest, (UIRect{100, 0, 300, 50}));
    EXPECT_EQ(plan.source, (UIRect{0, 0, 40, 5}));
}

TEST(ImagePieces, StretchedImageIsOneBlitOfTheWholeSource) {
    EXPECT_EQ(Pieces({0, 0, 100, 50}, {0, 0, 100, 50}, {10, 10}, L"a"),
              (std::vector<Piece>{{{0, 0, 100, 50}, {0, 0, 10, 10}}}));
    EXPECT_TRUE(Pieces({0, 0, 100, 50}, {200, 0, 300, 50}, {10, 10}, L"a").empty());  // not painted
}

TEST(ImagePieces, TilesStayOnTheirGridAndTheFarOneIsCut) {
    EXPECT_EQ(Pieces({0, 0, 25, 10}, {0, 0, 25, 10}, {10, 10}, L"file='a' xtiled='true'"),
              (std::vector<Piece>{{{0, 0, 10, 10}, {0, 0, 10, 10}},
                                  {{10, 0, 20, 10}, {0, 0, 10, 10}},
                                  {{20, 0, 25, 10}, {0, 0, 5, 10}}}));
}

// A small tile repeated over a large control: only the tiles that meet the painted part
// are blitted, not the whole destination's (a million here).
TEST(ImagePieces, TilingCoversOnlyTheVisiblePart) {
    const std::vector<Piece> pieces =
        Pieces({0, 0, 1000, 1000}, {15, 12, 25, 20}, {1, 1}, L"file='a' xtiled='true' ytiled='true'");
    EXPECT_EQ(pieces.size(), 10u * 8u);
    for (const Piece& p : pieces) EXPECT_EQ(UIIntersect(p.to, {15, 12, 25, 20}), p.to);
    // In a nine-grid: of the tiled centre, the one tile on its grid that the painted
    // strip crosses; of the stretched edges, those it crosses.
    EXPECT_EQ(Pieces({0, 0, 100, 100}, {42, 0, 48, 100}, {30, 30}, L"file='a' corner='10,10,10,10' xtiled='true'"),
              (std::vector<Piece>{{{10, 0, 90, 10}, {10, 0, 20, 10}},
                                  {{40, 10, 50, 90}, {10, 10, 20, 20}},
                                  {{10, 90, 90, 100}, {10, 20, 20, 30}}}));
}

}  // namespace

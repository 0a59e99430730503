// Box layouts: a table of trees, the rectangle they are given, and every named child's
// expected rectangle.
#include "TestSupport.h"

namespace {

struct Expect {
    const wchar_t* name;
    UIRect rect;
};

struct LayoutCase {
    const char* title;
    const char* body;  // inside <Window>
    UIRect client;
    std::vector<Expect> expected;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.title; }

class BoxLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(BoxLayout, PlacesEveryChild) {
    const LayoutCase& c = GetParam();
    TestWindow w(std::string("<Window>") + c.body + "</Window>", c.client);
    for (const Expect& e : c.expected) {
        CControlUI* control = w.core.FindControl(e.name);
        ASSERT_TRUE(control) << Narrow(e.name);
        EXPECT_EQ(control->GetPos(), e.rect) << c.title << ": " << Narrow(e.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Vertical, BoxLayout, ::testing::Values(
    LayoutCase{"fixed 50 then two adjustables share 101 as 50 and 51",
        R"(<VerticalLayout><Control name="a" height="50"/><Control name="b"/><Control name="c"/></VerticalLayout>)",
        {0, 0, 100, 151}, {{L"a", {0, 0, 100, 50}}, {L"b", {0, 50, 100, 100}}, {L"c", {0, 100, 100, 151}}}},
    LayoutCase{"fixed children larger than the layout overflow; the adjustable one gets 0",
        R"(<VerticalLayout><Control name="a" height="100"/><Control name="b"/><Control name="c" height="100"/></VerticalLayout>)",
        {0, 0, 100, 150}, {{L"a", {0, 0, 100, 100}}, {L"b", {0, 100, 100, 100}}, {L"c", {0, 100, 100, 200}}}},
    LayoutCase{"maxheight below the share leaves the rest empty",
        R"(<VerticalLayout><Control name="a" maxheight="20"/><Control name="b" maxheight="20"/></VerticalLayout>)",
        {0, 0, 100, 100}, {{L"a", {0, 0, 100, 20}}, {L"b", {0, 20, 100, 40}}}},
    LayoutCase{"minheight above the share: the last takes what is left",
        R"(<VerticalLayout><Control name="a" minheight="60"/><Control name="b"/></VerticalLayout>)",
        {0, 0, 100, 100}, {{L"a", {0, 0, 100, 60}}, {L"b", {0, 60, 100, 100}}}},
    LayoutCase{"invisible children take no space and no childpadding",
        R"(<VerticalLayout childpadding="5"><Control name="a" height="10"/><Control name="gone" height="50" visible="false"/><Control name="b"/></VerticalLayout>)",
        {0, 0, 100, 100}, {{L"a", {0, 0, 100, 10}}, {L"gone", {0, 0, 0, 0}}, {L"b", {0, 15, 100, 100}}}},
    LayoutCase{"padding shifts a child and pushes the next; width less left and right padding",
        R"(<VerticalLayout><Control name="a" height="20" padding="5,3,7,2"/><Control name="b" height="10" width="30"/></VerticalLayout>)",
        {0, 0, 100, 100}, {{L"a", {5, 3, 93, 23}}, {L"b", {0, 25, 30, 35}}}},
    LayoutCase{"inset narrows the inner rectangle",
        R"(<VerticalLayout inset="10,20,30,40"><Control name="a"/></VerticalLayout>)",
        {0, 0, 200, 200}, {{L"a", {10, 20, 170, 160}}}},
    LayoutCase{"a width limit clamps across the flow",
        R"(<VerticalLayout><Control name="a" height="10" maxwidth="40"/><Control name="b" height="10" minwidth="300"/></VerticalLayout>)",
        {0, 0, 100, 100}, {{L"a", {0, 0, 40, 10}}, {L"b", {0, 10, 300, 20}}}},
    LayoutCase{"a floating child sits at its pos and takes no space",
        R"(<VerticalLayout><Control name="f" float="true" pos="5,5,25,15"/><Control name="a"/></VerticalLayout>)",
        {100, 100, 200, 200}, {{L"f", {105, 105, 125, 115}}, {L"a", {100, 100, 200, 200}}}},
    LayoutCase{"an adjustable child's padding is not given back to the last one",
        R"(<VerticalLayout><Control name="a" padding="0,5,0,0"/><Control name="b"/></VerticalLayout>)",
        {0, 0, 100, 151}, {{L"a", {0, 5, 100, 78}}, {L"b", {0, 78, 100, 146}}}}));

INSTANTIATE_TEST_SUITE_P(Horizontal, BoxLayout, ::testing::Values(
    LayoutCase{"springs centre a fixed child; the last spring takes the remainder",
        R"(<HorizontalLayout><Control name="l"/><Button name="start" width="218" height="50"/><Control name="r"/></HorizontalLayout>)",
        {0, 0, 581, 60}, {{L"l", {0, 0, 181, 60}}, {L"start", {181, 0, 399, 50}}, {L"r", {399, 0, 581, 60}}}},
    LayoutCase{"across the flow: the inner height less the child's padding",
        R"(<HorizontalLayout inset="0,2,0,2"><Control name="a" width="10" padding="3,4,0,6"/><Control name="b" width="10" height="8" padding="1,5,0,0"/></HorizontalLayout>)",
        {0, 0, 100, 50}, {{L"a", {3, 6, 13, 42}}, {L"b", {14, 7, 24, 15}}}},
    LayoutCase{"childpadding between children only",
        R"(<HorizontalLayout childpadding="6"><Control name="a" width="96"/><Control name="b" width="96"/></HorizontalLayout>)",
        {0, 0, 300, 24}, {{L"a", {0, 0, 96, 24}}, {L"b", {102, 0, 198, 24}}}},
    LayoutCase{"maxwidth below the share",
        R"(<HorizontalLayout><Control name="a" maxwidth="10"/><Control name="b"/></HorizontalLayout>)",
        {0, 0, 100, 10}, {{L"a", {0, 0, 10, 10}}, {L"b", {10, 0, 100, 10}}}}));

INSTANTIATE_TEST_SUITE_P(Nested, BoxLayout, ::testing::Values(
    LayoutCase{"the quick-install row of the main window",
        R"(<VerticalLayout><VerticalLayout height="250"/>
             <VerticalLayout name="defaultinstall" height="100">
               <HorizontalLayout name="row" height="50" padding="0,20,0,5"><Control/><Button name="start" width="218" height="50"/><Control/></HorizontalLayout>
               <HorizontalLayout name="row2"><Control/><Label name="lbl" width="60" height="30"/><Label name="path" width="300" height="30"/><Control/></HorizontalLayout>
             </VerticalLayout></VerticalLayout>)",
        {0, 0, 580, 400},
        {{L"defaultinstall", {0, 250, 580, 350}}, {L"row", {0, 270, 580, 320}}, {L"start", {181, 270, 399, 320}},
         {L"row2", {0, 325, 580, 350}}, {L"lbl", {110, 325, 170, 355}}, {L"path", {170, 325, 470, 355}}}}));

// Thousands of children with the largest paddings and gaps the markup allows: the sums
// pass the int range. They saturate: no share is handed out, and the children beyond the
// layouts' extent stay at its edge instead of wrapping round to negative places.
TEST(BoxLayoutSums, ManyLargeChildrenSaturateInsteadOfWrapping) {
    constexpr int kChildren = 6000;  // 6000 × (3 × 100000 + 100000 gap) > 2^31
    std::string markup = R"(<Window><VerticalLayout childpadding="100000"><Control name="first"/>)";
    for (int i = 0; i < kChildren; ++i)
        markup += "<Control name=\"c" + std::to_string(i) + R"(" height="100000" maxheight="100000" padding="0,100000,0,100000"/>)";
    markup += "</VerticalLayout></Window>";
    TestWindow w(markup, {0, 0, 100, 100});
    EXPECT_EQ(w.Find(L"first")->GetPos(), (UIRect{0, 0, 100, 0}));
    // "first" and its gap come before c0; each child takes 400000 with its gap.
    EXPECT_EQ(w.Find(L"c0")->GetPos(), (UIRect{0, 200000, 100, 300000}));
    EXPECT_EQ(w.Find(L"c200")->GetPos(), (UIRect{0, 80200000, 100, 80300000}));
    EXPECT_EQ(w.Find(L"c300")->GetPos(), (UIRect{0, kUIMaxExtent, 100, kUIMaxExtent}));
    EXPECT_EQ(w.Find(L"c5999")->GetPos(), (UIRect{0, kUIMaxExtent, 100, kUIMaxExtent}));
}

TEST(BoxLayoutChanges, HidingAChildLaysTheParentOutAgain) {
    TestWindow w(R"(<Window><VerticalLayout><Control name="a" height="50"/><Control name="b"/></VerticalLayout></Window>)",
                 {0, 0, 100, 100});
    EXPECT_FALSE(w.core.IsUpdateNeeded());
    w.Find(L"a")->SetVisible(false);
    EXPECT_TRUE(w.core.IsUpdateNeeded());
    RecordingTarget target;
    w.core.Paint(target, w.host.client);
    EXPECT_EQ(w.Find(L"b")->GetPos(), (UIRect{0, 0, 100, 100}));
}

}  // namespace

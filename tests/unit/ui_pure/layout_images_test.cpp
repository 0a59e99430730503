// The images a layout shows when it opens: hidden parts left out, document order with the
// images of pointer and keyboard states last, each once.
#include "TestSupport.h"
#include "ui/pure/LayoutImages.h"

namespace {

struct ShownCase {
    const char* markup;
    std::vector<std::wstring> images;
};

class LayoutImages : public ::testing::TestWithParam<ShownCase> {};

TEST_P(LayoutImages, ListsTheImagesOfTheShownElements) {
    const XmlDocument layout = ParseXml(GetParam().markup);
    ASSERT_TRUE(layout.ok) << GetParam().markup;
    EXPECT_EQ(ImagesShownAtOpen(layout.root), GetParam().images) << GetParam().markup;
}

INSTANTIATE_TEST_SUITE_P(Table, LayoutImages, ::testing::Values(
    ShownCase{R"(<Window><Control bkimage="a" text="b" /><Button normalimage="c" hotimage="d" /></Window>)",
              {L"a", L"c", L"d"}},
    ShownCase{R"(<Window><Button hotimage="h" pushedimage="p" normalimage="n" /><CheckBox selectedimage="s" )"
              R"(focusedimage="f" disabledimage="d" /><Progress foreimage="g" /></Window>)",
              {L"n", L"s", L"g", L"h", L"p", L"f", L"d"}},
    ShownCase{R"(<Window bkimage="w"><Control visible="false" bkimage="a"><Control visible="true" bkimage="b" /></Control>)"
              R"(<Control visible="true" foreimage="c" /></Window>)",
              {L"w", L"c"}},
    ShownCase{R"(<Window><Control bkimage="a" /><Control bkimage="b" /><Control bkimage="a" image="" /></Window>)",
              {L"a", L"b"}},
    ShownCase{R"(<Window><Font name="x" /><Control bkcolor="#FF000000" /></Window>)", {}}));

}  // namespace

// Markup values: numbers, lists, colours, attribute lists and image descriptions.
#include "TestSupport.h"
#include "ui/pure/ImageDescription.h"

namespace {

TEST(ValueParse, NumberListsReadWhatIsThereAndIgnoreTheRest) {
    EXPECT_EQ(ParseRect(L"0,0,10,10"), (UIRect{0, 0, 10, 10}));
    EXPECT_EQ(ParseRect(L"35, 10, -2,1"), (UIRect{35, 10, -2, 1}));
    EXPECT_EQ(ParseRect(L"4,4"), (UIRect{4, 4, 0, 0}));
    EXPECT_EQ(ParseRect(L""), (UIRect{}));
    const UISize mininfo = ParseSize(L"4,4,4,4");
    EXPECT_EQ(mininfo.cx, 4);
    EXPECT_EQ(mininfo.cy, 4);
    EXPECT_EQ(ParseInt(L"12px"), 12);
    EXPECT_EQ(ParseInt(L"x"), 0);
    EXPECT_EQ(ParseInt(L"99999999999"), 2147483647);
    EXPECT_EQ(ParseInt(L"-99999999999"), -2147483647 - 1);
}

TEST(ValueParse, ResourceIdsAreSixteenBitsAndNeverWrap) {
    const auto id = [](std::wstring_view text) {
        const UIResourceId r = ParseResourceId(text);
        return r.numeric ? static_cast<int>(r.id) : -1;  // -1: a name, not an id
    };
    EXPECT_EQ(id(L"221"), 221);
    EXPECT_EQ(id(L"65535"), 65535);
    EXPECT_EQ(id(L"65536"), 0);  // refused: no resource has id 0
    EXPECT_EQ(id(L"4295033077"), 0);  // 2^32 + 221
    EXPECT_EQ(id(L"0"), 0);
    EXPECT_EQ(id(L"221a"), -1);
    EXPECT_EQ(id(L" 221"), -1);
    EXPECT_EQ(id(L""), -1);
}

TEST(ValueParse, ColoursAreHexadecimalAlphaFirst) {
    EXPECT_EQ(ParseColor(L"#FF333333"), 0xFF333333u);
    EXPECT_EQ(ParseColor(L"#333333FF"), 0x333333FFu);
    EXPECT_EQ(ParseColor(L"ff148cc8"), 0xFF148CC8u);
    EXPECT_EQ(ParseColor(L"#12zz"), 0x12u);
    EXPECT_EQ(ParseColor(L"#123456789"), 0xFFFFFFFFu);
    EXPECT_TRUE(ParseBool(L"true"));
    EXPECT_FALSE(ParseBool(L"True"));
    EXPECT_FALSE(ParseBool(L"1"));
}

TEST(ValueParse, AttributeListEndsAtTheFirstMalformedPair) {
    const auto pairs = ParseAttributeList(L" width=\"10\"  thumbnormalimage = \"res='251' source='0,30,10,40'\" bad \"x\"");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].first, L"width");
    EXPECT_EQ(pairs[0].second, L"10");
    EXPECT_EQ(pairs[1].first, L"thumbnormalimage");
    EXPECT_EQ(pairs[1].second, L"res='251' source='0,30,10,40'");
    EXPECT_EQ(ParseAttributeList(L"a=\"1\" b=\"unclosed").size(), 1u);
}

TEST(ValueParse, Utf8RoundTripsThroughUtf16) {
    const std::string text = "\xE5\xAE\x89\xE8\xA3\x85 ok \xF0\x9F\x98\x80";
    const std::wstring wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide.size(), 8u);  // two CJK characters, " ok ", one surrogate pair
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), L"\uFFFD\uFFFD");  // an overlong form is refused, byte by byte
}

struct DescriptionCase {
    const wchar_t* text;
    const wchar_t* file;
    const wchar_t* resType;
    UIRect source;
    bool hasDest;
};

class ImageDescriptionParse : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(ImageDescriptionParse, KeepsThePairsBeforeAMalformedOne) {
    const DescriptionCase& c = GetParam();
    const ImageDescription d = ParseImageDescription(c.text);
    EXPECT_EQ(d.file, c.file) << Narrow(c.text);
    EXPECT_EQ(d.resType, c.resType) << Narrow(c.text);
    EXPECT_EQ(d.source, c.source) << Narrow(c.text);
    EXPECT_EQ(d.hasDest, c.hasDest) << Narrow(c.text);
}

INSTANTIATE_TEST_SUITE_P(Table, ImageDescriptionParse, ::testing::Values(
    DescriptionCase{L"res='273' restype='png'", L"273", L"png", {}, false},
    DescriptionCase{L"  res = '273'   restype=  'png' source='0,30,10,40' ", L"273", L"png", {0, 30, 10, 40}, false},
    DescriptionCase{L"bk.png", L"bk.png", L"", {}, false},
    DescriptionCase{L"file='a.png' dest='1,2,3,4'", L"a.png", L"", {}, true},
    // The last value lacks its closing apostrophe: the image is looked up by id alone.
    DescriptionCase{L"res='273' restype='png", L"273", L"", {}, false},
    DescriptionCase{L"res='273' restype 'png'", L"273", L"", {}, false},
    DescriptionCase{L"res='273' restype=png", L"273", L"", {}, false},
    DescriptionCase{L"source='0,0,10,10' res='9' x", L"9", L"", {0, 0, 10, 10}, false},
    DescriptionCase{L"", L"", L"", {}, false}));

TEST(ImageDescription, ReadsEveryKey) {
    const ImageDescription d = ParseImageDescription(
        L"file='a.png' restype='png' dest='-10,0,0,-1' source='1,2,3,4' corner='4,4,1,1' mask='ff00ff' "
        L"fade='128' hole='true' xtiled='true' ytiled='false' unknown='x'");
    EXPECT_EQ(d.dest, (UIRect{-10, 0, 0, -1}));
    EXPECT_EQ(d.corner, (UIRect{4, 4, 1, 1}));
    EXPECT_EQ(d.mask, 0xFF00FFu);
    EXPECT_EQ(d.fade, 128);
    EXPECT_TRUE(d.hole);
    EXPECT_TRUE(d.xtiled);
    EXPECT_FALSE(d.ytiled);
    EXPECT_EQ(ParseImageDescription(L"mask='#FFFF00FF' fade='999'").fade, 255);
    // The canonical text parses back to the same description.
    EXPECT_EQ(ParseImageDescription(FormatImageDescription(d)), d);
}

}  // namespace

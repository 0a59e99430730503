// The markup reader: its fixed failure messages with the place where it stopped, the
// entities of attribute values, and what it skips.
#include <filesystem>
#include <fstream>
#include "TestSupport.h"
#include "ui/pure/XmlParser.h"

namespace {

struct FailureCase {
    const char* input;
    const wchar_t* message;
    size_t offset;
};

class XmlFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(XmlFailure, StopsWithItsMessageWhereTheInputGoesWrong) {
    const FailureCase& c = GetParam();
    const XmlDocument doc = ParseXml(c.input);
    EXPECT_FALSE(doc.ok);
    EXPECT_EQ(doc.message, c.message) << c.input;
    EXPECT_EQ(doc.offset, c.offset) << c.input;
    EXPECT_TRUE(doc.root.name.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, XmlFailure, ::testing::Values(
    FailureCase{"", L"File is empty", 0},
    FailureCase{"   hello", L"Expected start tag", 3},
    FailureCase{"<!-- never closed", L"Expected start tag", 17},
    FailureCase{"< Window/>", L"Error parsing element name", 1},
    FailureCase{"<a/ >", L"Expected start-tag closing", 3},
    FailureCase{"<a b=\"1\"", L"Expected start-tag closing", 8},
    FailureCase{"<a><b/>", L"Expected end-tag start", 7},
    FailureCase{"<a><b></a>", L"Unmatched closing tag", 8},
    FailureCase{"<a b></a>", L"Error while parsing attributes", 4},
    FailureCase{"<a =\"1\"/>", L"Error while parsing attributes", 3},
    FailureCase{"<a b=1/>", L"Expected attribute value", 5},
    FailureCase{"<a b='1'/>", L"Expected attribute value", 5},
    FailureCase{"<a b=\"1/>", L"Error while parsing attribute string", 9}));

TEST(XmlParser, ReportsTheLineOfTheFailure) {
    const XmlDocument doc = ParseXml("<Window>\n  <Button\n    name=start/>\n</Window>");
    ASSERT_FALSE(doc.ok);
    EXPECT_EQ(doc.message, L"Expected attribute value");
    EXPECT_EQ(doc.line, 3);
    EXPECT_EQ(doc.Describe(), L"Expected attribute value at line 3 (offset 28)");
}

TEST(XmlParser, DecodesTheFiveEntitiesAndKeepsAnyOtherAmpersand) {
    const XmlDocument doc = ParseXml(
        "<a v=\"&amp;&lt;&gt;&quot;&apos;\" w=\"R&amp;D &copy; &amp x&\" d=\"width=&quot;10&quot;\"/>");
    ASSERT_TRUE(doc.ok) << Narrow(doc.Describe());
    EXPECT_EQ(*doc.root.Attribute(L"v"), L"&<>\"'");
    EXPECT_EQ(*doc.root.Attribute(L"w"), L"R&D &copy; &amp x&");
    EXPECT_EQ(*doc.root.Attribute(L"d"), L"width=\"10\"");
}

TEST(XmlParser, ReadsTreeInDocumentOrderSkippingDeclarationsCommentsAndText) {
    const XmlDocument doc = ParseXml(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- layout -->\n"
        "<Window size=\"580,400\" caption = \"0,0,0,30\">text<!-- c --><Font name=\"\xE5\xBE\xAE\"/>"
        "<VerticalLayout><Label text=\"\xE5\xAE\x89\xE8\xA3\x85\"/></VerticalLayout  ></Window>trailing");
    ASSERT_TRUE(doc.ok) << Narrow(doc.Describe());
    EXPECT_EQ(doc.root.name, L"Window");
    ASSERT_EQ(doc.root.attributes.size(), 2u);
    EXPECT_EQ(doc.root.attributes[0].name, L"size");
    EXPECT_EQ(doc.root.attributes[1].name, L"caption");
    ASSERT_EQ(doc.root.children.size(), 2u);
    EXPECT_EQ(*doc.root.children[0].Attribute(L"name"), L"\u5FAE");
    EXPECT_EQ(*doc.root.children[1].children[0].Attribute(L"text"), L"\u5B89\u88C5");
    EXPECT_EQ(doc.root.Attribute(L"missing"), nullptr);
}

TEST(XmlParser, RefusesNestingDeeperThanItsLimit) {
    std::string deep;
    for (int i = 0; i < kXmlMaxDepth; ++i) deep += "<a>";
    for (int i = 0; i < kXmlMaxDepth; ++i) deep += "</a>";
    EXPECT_TRUE(ParseXml(deep).ok);
    const XmlDocument tooDeep = ParseXml("<b>" + deep + "</b>");
    EXPECT_FALSE(tooDeep.ok);
    EXPECT_EQ(tooDeep.message, L"Expected end-tag start");
}

TEST(XmlParser, InvalidUtf8BecomesReplacementCharacters) {
    const XmlDocument doc = ParseXml("<a v=\"x\xFFy\xE5\xBE\"/>");
    ASSERT_TRUE(doc.ok);
    EXPECT_EQ(*doc.root.Attribute(L"v"), L"x\uFFFDy\uFFFD");
}

TEST(XmlParser, FileFailuresCarryTheFileMessages) {
    const auto dir = std::filesystem::temp_directory_path() / "ui_pure_xml_test";
    std::filesystem::create_directories(dir);
    const auto empty = dir / "empty.xml", good = dir / "good.xml";
    { std::ofstream(empty, std::ios::binary); }
    { std::ofstream(good, std::ios::binary) << "<Window><Control/></Window>"; }

    EXPECT_EQ(ParseXmlFile((dir / "missing.xml").wstring()).Describe(), L"Error opening file");
    EXPECT_EQ(ParseXmlFile(empty.wstring()).message, L"File is empty");
    const XmlDocument doc = ParseXmlFile(good.wstring());
    EXPECT_TRUE(doc.ok);
    EXPECT_EQ(doc.root.children.size(), 1u);
    std::filesystem::remove_all(dir);
}

}  // namespace

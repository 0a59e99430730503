// Building control trees from layouts: root-level resources, Window attributes, the
// element table, the order in which defaults and own attributes are applied.
#include "TestSupport.h"

namespace {

TEST(MarkupBuilder, LaterDefaultFontWinsAndFontsKeepTheirOrder) {
    TestWindow w(R"(<Window>
        <Font name="A" size="12" default="true"/>
        <Font name="B" size="13" bold="true" underline="yes" italic="true"/>
        <Font name="C" size="16" default="true"/>
        <VerticalLayout/></Window>)");
    ASSERT_EQ(w.core.GetFontCount(), 3);
    EXPECT_EQ(w.core.GetDefaultFontIndex(), 2);
    EXPECT_EQ(w.core.GetFont(-1)->face, L"C");
    const UIFontDesc* b = w.core.GetFont(1);
    EXPECT_EQ(b->size, 13);
    EXPECT_TRUE(b->bold);
    EXPECT_FALSE(b->underline);  // true only for the text "true"
    EXPECT_TRUE(b->italic);
}

TEST(MarkupBuilder, DefaultListGoesFirstAndOwnAttributesOverrideIt) {
    TestWindow w(R"(<Window>
        <Default name="Button" value="width=&quot;40&quot; height=&quot;20&quot; tooltip=&quot;tip&quot;"/>
        <VerticalLayout>
          <Button name="plain"/>
          <Button name="own" width="60" tooltip="mine"/>
          <Label name="label"/>
        </VerticalLayout></Window>)");
    auto* plain = w.Find(L"plain");
    auto* own = w.Find(L"own");
    EXPECT_EQ(plain->GetFixedWidth(), 40);
    EXPECT_EQ(plain->GetToolTip(), L"tip");
    EXPECT_EQ(own->GetFixedWidth(), 60);
    EXPECT_EQ(own->GetFixedHeight(), 20);
    EXPECT_EQ(own->GetToolTip(), L"mine");
    EXPECT_EQ(w.Find(L"label")->GetFixedWidth(), 0);
}

TEST(MarkupBuilder, WindowAttributesAreReadInOrder) {
    RecordingHost host;
    UIManagerCore core;
    core.SetHost(&host);
    CMarkupBuilder builder;
    auto root = builder.Build(R"(<Window size="580,400" mininfo="4,4,4,4" maxinfo="800,600" caption="0,0,0,30"
        sizebox="1,2,3,4" roundcorner="4,4,4,4" showdirty="true" bktrans="yes" alpha="200"
        defaultfontcolor="#FF123456" disabledfontcolor="#FF7F7F7F" size="300,176"><Control/></Window>)", &core);
    ASSERT_TRUE(root);
    const UIWindowAttributes& a = core.GetWindowAttributes();
    EXPECT_EQ(a.minInfo.cx, 4);
    EXPECT_EQ(a.minInfo.cy, 4);
    EXPECT_EQ(a.maxInfo.cx, 800);
    EXPECT_EQ(a.caption, (UIRect{0, 0, 0, 30}));
    EXPECT_EQ(a.sizeBox, (UIRect{1, 2, 3, 4}));
    EXPECT_EQ(a.roundCorner.cx, 4);
    EXPECT_TRUE(a.showDirty);
    EXPECT_FALSE(a.bkTrans);
    EXPECT_EQ(a.alpha, 200);
    EXPECT_EQ(a.defaultFontColor, 0xFF123456u);
    // "size" is applied at once, each time: the later one is the window's size.
    EXPECT_EQ(host.resized.cx, 300);
    EXPECT_EQ(host.resized.cy, 176);
    EXPECT_EQ(a.initSize.cx, 300);
}

TEST(MarkupBuilder, WindowAttributesNeedAWindowRoot) {
    UIManagerCore core;
    CMarkupBuilder builder;
    EXPECT_TRUE(builder.Build(R"(<Dialog caption="0,0,0,30"><Control/></Dialog>)", &core));
    EXPECT_EQ(core.GetCaptionRect(), (UIRect{}));
}

TEST(MarkupBuilder, ElementsBecomeTheirClasses) {
    const std::pair<const wchar_t*, const wchar_t*> table[] = {
        {L"Control", L"ControlUI"}, {L"Container", L"ContainerUI"}, {L"Label", L"LabelUI"},
        {L"Text", L"TextUI"}, {L"Button", L"ButtonUI"}, {L"Option", L"OptionUI"}, {L"CheckBox", L"OptionUI"},
        {L"Edit", L"EditUI"}, {L"RichEdit", L"RichEditUI"}, {L"Progress", L"ProgressUI"},
        {L"VerticalLayout", L"VerticalLayoutUI"}, {L"HorizontalLayout", L"HorizontalLayoutUI"},
        {L"TabLayout", L"TabLayoutUI"}, {L"ScrollBar", L"ScrollBarUI"}, {L"Slider", L"SliderUI"},
        {L"TreeNode", L"TreeNodeUI"}, {L"WebBrowser", L"WebBrowserUI"}};
    for (const auto& [element, cls] : table) {
        auto control = CreateControlForElement(element);
        ASSERT_TRUE(control) << Narrow(element);
        EXPECT_EQ(control->GetClass(), cls);
    }
    EXPECT_FALSE(CreateControlForElement(L"button"));  // names are compared exactly
    EXPECT_TRUE(ui_cast<CCheckBoxUI>(CreateControlForElement(L"CheckBox").get(), L"CheckBox"));
}

TEST(MarkupBuilder, ResultIsTheFirstTopLevelControlWithItsChildrenInOrder) {
    UIManagerCore core;
    CMarkupBuilder builder;
    auto root = builder.Build(R"(<Window><Image name="bg" restype="png" mask="#FF00FF"/>
        <HorizontalLayout name="top"><Unknown><Button name="lost"/></Unknown><Label name="a"/><Button name="b"/></HorizontalLayout>
        <Button name="second"/></Window>)", &core);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetName(), L"top");
    auto* layout = ui_cast<CContainerUI>(root.get(), L"Container");
    ASSERT_EQ(layout->GetCount(), 2);
    EXPECT_EQ(layout->GetItemAt(0)->GetName(), L"a");
    EXPECT_EQ(layout->GetItemAt(1)->GetName(), L"b");
    EXPECT_EQ(layout->GetItemAt(1)->GetParent(), root.get());
    // Built controls are not attached: the window attaches the root.
    EXPECT_EQ(root->GetManager(), nullptr);
    EXPECT_EQ(core.FindControl(L"a"), nullptr);
    ASSERT_TRUE(core.GetImage(L"bg"));
    EXPECT_EQ(core.GetImage(L"bg")->mask, 0xFF00FFu);
}

TEST(MarkupBuilder, ParseFailureBuildsNothingAndSaysWhy) {
    UIManagerCore core;
    CMarkupBuilder builder;
    EXPECT_FALSE(builder.Build(R"(<Window><Button name=start/></Window>)", &core));
    EXPECT_EQ(builder.LastError().message, L"Expected attribute value");
    EXPECT_FALSE(builder.Build(R"(<Window><Font name="x"/></Window>)", &core));  // no control at all
    EXPECT_TRUE(builder.LastError().ok);
}

TEST(MarkupBuilder, SelectedDuringTheBuildReachesNobodyButSticks) {
    TestWindow w(R"(<Window><VerticalLayout><CheckBox name="cb" selected="true"/></VerticalLayout></Window>)");
    EXPECT_TRUE(w.receiver.seen.empty());
    EXPECT_TRUE(w.Find<CCheckBoxUI>(L"cb", L"CheckBox")->GetCheck());
}

TEST(MarkupBuilder, ScrollBarTakesItsLooksFromTheDefaultList) {
    TestWindow w(R"(<Window>
        <Default name="VScrollBar" value="width=&quot;10&quot; thumbnormalimage=&quot;res='251' restype='png' source='0,30,10,40' corner='4,4,1,1'&quot; thumbpushedimage=&quot;res='251' restype='png' source='20,31,30,40'&quot;"/>
        <VerticalLayout><RichEdit name="terms" vscrollbar="true" readonly="true" multiline="true" inset="20,20,10,10"/></VerticalLayout></Window>)");
    auto* edit = w.Find<CRichEditUI>(L"terms", L"RichEdit");
    CScrollBarUI* bar = edit->GetVerticalScrollBar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->GetFixedWidth(), 10);
    EXPECT_EQ(bar->GetPartImage(L"thumb", L"normal"), L"res='251' restype='png' source='0,30,10,40' corner='4,4,1,1'");
    EXPECT_EQ(bar->GetPartImage(L"thumb", L"pushed"), L"res='251' restype='png' source='20,31,30,40'");
    EXPECT_TRUE(edit->IsReadOnly());
    EXPECT_TRUE(edit->IsMultiLine());
    EXPECT_EQ(edit->GetInset(), (UIRect{20, 20, 10, 10}));
    EXPECT_EQ(bar->GetPos().right, edit->GetPos().right);
}

TEST(MarkupBuilder, DuplicateNamesFindOneOfThem) {
    TestWindow w(R"(<Window><VerticalLayout><Button name="start" width="1"/><Button name="start" width="2"/></VerticalLayout></Window>)");
    CControlUI* found = w.core.FindControl(L"start");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->GetName(), L"start");
    EXPECT_EQ(w.core.FindControl(L"missing"), nullptr);
}

TEST(MarkupBuilder, IncludeInsertsAnotherLayout) {
    UIManagerCore core;
    CMarkupBuilder builder;
    builder.SetIncludeLoader([](std::wstring_view source) -> std::optional<std::string> {
        if (source == L"row.xml") return std::string(R"(<Window><Button name="inc"/></Window>)");
        return std::nullopt;
    });
    auto root = builder.Build(R"(<Window><VerticalLayout><Include source="row.xml" count="2"/><Include source="none"/></VerticalLayout></Window>)", &core);
    ASSERT_TRUE(root);
    EXPECT_EQ(ui_cast<CContainerUI>(root.get(), L"Container")->GetCount(), 2);
}

}  // namespace

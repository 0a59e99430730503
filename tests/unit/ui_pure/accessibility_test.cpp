// What assistive technology is told about each kind of control (role, name, value, state,
// default action), which events it hears, and how the controls draw in high contrast.
#include "TestSupport.h"

namespace {

const char* const kControls = R"(<Window role="alert" nameid="5"><VerticalLayout bkcolor="#FF333333">
    <Label name="title" text="Hello" height="20"/>
    <Label name="empty" height="20"/>
    <Button name="close" width="18" height="18" tooltip="Close" iscancel="true"/>
    <Button name="start" width="100" height="40" nameid="170" isdefault="true"/>
    <Button name="icon" width="24" height="24" role="graphic"/>
    <Button name="link" width="100" height="14" text="Terms" role="link" textcolor="#FF008EFF"/>
    <Button name="off" width="40" height="20" text="Off" enabled="false"/>
    <CheckBox name="box" width="14" height="14" selected="true"/>
    <Option name="a" width="14" height="14" group="g"/>
    <Edit name="path" width="200" height="30" text="D:\x" bordersize="1" bordercolor="#FFC8C9CA"/>
    <RichEdit name="rich" height="40" readonly="true" text="Licence"/>
    <Progress name="bar" width="100" height="10" value="37" foreimage="fill"/>
    <HorizontalLayout name="row" height="10" visible="false"><Label name="inside" text="Inside"/></HorizontalLayout>
    <Control/></VerticalLayout></Window>)";

TEST(Accessibility, EachKindOfControlHasARoleANameAStateAndAnAction) {
    TestWindow w(kControls);
    w.Find(L"start")->SetAccessibleName(L"快速安装");  // the window's part: from "nameid"
    EXPECT_EQ(w.Find(L"start")->GetNameId(), 170u);
    EXPECT_EQ(w.core.GetWindowAttributes().nameId, 5u);
    EXPECT_TRUE(w.core.GetWindowAttributes().alert);
    struct Row {
        const wchar_t* control;
        UIRole role;
        const wchar_t* name;
        const wchar_t* value;
        unsigned state;
        UIAccAction action;
    };
    const Row rows[] = {
        {L"title", UIRole::StaticText, L"Hello", L"", UI_ACC_READONLY, UIAccAction::None},
        {L"empty", UIRole::StaticText, L"", L"", UI_ACC_READONLY | UI_ACC_INVISIBLE, UIAccAction::None},
        {L"close", UIRole::PushButton, L"Close", L"", UI_ACC_FOCUSABLE, UIAccAction::Press},
        {L"start", UIRole::PushButton, L"快速安装", L"", UI_ACC_FOCUSABLE | UI_ACC_FOCUSED | UI_ACC_DEFAULT,
         UIAccAction::Press},
        {L"icon", UIRole::Graphic, L"", L"", UI_ACC_INVISIBLE, UIAccAction::None},
        {L"link", UIRole::Link, L"Terms", L"", UI_ACC_FOCUSABLE | UI_ACC_LINKED, UIAccAction::Jump},
        {L"off", UIRole::PushButton, L"Off", L"", UI_ACC_UNAVAILABLE, UIAccAction::None},
        {L"box", UIRole::CheckButton, L"", L"", UI_ACC_FOCUSABLE | UI_ACC_CHECKED, UIAccAction::Uncheck},
        {L"a", UIRole::RadioButton, L"", L"", UI_ACC_FOCUSABLE, UIAccAction::Check},
        {L"path", UIRole::EditableText, L"", L"D:\\x", UI_ACC_FOCUSABLE, UIAccAction::None},
        {L"rich", UIRole::EditableText, L"", L"Licence", UI_ACC_FOCUSABLE | UI_ACC_READONLY, UIAccAction::None},
        {L"bar", UIRole::ProgressBar, L"", L"37%", UI_ACC_READONLY, UIAccAction::None},
        {L"inside", UIRole::StaticText, L"Inside", L"", UI_ACC_READONLY | UI_ACC_INVISIBLE, UIAccAction::None},
    };
    for (const Row& row : rows) {
        const UIAccessibleInfo info = DescribeAccessible(*w.Find(row.control));
        const std::string what = Narrow(row.control);
        EXPECT_EQ(info.role, row.role) << what;
        EXPECT_EQ(info.name, row.name) << what;
        EXPECT_EQ(info.value, row.value) << what;
        EXPECT_EQ(info.state, row.state) << what;
        EXPECT_EQ(info.action, row.action) << what;
        EXPECT_EQ(info.rect, w.Find(row.control)->GetPos()) << what;
    }
    // The tree is flat and in document order: layouts and plain controls stay out.
    const std::vector<CControlUI*> tree = AccessibleControls(w.core.GetRoot());
    std::vector<std::wstring> names;
    for (CControlUI* c : tree) names.push_back(c->GetName());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"title", L"empty", L"close", L"start", L"icon", L"link", L"off",
                                                L"box", L"a", L"path", L"rich", L"bar", L"inside"}));
    EXPECT_EQ(ParseRole(L"checkbox"), UIRole::CheckButton);
    EXPECT_EQ(ParseRole(L"Button"), UIRole::Auto);  // names are exact
}

TEST(Accessibility, ChangesAreToldOnlyForControlsInTheTreeAndTheAlertOnceAtTheFirstPaint) {
    TestWindow w(kControls);
    w.host.accessible.clear();
    RecordingTarget target;
    w.core.Paint(target, w.host.client);
    w.core.Paint(target, w.host.client);
    w.core.OnKeyDown(UI_VK_TAB);
    w.Find(L"title")->SetText(L"Bye");
    w.Find<CCheckBoxUI>(L"box", L"CheckBox")->SetCheck(false);
    w.Find<CProgressUI>(L"bar", L"Progress")->SetValue(40);
    w.Find<CEditUI>(L"path", L"Edit")->OnNativeTextChanged(L"E:\\y");
    w.Find(L"row")->SetVisible(true);
    w.Find(L"off")->SetEnabled(true);
    CLabelUI loose;  // not in any tree
    loose.SetText(L"nobody hears this");
    struct Told { UIAccEvent event; const wchar_t* control; };
    const Told expected[] = {
        {UIAccEvent::Alert, nullptr},           {UIAccEvent::Focus, L"link"},
        {UIAccEvent::NameChange, L"title"},     {UIAccEvent::StateChange, L"box"},
        {UIAccEvent::ValueChange, L"bar"},      {UIAccEvent::ValueChange, L"path"},
        {UIAccEvent::Show, L"row"},             {UIAccEvent::StateChange, L"off"},
    };
    ASSERT_EQ(w.host.accessible.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(w.host.accessible[i].event, expected[i].event) << i;
        EXPECT_EQ(w.host.accessible[i].control, expected[i].control ? w.Find(expected[i].control) : nullptr) << i;
    }
    EXPECT_EQ(w.host.focusChanges.back(), w.Find(L"link"));
}

TEST(HighContrast, TextBordersFillsAndTheProgressBarTakeTheSystemColoursImagesStay) {
    TestWindow w(kControls);
    UIPalette contrast;
    contrast.highContrast = true;
    contrast.windowText = 0xFFFFFFFF;
    contrast.window = 0xFF000000;
    contrast.highlight = 0xFF1AEBFF;
    contrast.grayText = 0xFF3FF23F;
    contrast.hotLight = 0xFFFFFF00;
    const auto paint = [&w](const wchar_t* name) {
        RecordingTarget target;
        w.Find(name)->DoPaint(target, w.host.client);
        return target.calls;
    };
    const auto colours = [](const std::vector<RecordingTarget::Call>& calls, const char* kind) {
        std::vector<UIColor> out;
        for (const auto& c : calls)
            if (c.kind == kind) out.push_back(c.color);
        return out;
    };
    // The skin's colours first.
    EXPECT_EQ(colours(paint(L"link"), "text"), std::vector<UIColor>{0xFF008EFFu});
    EXPECT_EQ(paint(L"bar").back().kind, "image");

    w.core.SetPalette(contrast);
    // Text stands on the system's background, just behind the text (not over the whole label).
    EXPECT_EQ(colours(paint(L"title"), "fill"), std::vector<UIColor>{0xFF000000u});
    const UIRect label = w.Find(L"title")->GetPos();
    EXPECT_EQ(paint(L"title").front().rect, (UIRect{label.left, label.top + 1, label.left + 5 * 7 + 2, label.top + 19}));
    EXPECT_EQ(colours(paint(L"title"), "text"), std::vector<UIColor>{0xFFFFFFFFu});
    EXPECT_EQ(colours(paint(L"link"), "text"), std::vector<UIColor>{0xFFFFFF00u});
    EXPECT_EQ(colours(paint(L"off"), "text"), std::vector<UIColor>{0xFF3FF23Fu});
    EXPECT_EQ(colours(paint(L"path"), "border"), std::vector<UIColor>{0xFFFFFFFFu});
    const auto bar = paint(L"bar");
    EXPECT_EQ(colours(bar, "image"), std::vector<UIColor>{});
    EXPECT_EQ(colours(bar, "fill"), (std::vector<UIColor>{0xFF000000u, 0xFF1AEBFFu}));
    EXPECT_EQ(colours(bar, "border"), std::vector<UIColor>{0xFFFFFFFFu});
    // The layout's background colour becomes the system's, its images stay.
    RecordingTarget target;
    w.core.GetRoot()->DoPaint(target, w.host.client);
    EXPECT_EQ(target.calls.front().kind, "fill");
    EXPECT_EQ(target.calls.front().color, 0xFF000000u);
}

}  // namespace

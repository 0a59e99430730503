// The keyboard through the manager core: which control each Tab reaches, what Return,
// Space and Escape press, where the focus goes when its control goes away, and the focus
// ring that shows once the keyboard is used.
#include "TestSupport.h"

namespace {

// A page in reading order with one of each: decoration, text, a hidden row, a disabled
// button, a link, a check box, an edit, a rich edit and two default buttons (one hidden).
const char* const kPage = R"(<Window focusbordercolor="#FF112233"><VerticalLayout>
    <HorizontalLayout height="30"><Label text="title"/><Button name="close" width="18" height="18" tooltip="close"
        iscancel="true"/></HorizontalLayout>
    <Button name="icon" width="24" height="24" role="graphic"/>
    <Edit name="path" width="200" height="30" padding="20,0,0,0"/>
    <HorizontalLayout name="hidden" height="20" visible="false"><Button name="ghost" width="20"/></HorizontalLayout>
    <Button name="off" width="40" height="20" enabled="false"/>
    <HorizontalLayout height="20"><CheckBox name="box" width="14" height="14"/><Label text="agree" role="none"/>
        <Button name="link" width="100" text="terms" role="link"/></HorizontalLayout>
    <RichEdit name="rich" height="60" readonly="true" multiline="true"/>
    <Button name="start" width="100" height="40" isdefault="true" visible="false"/>
    <Button name="go" width="100" height="40" isdefault="true"/>
    <Control/></VerticalLayout></Window>)";

std::vector<std::wstring> TabRound(TestWindow& w, int presses, unsigned keyState = 0) {
    std::vector<std::wstring> reached;
    for (int i = 0; i < presses; ++i) {
        w.core.OnKeyDown(UI_VK_TAB, keyState);
        reached.push_back(w.core.GetFocus() ? std::wstring(w.core.GetFocus()->GetName()) : L"");
    }
    return reached;
}

TEST(Keyboard, TabReachesTheActingControlsInReadingOrderSkippingHiddenDisabledAndDecoration) {
    TestWindow w(kPage);
    ASSERT_EQ(w.core.GetFocus(), w.core.FindControl(L"go"));  // the default button starts with the focus
    EXPECT_EQ(TabRound(w, 7),
              (std::vector<std::wstring>{L"close", L"path", L"box", L"link", L"rich", L"go", L"close"}));
    EXPECT_EQ(TabRound(w, 3, UI_MK_SHIFT), (std::vector<std::wstring>{L"go", L"rich", L"link"}));
    // What is shown, enabled or hidden later counts from then on.
    w.Find(L"hidden")->SetVisible(true);
    w.Find(L"off")->SetEnabled(true);
    w.Find(L"link")->SetEnabled(false);
    w.core.SetFocus(w.Find(L"path"));
    EXPECT_EQ(TabRound(w, 3), (std::vector<std::wstring>{L"ghost", L"off", L"box"}));
}

TEST(Keyboard, ReturnPressesTheFocusedControlElseTheDefaultButtonAndEscapeTheCancelButton) {
    struct Case {
        const wchar_t* focus;      // null: no control has the focus
        unsigned key;
        std::vector<std::wstring> clicks;
    };
    const Case cases[] = {
        {L"link", UI_VK_RETURN, {L"click:link"}},
        {L"link", UI_VK_SPACE, {L"click:link"}},
        {L"box", UI_VK_RETURN, {L"click:box"}},
        {L"path", UI_VK_RETURN, {L"click:go"}},  // text sends Return on to the default button
        {L"rich", UI_VK_RETURN, {L"click:go"}},
        {nullptr, UI_VK_RETURN, {L"click:go"}},  // "start" is a default button too, but hidden
        {nullptr, UI_VK_SPACE, {}},
        {L"link", UI_VK_ESCAPE, {L"click:close"}},
        {L"path", UI_VK_ESCAPE, {L"click:close"}},
    };
    for (const Case& c : cases) {
        TestWindow w(kPage);
        w.core.SetFocus(c.focus ? w.Find(c.focus) : nullptr);
        w.receiver.seen.clear();
        w.core.OnKeyDown(c.key);
        w.core.OnKeyDown(c.key, UI_KEY_REPEAT);  // a held key presses once
        EXPECT_EQ(w.receiver.Types(L"click"), c.clicks) << (c.focus ? Narrow(c.focus) : "none") << " key " << c.key;
    }
    TestWindow w(kPage);
    w.Find(L"close")->SetVisible(false);  // no cancel button shown: Escape does nothing
    w.receiver.seen.clear();
    EXPECT_FALSE(w.core.OnKeyDown(UI_VK_ESCAPE));
    EXPECT_TRUE(w.receiver.Types(L"click").empty());
    // Return on a check box ticks it, as Space does.
    auto* box = w.Find<CCheckBoxUI>(L"box", L"CheckBox");
    w.core.SetFocus(box);
    w.core.OnKeyDown(UI_VK_RETURN);
    EXPECT_TRUE(box->IsSelected());
}

TEST(Keyboard, AFocusThatGoesAwayGoesToTheDefaultButtonOfWhatIsShownNext) {
    TestWindow w(kPage);
    w.core.SetFocus(w.Find(L"box"));
    w.Find(L"box")->SetVisible(false);
    EXPECT_EQ(w.core.GetFocus(), nullptr);
    w.core.LayoutRoot(w.host.client);
    EXPECT_EQ(w.core.GetFocus(), w.Find(L"go"));

    // A page without a default button leaves no focus until one shows a default button.
    w.Find(L"go")->SetEnabled(false);
    EXPECT_EQ(w.core.GetFocus(), nullptr);
    w.core.LayoutRoot(w.host.client);
    EXPECT_EQ(w.core.GetFocus(), nullptr);
    w.Find(L"start")->SetVisible(true);
    w.core.LayoutRoot(w.host.client);
    EXPECT_EQ(w.core.GetFocus(), w.Find(L"start"));
    // The focus a user gave stays where it is.
    w.core.SetFocus(w.Find(L"link"));
    w.core.LayoutRoot(w.host.client);
    EXPECT_EQ(w.core.GetFocus(), w.Find(L"link"));
}

// The two bands of the ring as drawn after everything else: the outer one in the focus
// colour, the inner one light.
std::vector<RecordingTarget::Call> RingOf(TestWindow& w) {
    RecordingTarget target;
    w.core.Paint(target, w.host.client);
    std::vector<RecordingTarget::Call> borders;
    for (const auto& call : target.calls)
        if (call.kind == "border") borders.push_back(call);
    return borders;
}

TEST(FocusRing, ShowsOnceTheKeyboardIsUsedAroundTheFocusedControlAtEveryScale) {
    for (const int dpi : {96, 144, 192}) {
        TestWindow w(kPage, {0, 0, UIScale::ForDpi(dpi).Px(580), UIScale::ForDpi(dpi).Px(400)}, dpi);
        EXPECT_TRUE(RingOf(w).empty()) << "before any key, at " << dpi;
        w.core.OnKeyDown(UI_VK_TAB);
        ASSERT_EQ(w.core.GetFocus(), w.Find(L"close"));
        const UIRect box = w.Find(L"path")->GetPos();
        w.core.SetFocus(w.Find(L"path"));
        const std::vector<RecordingTarget::Call> ring = RingOf(w);
        ASSERT_EQ(ring.size(), 2u) << dpi;
        const UIScale scale = UIScale::ForDpi(dpi);
        const int outer = scale.Line(2), width = outer + scale.Line(1);
        EXPECT_EQ(ring[0].rect, (UIRect{box.left - width, box.top - width, box.right + width, box.bottom + width}));
        EXPECT_EQ(ring[0].color, 0xFF112233u);
        EXPECT_EQ(ring[1].rect,
                  (UIRect{box.left - width + outer, box.top - width + outer, box.right + width - outer,
                          box.bottom + width - outer}));
        EXPECT_EQ(ring[1].color, 0xFFFFFFFFu);
        EXPECT_EQ(w.core.FocusRingWidth(), width);
    }
}

TEST(FocusRing, StaysInsideTheWindowAndTakesTheSystemColoursInHighContrast) {
    TestWindow w(kPage);
    w.core.OnKeyDown(UI_VK_TAB);  // "close", in the top right corner
    w.Find(L"close")->SetPos({562, 0, 580, 18});
    const UIRect ring = w.core.FocusRingRect(*w.Find(L"close"));
    EXPECT_EQ(ring, (UIRect{559, 0, 580, 21}));
    UIPalette contrast;
    contrast.highContrast = true;
    contrast.highlight = 0xFF1AEBFF;
    contrast.window = 0xFF000000;
    w.core.SetPalette(contrast);
    const auto bands = RingOf(w);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].color, 0xFF1AEBFFu);
    EXPECT_EQ(bands[1].color, 0xFF000000u);
}

}  // namespace

// Controls driven through the manager core as the window drives them: mouse and keyboard
// state, notifications and their order, and the image drawn in each state.
#include "TestSupport.h"
#include "ui/pure/CaptionHitTest.h"
#include "ui/pure/ImageDescription.h"

namespace {

const char* const kButtons = R"(<Window caption="0,0,0,30"><VerticalLayout>
    <HorizontalLayout height="30"><Label name="title"/><Button name="closebtn" width="18" height="18" tooltip="close"
        normalimage="res='224' restype='png'" hotimage="res='225' restype='png'"/></HorizontalLayout>
    <Button name="start" width="100" height="40" normalimage="n" hotimage="h" pushedimage="p" foreimage="f" hotforeimage="hf"/>
    <Button name="off" width="100" height="40" normalimage="n" hotimage="h" enabled="false"/>
    <Button name="mute" width="24" height="24" mouse="false" normalimage="q"/>
    <CheckBox name="cb" width="14" height="14" selected="true" normalimage="249" hotimage="249h" selectedimage="247" foreimage="fore"/>
    <Progress name="progress" width="500" height="18" foreimage="res='226' restype='png'" min="0" max="100" value="37"/>
    <Edit name="path" width="440" height="34" maxchar="5"/>
    <Control/></VerticalLayout></Window>)";

class Controls : public ::testing::Test {
protected:
    TestWindow w{kButtons};
    std::vector<std::wstring> Clicks() const { return w.receiver.Types(L"click"); }
    std::vector<std::wstring> Paint(CControlUI* c, UIRect clip = {0, 0, 10000, 10000}) {
        RecordingTarget target;
        c->DoPaint(target, clip);
        return target.Images();
    }
};

TEST_F(Controls, PressDragOutAndReleaseGivesNoClickDraggingBackInDoes) {
    auto* start = w.Find<CButtonUI>(L"start", L"Button");
    const UIPoint inside = TestWindow::Centre(start);
    const UIPoint outside{inside.x + 300, inside.y};

    w.core.OnMouseMove(inside);
    EXPECT_TRUE(start->IsHot());
    w.core.OnButtonDown(inside);
    EXPECT_TRUE(start->IsPushed());
    EXPECT_TRUE(start->IsCaptured());
    EXPECT_EQ(w.host.captures, 1);
    w.core.OnMouseMove(outside);
    EXPECT_FALSE(start->IsPushed());
    EXPECT_TRUE(start->IsCaptured());
    w.core.OnButtonUp(outside);
    EXPECT_TRUE(Clicks().empty());
    EXPECT_FALSE(start->IsCaptured());
    EXPECT_EQ(w.host.releases, 1);

    w.core.OnButtonDown(inside);
    w.core.OnMouseMove(outside);
    w.core.OnMouseMove(inside);
    EXPECT_TRUE(start->IsPushed());
    w.core.OnButtonUp(inside);
    EXPECT_EQ(Clicks(), std::vector<std::wstring>{L"click:start"});
    EXPECT_FALSE(start->IsPushed());
}

TEST_F(Controls, ImageFollowsTheState) {
    auto* start = w.Find<CButtonUI>(L"start", L"Button");
    const UIPoint inside = TestWindow::Centre(start);
    EXPECT_EQ(Paint(start), (std::vector<std::wstring>{L"n", L"f"}));
    w.core.OnMouseMove(inside);
    EXPECT_EQ(Paint(start), (std::vector<std::wstring>{L"h", L"hf"}));
    w.core.OnButtonDown(inside);
    EXPECT_EQ(Paint(start), (std::vector<std::wstring>{L"p", L"hf"}));
    w.core.OnButtonUp(inside);
    w.core.OnMouseMove({1, 399});
    EXPECT_EQ(Paint(start), (std::vector<std::wstring>{L"n", L"f"}));

    // An image that cannot be drawn falls back to the normal one.
    RecordingTarget target;
    target.broken.push_back(L"h");
    w.core.OnMouseMove(inside);
    start->DoPaint(target, {0, 0, 10000, 10000});
    EXPECT_EQ(target.Images(), (std::vector<std::wstring>{L"h", L"n", L"hf"}));
}

TEST_F(Controls, HotColourWithoutHotImageIsDrawnAlone) {
    auto* start = w.Find<CButtonUI>(L"start", L"Button");
    start->SetHotImage(L"");
    start->SetHotBkColor(0xFF00FF00);
    w.core.OnMouseMove(TestWindow::Centre(start));
    RecordingTarget target;
    start->DoPaint(target, {0, 0, 10000, 10000});
    ASSERT_EQ(target.calls.size(), 1u);
    EXPECT_EQ(target.calls[0].kind, "fill");
    EXPECT_EQ(target.calls[0].color, 0xFF00FF00u);
}

TEST_F(Controls, DisabledButtonDrawsTheNormalImageAndRaisesNothing) {
    auto* off = w.Find<CButtonUI>(L"off", L"Button");
    const UIPoint inside = TestWindow::Centre(off);
    w.core.OnMouseMove(inside);
    w.core.OnButtonDown(inside);
    w.core.OnButtonUp(inside);
    w.core.OnKeyDown(UI_VK_RETURN);
    EXPECT_FALSE(off->Activate());
    EXPECT_TRUE(Clicks().empty());
    EXPECT_EQ(off->GetButtonState(), 0u);
    EXPECT_EQ(Paint(off), std::vector<std::wstring>{L"n"});
}

TEST_F(Controls, DisablingClearsTheStateFlags) {
    auto* start = w.Find<CButtonUI>(L"start", L"Button");
    const UIPoint inside = TestWindow::Centre(start);
    w.core.OnMouseMove(inside);
    w.core.OnButtonDown(inside);
    ASSERT_TRUE(start->IsFocused());
    start->SetEnabled(false);
    EXPECT_EQ(start->GetButtonState(), 0u);
    EXPECT_FALSE(start->IsFocused());
    w.core.OnButtonUp(inside);
    EXPECT_TRUE(Clicks().empty());
}

TEST_F(Controls, SpaceAndReturnActivateTheFocusedButton) {
    auto* start = w.Find<CButtonUI>(L"start", L"Button");
    w.core.SetFocus(start);
    w.core.OnKeyDown(UI_VK_SPACE);
    w.core.OnKeyDown(UI_VK_RETURN);
    w.core.OnKeyDown('A');
    EXPECT_EQ(Clicks(), (std::vector<std::wstring>{L"click:start", L"click:start"}));
}

TEST_F(Controls, HandCursorAndToolTipOverAButton) {
    auto* close = w.Find<CButtonUI>(L"closebtn", L"Button");
    const UIPoint inside = TestWindow::Centre(close);
    w.core.OnMouseMove(inside);
    EXPECT_TRUE(w.core.OnSetCursor(inside));
    EXPECT_EQ(w.host.cursors.back(), UICursor::Hand);
    EXPECT_EQ(w.host.toolTips.back(), L"close");
    EXPECT_FALSE(w.core.OnSetCursor(TestWindow::Centre(w.Find(L"title"))));
    w.core.OnMouseLeave();
    EXPECT_FALSE(close->IsHot());
    EXPECT_EQ(w.host.toolTips.back(), L"");
}

TEST_F(Controls, CheckBoxClickSeesTheOldStateThenSelectChangedFollows) {
    auto* cb = w.Find<CCheckBoxUI>(L"cb", L"CheckBox");
    ASSERT_TRUE(cb->GetCheck());
    const UIPoint inside = TestWindow::Centre(cb);
    w.core.OnButtonDown(inside);
    w.core.OnButtonUp(inside);
    std::vector<RecordingReceiver::Seen> fromCb;
    for (const auto& s : w.receiver.seen)
        if (s.sender == L"cb" && (s.type == L"click" || s.type == L"selectchanged")) fromCb.push_back(s);
    ASSERT_EQ(fromCb.size(), 2u);
    EXPECT_EQ(fromCb[0].type, L"click");
    EXPECT_TRUE(fromCb[0].selectedAtThatTime);
    EXPECT_EQ(fromCb[1].type, L"selectchanged");
    EXPECT_FALSE(fromCb[1].selectedAtThatTime);
    EXPECT_FALSE(cb->GetCheck());

    const size_t before = w.receiver.seen.size();
    cb->SetCheck(false);  // the same state: nothing
    EXPECT_EQ(w.receiver.seen.size(), before);
}

TEST_F(Controls, CheckBoxImages) {
    auto* cb = w.Find<CCheckBoxUI>(L"cb", L"CheckBox");
    EXPECT_EQ(Paint(cb), (std::vector<std::wstring>{L"247", L"fore"}));
    w.core.OnMouseMove(TestWindow::Centre(cb));
    EXPECT_EQ(Paint(cb), (std::vector<std::wstring>{L"247", L"fore"}));  // no selected hot image set
    cb->SetCheck(false);
    EXPECT_EQ(Paint(cb), (std::vector<std::wstring>{L"249h", L"fore"}));
    w.core.OnButtonDown(TestWindow::Centre(cb));  // pushed, but a check box shows no pushed image
    cb->SetAttribute(L"pushedimage", L"pushed");
    EXPECT_EQ(Paint(cb), (std::vector<std::wstring>{L"249h", L"fore"}));
}

TEST(Options, GroupSelectsItselfAndDeselectsTheOthersBeforeNotifying) {
    TestWindow w(R"(<Window><HorizontalLayout><Option name="a" group="g" selected="true" width="10"/>
        <Option name="b" group="g" width="10"/><Option name="c" width="10" selected="true"/></HorizontalLayout></Window>)");
    auto* a = w.Find<COptionUI>(L"a", L"Option");
    auto* b = w.Find<COptionUI>(L"b", L"Option");
    auto* c = w.Find<COptionUI>(L"c", L"Option");
    b->Activate();
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_TRUE(c->IsSelected());  // another group
    EXPECT_EQ(w.receiver.Types(), (std::vector<std::wstring>{L"click:b", L"selectchanged:a", L"selectchanged:b"}));
    b->Activate();  // already selected in its group: stays selected
    EXPECT_TRUE(b->IsSelected());
}

TEST_F(Controls, ProgressFillsItsShare) {
    auto* progress = w.Find<CProgressUI>(L"progress", L"Progress");
    ASSERT_EQ(progress->GetPos().width(), 500);
    EXPECT_EQ(progress->GetFillRect(), (UIRect{0, 0, 185, 18}));
    RecordingTarget target;
    progress->DoPaint(target, {0, 0, 10000, 10000});
    ASSERT_EQ(target.Images().size(), 1u);
    const ImageDescription drawn = ParseImageDescription(target.Images()[0]);
    EXPECT_EQ(drawn.file, L"226");
    // Drawn into the filled part itself (device pixels), not through a "dest".
    const UIRect& bar = progress->GetPos();
    EXPECT_EQ(target.calls.back().rect, (UIRect{bar.left, bar.top, bar.left + 185, bar.top + 18}));
    EXPECT_FALSE(drawn.hasDest);
    EXPECT_EQ(drawn.source, (UIRect{}));  // stretched: the whole image

    progress->SetStretchForeImage(false);
    target.calls.clear();
    progress->DoPaint(target, {0, 0, 10000, 10000});
    EXPECT_EQ(ParseImageDescription(target.Images()[0]).source, (UIRect{0, 0, 185, 18}));

    progress->SetValue(0);
    target.calls.clear();
    progress->DoPaint(target, {0, 0, 10000, 10000});
    EXPECT_TRUE(target.Images().empty());
}

TEST(Progress, KeepsMaxAboveMinAndTheValueInside) {
    CProgressUI p;
    p.SetPos({0, 0, 100, 10});
    p.SetValue(150);
    EXPECT_EQ(p.GetValue(), 100);
    p.SetMaxValue(-5);
    EXPECT_EQ(p.GetMaxValue(), 1);
    EXPECT_EQ(p.GetValue(), 1);
    p.SetMinValue(50);
    EXPECT_EQ(p.GetMaxValue(), 51);
    EXPECT_EQ(p.GetValue(), 50);
    p.SetMinValue(2147483647);
    EXPECT_GT(p.GetMaxValue(), p.GetMinValue());
    p.SetHorizontal(false);
    p.SetMinValue(0);
    p.SetMaxValue(4);
    p.SetValue(1);
    EXPECT_EQ(p.GetFillRect(), (UIRect{0, 8, 100, 10}));
}

TEST_F(Controls, EditAsksTheHostForANativeWindowAndTakesTheTextBack) {
    auto* edit = w.Find<CEditUI>(L"path", L"Edit");
    EXPECT_EQ(edit->GetPasswordChar(), L'*');
    w.core.OnButtonDown(TestWindow::Centre(edit));
    w.core.OnButtonUp(TestWindow::Centre(edit));
    ASSERT_EQ(w.host.edits.size(), 1u);
    EXPECT_EQ(w.host.edits[0], edit);
    EXPECT_TRUE(edit->IsEditing());
    edit->OnNativeEditEnd(L"D:\\Program Files");
    EXPECT_FALSE(edit->IsEditing());
    EXPECT_EQ(edit->GetText(), L"D:\\Pr");  // maxchar 5
    EXPECT_EQ(w.receiver.Types(L"textchanged"), std::vector<std::wstring>{L"textchanged:path"});
    edit->SetText(L"abcdefgh");
    EXPECT_EQ(edit->GetText(), L"abcde");
    EXPECT_EQ(CEditUI().GetMaxChar(), 255);
}

TEST_F(Controls, LabelDefaultsAndText) {
    CLabelUI label;
    EXPECT_EQ(label.GetTextStyle(), static_cast<unsigned>(UI_DT_VCENTER));
    label.SetAttribute(L"align", L"right");
    EXPECT_EQ(label.GetTextStyle(), static_cast<unsigned>(UI_DT_VCENTER | UI_DT_RIGHT));
    label.SetAttribute(L"text", L"abc");
    label.SetAttribute(L"textpadding", L"10,10,0,0");
    label.SetAttribute(L"textcolor", L"#ff148cc8");
    label.SetPos({0, 0, 100, 30});
    RecordingTarget target;
    label.DoPaint(target, {0, 0, 100, 30});
    ASSERT_EQ(target.calls.size(), 1u);
    EXPECT_EQ(target.calls[0].rect, (UIRect{10, 10, 100, 30}));
    EXPECT_EQ(target.calls[0].color, 0xFF148CC8u);
    label.SetEnabled(false);
    label.SetAttribute(L"disabledtextcolor", L"#FF7f7f7f");
    target.calls.clear();
    label.DoPaint(target, {0, 0, 100, 30});
    EXPECT_EQ(target.calls[0].color, 0xFF7F7F7Fu);
}

TEST_F(Controls, FindAtPointSkipsControlsOutOfHitTesting) {
    auto* mute = w.Find(L"mute");
    CControlUI* under = w.core.FindControlAt(TestWindow::Centre(mute));
    ASSERT_TRUE(under);
    EXPECT_EQ(under->GetClass(), L"VerticalLayoutUI");  // the button ignores the mouse
    EXPECT_EQ(w.core.FindControlAt(TestWindow::Centre(w.Find(L"start"))), w.Find(L"start"));
    w.Find(L"start")->SetVisible(false);
    EXPECT_NE(w.core.FindControlAt(TestWindow::Centre(w.Find(L"start"))), w.Find(L"start"));
}

TEST_F(Controls, CaptionStripDragsExceptOverButtons) {
    const UIRect client = w.host.client;
    EXPECT_EQ(CaptionHitTest(w.core, client, TestWindow::Centre(w.Find(L"title")), false), UI_HTCAPTION);
    EXPECT_EQ(CaptionHitTest(w.core, client, TestWindow::Centre(w.Find(L"closebtn")), false), UI_HTCLIENT);
    EXPECT_EQ(CaptionHitTest(w.core, client, {10, 30}, false), UI_HTCLIENT);  // below the strip
    EXPECT_EQ(CaptionHitTest(w.core, client, {10, -1}, false), UI_HTTOP);
    EXPECT_EQ(CaptionHitTest(w.core, client, {10, -1}, true), UI_HTCLIENT);
    EXPECT_EQ(CaptionHitTest(w.core, client, {-1, 10}, false), UI_HTLEFT);
    EXPECT_EQ(CaptionHitTest(w.core, client, {581, 401}, false), UI_HTBOTTOMRIGHT);
    w.core.WindowAttributes().sizeBox = {4, 4, 4, 4};
    EXPECT_EQ(CaptionHitTest(w.core, client, {2, 2}, false), UI_HTTOPLEFT);
    EXPECT_EQ(CaptionHitTest(w.core, client, {577, 200}, false), UI_HTRIGHT);
}

// Numbers beyond any screen in the window's rectangles are held to the geometry bounds
// as they are read, so the hit test's edges (a client edge less a margin) stay in range:
// here the caption strip covers the whole window and the size box is inside out.
TEST(WindowAttributes, ExtremeRectanglesAreHeldToTheBoundsWhenRead) {
    TestWindow w(R"(<Window size="99999999999,-5" caption="-99999999999,0,-2147483648,99999999999"
                     sizebox="0,0,-2147483648,0"><Control name="strip"/></Window>)");
    const UIWindowAttributes& a = w.core.GetWindowAttributes();
    EXPECT_EQ(a.caption, (UIRect{-kUIMaxCoord, 0, -kUIMaxCoord, kUIMaxCoord}));
    EXPECT_EQ(a.sizeBox, (UIRect{0, 0, -kUIMaxCoord, 0}));
    EXPECT_EQ(a.initSize.cx, kUIMaxCoord);
    EXPECT_EQ(a.initSize.cy, -5);
    EXPECT_EQ(w.host.resized.cx, kUIMaxCoord);
    EXPECT_EQ(CaptionHitTest(w.core, w.host.client, {290, 200}, false), UI_HTCAPTION);
    EXPECT_EQ(CaptionHitTest(w.core, w.host.client, {579, 399}, false), UI_HTCAPTION);
}

TEST(Manager, WindowInitOnceOnTheFirstPaintAfterTheFirstLayout) {
    RecordingHost host;
    UIManagerCore core;
    core.SetHost(&host);
    RecordingReceiver receiver;
    CMarkupBuilder builder;
    core.AttachDialog(builder.Build("<Window><VerticalLayout name=\"root\"/></Window>", &core));
    core.AddNotifier(&receiver);
    core.OnPainted();  // no layout yet
    EXPECT_TRUE(receiver.seen.empty());
    RecordingTarget target;
    core.Paint(target, host.client);
    core.Paint(target, host.client);
    EXPECT_EQ(receiver.Types(), std::vector<std::wstring>{L"windowinit:root"});
    EXPECT_EQ(core.GetRoot()->GetPos(), host.client);
}

TEST(Manager, ReceiverThatRemovesItselfAndDestroyedControlsAreSafe) {
    TestWindow w(R"(<Window><VerticalLayout><Button name="b" height="20"/><Button name="c" height="20"/></VerticalLayout></Window>)");
    struct Remover : INotifyUI {
        UIManagerCore* core = nullptr;
        int calls = 0;
        void Notify(TNotifyUI&) override { ++calls; core->RemoveNotifier(this); }
    } remover;
    remover.core = &w.core;
    w.core.AddNotifier(&remover);
    auto* b = w.Find(L"b");
    const UIPoint inside = TestWindow::Centre(b);
    w.core.OnMouseMove(inside);
    w.core.OnButtonDown(inside);
    // The pressed, hot and focused control goes away before the release.
    auto* root = ui_cast<CContainerUI>(w.core.GetRoot(), L"Container");
    ASSERT_TRUE(root->Remove(b));
    EXPECT_EQ(w.core.GetHot(), nullptr);
    EXPECT_EQ(w.core.GetFocus(), nullptr);
    EXPECT_EQ(w.core.FindControl(L"b"), nullptr);
    EXPECT_FALSE(w.core.OnButtonUp(inside));
    EXPECT_EQ(remover.calls, 1);  // the setfocus notification only
}

TEST(Manager, NamesFollowControlsAddedRenamedAndDetachedAfterTheAttach) {
    TestWindow w(R"(<Window><VerticalLayout name="root"/></Window>)");
    auto* root = w.Find<CContainerUI>(L"root", L"Container");
    auto button = std::make_unique<CButtonUI>();
    button->SetName(L"late");
    CControlUI* added = root->Add(std::move(button));
    EXPECT_EQ(w.core.FindControl(L"late"), added);
    added->SetName(L"renamed");
    EXPECT_EQ(w.core.FindControl(L"late"), nullptr);
    EXPECT_EQ(w.core.FindControl(L"renamed"), added);
    std::unique_ptr<CControlUI> detached = root->Detach(added);
    EXPECT_EQ(w.core.FindControl(L"renamed"), nullptr);
    EXPECT_EQ(detached->GetManager(), nullptr);
    EXPECT_EQ(detached->GetParent(), nullptr);
}

TEST(Manager, TabMovesTheFocusAmongButtonsAndEdits) {
    TestWindow w(R"(<Window><VerticalLayout><Label name="l" height="10"/><Button name="a" height="10"/>
        <Edit name="e" height="10"/><Button name="d" height="10" enabled="false"/><CheckBox name="c" height="10"/></VerticalLayout></Window>)");
    std::vector<std::wstring> order;
    for (int i = 0; i < 4; ++i) {
        w.core.OnKeyDown(UI_VK_TAB);
        order.push_back(w.core.GetFocus()->GetName());
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"a", L"e", L"c", L"a"}));
    w.core.OnKeyDown(UI_VK_TAB, UI_MK_SHIFT);
    EXPECT_EQ(w.core.GetFocus()->GetName(), L"c");
}

}  // namespace

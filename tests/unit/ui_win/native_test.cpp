// The native pieces: the edit window laid over an edit control while typing, the rich
// edit with its skinned scroll bar, the rounded window region and the drop shadow.
#include <gtest/gtest.h>
#include "TestWindow.h"
#include <richedit.h>
#include "ui/UIGlobals.h"

namespace {
const wchar_t kEditLayout[] = LR"(<Window size="300,100">
  <Font name="微软雅黑" size="14" default="true" />
  <VerticalLayout bkcolor="#FFFFFFFF">
    <Edit name="path" height="34" text="C:\旧" bordersize="1" bordercolor="#FFC8C9CA" borderround="4,4" />
    <Edit name="pin" height="30" maxchar="4" numberonly="true" password="true" />
    <Edit name="ro" height="30" readonly="true" text="固定" />
    <Control />
  </VerticalLayout>
</Window>)";

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Open());  // hidden: no X focus taken from other programs
        ASSERT_TRUE(window.built);
        Rendering(window.pm, 300, 100);
        edit = ui_cast<CEditUI>(window.pm.FindControl(L"path"), L"Edit");
        ASSERT_NE(nullptr, edit);
        window.notes.clear();
    }
    // Clicks the control and returns the native edit laid over it.
    HWND StartEditing(int x, int y, CControlUI* control) {
        ::PostMessageW(window.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::PostMessageW(window.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        HWND native = nullptr;
        PumpUntil([&] { return (native = window.pm.GetNativeWindow(control)) != nullptr; });
        return native;
    }
    void Type(HWND native, const wchar_t* text) {
        for (const wchar_t* c = text; *c; ++c) ::SendMessageW(native, WM_CHAR, *c, 1);
    }
    TestWindow window{kEditLayout};
    CEditUI* edit = nullptr;
};

TEST_F(EditTest, TypingEndsInTheControlOnReturn) {
    HWND native = StartEditing(20, 17, edit);
    ASSERT_NE(nullptr, native);
    EXPECT_EQ(native, ::GetFocus());
    wchar_t shown[64] = {};
    ::GetWindowTextW(native, shown, 64);
    EXPECT_STREQ(L"C:\\旧", shown);
    // The window lies over the control.
    RECT r = {};
    ::GetWindowRect(native, &r);
    ::MapWindowPoints(nullptr, window.GetHWND(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, 34);
    Type(native, L"D:\\新");  // all selected at first: typing replaces
    ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(PumpUntil([&] { return window.pm.GetNativeWindow(edit) == nullptr; }));
    EXPECT_FALSE(::IsWindow(native));
    EXPECT_EQ(L"D:\\新", edit->GetText());
    auto notes = window.NoteList();
    EXPECT_NE(notes.end(), std::find(notes.begin(), notes.end(), L"textchanged:path"));
    EXPECT_EQ(L"return:path", notes.back());
}

TEST_F(EditTest, FocusLossKeepsAndEscapeDropsTheTypedText) {
    HWND native = StartEditing(20, 17, edit);
    ASSERT_NE(nullptr, native);
    Type(native, L"abc");
    ::SetFocus(window.GetHWND());
    ASSERT_TRUE(PumpUntil([&] { return window.pm.GetNativeWindow(edit) == nullptr; }));
    EXPECT_EQ(L"abc", edit->GetText());

    native = StartEditing(20, 17, edit);
    ASSERT_NE(nullptr, native);
    Type(native, L"xyz");
    ::SendMessageW(native, WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(PumpUntil([&] { return window.pm.GetNativeWindow(edit) == nullptr; }));
    EXPECT_EQ(L"abc", edit->GetText());
}

// The program sets the text while the user is in the native edit (a folder picked, for
// instance): the native edit shows it at once, and editing ends with it; after Escape too,
// which drops only what was typed after it.
TEST_F(EditTest, TextSetWhileEditingIsKeptWhenEditingEnds) {
    HWND native = StartEditing(20, 17, edit);
    ASSERT_NE(nullptr, native);
    Type(native, L"abc");
    edit->SetText(L"D:\\选定");
    wchar_t shown[64] = {};
    ::GetWindowTextW(native, shown, 64);
    EXPECT_STREQ(L"D:\\选定", shown);
    ::SetFocus(window.GetHWND());
    ASSERT_TRUE(PumpUntil([&] { return window.pm.GetNativeWindow(edit) == nullptr; }));
    EXPECT_EQ(L"D:\\选定", edit->GetText());

    native = StartEditing(20, 17, edit);
    ASSERT_NE(nullptr, native);
    edit->SetText(L"E:\\再选");
    Type(native, L"xyz");
    ::SendMessageW(native, WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(PumpUntil([&] { return window.pm.GetNativeWindow(edit) == nullptr; }));
    EXPECT_EQ(L"E:\\再选", edit->GetText());
}

// Typing is not navigation: the focus ring shows with Tab, not with the letters typed.
TEST_F(EditTest, TabLeavesTheEditKeepingTheTextAndShowsTheFocusRing) {
    HWND native = StartEditing(20, 17, edit);
    ASSERT_NE(nullptr, native);
    ::PostMessageW(native, WM_KEYDOWN, 'T', 1);  // through the loop's translators: types "t"
    UIPumpMessages();
    EXPECT_FALSE(window.pm.AreFocusCuesShown());
    ::PostMessageW(native, WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(PumpUntil([&] { return window.pm.GetNativeWindow(edit) == nullptr; }));
    EXPECT_EQ(L"t", edit->GetText());
    EXPECT_TRUE(window.pm.AreFocusCuesShown());
}

TEST_F(EditTest, OptionsReachTheNativeWindow) {
    auto* pin = ui_cast<CEditUI>(window.pm.FindControl(L"pin"), L"Edit");
    HWND native = StartEditing(20, 50, pin);
    ASSERT_NE(nullptr, native);
    const LONG style = ::GetWindowLongW(native, GWL_STYLE);
    EXPECT_TRUE(style & ES_PASSWORD);
    EXPECT_TRUE(style & ES_NUMBER);
    EXPECT_EQ(4, ::SendMessageW(native, EM_GETLIMITTEXT, 0, 0));
    EXPECT_EQ(L'*', static_cast<wchar_t>(::SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0)));
    EXPECT_NE(nullptr, reinterpret_cast<HFONT>(::SendMessageW(native, WM_GETFONT, 0, 0)));

    auto* ro = ui_cast<CEditUI>(window.pm.FindControl(L"ro"), L"Edit");
    native = StartEditing(20, 80, ro);
    ASSERT_NE(nullptr, native);
    EXPECT_TRUE(::GetWindowLongW(native, GWL_STYLE) & ES_READONLY);
    Type(native, L"x");
    ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(PumpUntil([&] { return window.pm.GetNativeWindow(ro) == nullptr; }));
    EXPECT_EQ(L"固定", ro->GetText());
}

// A licence-like window: a read-only rich edit with a vertical bar whose looks come from
// the window's Default list.
std::wstring RichLayout() {
    std::wstring text;
    for (int i = 1; i <= 60; ++i) text += L"第" + std::to_wstring(i) + L"行 licence line\n";
    std::wstring layout = LR"(<Window size="300,200">
  <Font name="微软雅黑" size="14" default="true" />
  <Default name="VScrollBar" value="width=&quot;10&quot; button1normalimage=&quot;res='109' restype='png' source='0,0,10,10'&quot; button2normalimage=&quot;res='109' restype='png' source='0,20,10,30'&quot; thumbnormalimage=&quot;res='109' restype='png' source='0,30,10,40' corner='4,4,1,1'&quot; bknormalimage=&quot;res='109' restype='png' source='0,10,10,20'&quot;" />
  <VerticalLayout bkcolor="#FFFFFFFF">
    <RichEdit name="licence" multiline="true" vscrollbar="true" autovscroll="true" rich="false" readonly="true" inset="20,20,10,10" textcolor="#FF212121" bkcolor="#FFFFFFFF" text=")";
    return layout + text + LR"(" />
  </VerticalLayout>
</Window>)";
}

TEST(RichEdit, ShowsItsTextAndScrollsWithTheSkinnedBar) {
    TestWindow window(RichLayout());
    ASSERT_TRUE(window.Open());
    // Hidden windows get no WM_PAINT: the layout is brought up to date by drawing.
    const auto settle = [&] { UIPumpMessages(); Rendering(window.pm, 300, 200); };
    ASSERT_TRUE(window.built);
    CControlUI* control = window.pm.FindControl(L"licence");
    auto* rich = ui_cast<CRichEditUI>(control, L"RichEdit");
    ASSERT_NE(nullptr, rich);
    Rendering first(window.pm, 300, 200);
    Rendering(window.pm, 300, 200);  // the bar shows once the text's height is known
    HWND native = window.pm.GetNativeWindow(control);
    ASSERT_NE(nullptr, native);
    EXPECT_TRUE(::GetWindowLongW(native, GWL_STYLE) & WS_VISIBLE);
    wchar_t start[8] = {};
    ::GetWindowTextW(native, start, 4);
    EXPECT_STREQ(L"第1行", start);
    ::SendMessageW(native, WM_CHAR, L'x', 1);  // read-only: typing changes nothing
    ::GetWindowTextW(native, start, 4);
    EXPECT_STREQ(L"第1行", start);

    CScrollBarUI* bar = rich->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_GT(bar->GetScrollRange(), 200);
    // The native window leaves the bar's strip to the skinned bar, which is drawn from the sprite.
    RECT r = {};
    ::GetWindowRect(native, &r);
    ::MapWindowPoints(nullptr, window.GetHWND(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(bar->GetPos().left, r.right);
    Rendering drawn(window.pm, 300, 200);
    const UIRect b1 = bar->GetButton1Rect();
    EXPECT_TRUE(Near(drawn.At(b1.left + 5, b1.top + 5), 0xC80000)) << std::hex << drawn.At(b1.left + 5, b1.top + 5);

    // Scrolling the control scrolls the native text, and the wheel over the window does too.
    rich->SetScrollPos(UISize{0, 100});
    settle();
    POINT pos = {};
    ::SendMessageW(native, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(100, pos.y);
    POINT screen = {150, 100};
    ::ClientToScreen(window.GetHWND(), &screen);
    ::SendMessageW(window.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    settle();
    ::SendMessageW(native, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_GT(pos.y, 100);
    EXPECT_EQ(rich->GetScrollPos().cy, pos.y);
    // A click on the bar's lower arrow scrolls further, a click on the upper one back.
    const int before = pos.y;
    const UIRect b2 = bar->GetButton2Rect();
    ::PostMessageW(window.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b2.left + 5, b2.top + 5));
    ::PostMessageW(window.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(b2.left + 5, b2.top + 5));
    ASSERT_TRUE(PumpUntil([&] {
        settle();
        ::SendMessageW(native, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
        return pos.y > before;
    }));
    const UIRect up = bar->GetButton1Rect();
    ::PostMessageW(window.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(up.left + 5, up.top + 5));
    ::PostMessageW(window.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(up.left + 5, up.top + 5));
    EXPECT_TRUE(PumpUntil([&] {
        settle();
        ::SendMessageW(native, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
        return pos.y == before;
    }));
    // Scrolling the native text by keyboard moves the skinned bar along.
    ::SendMessageW(native, WM_KEYDOWN, VK_NEXT, 1);
    EXPECT_TRUE(PumpUntil([&] { return rich->GetScrollPos().cy > before; }));
}

TEST(WindowLooks, RoundCornersAndShadowFollowTheWindow) {
    TestWindow window(L"<Window size=\"200,120\" roundcorner=\"8,8\"><Control bkcolor=\"#FF336699\" /></Window>");
    ASSERT_TRUE(window.Open());
    CShadowUI& shadow = window.pm.GetShadow();
    shadow.SetImage(L"res\\shadow.png");  // no such file: the resource RES_SHADOW_PNG stands in
    shadow.SetCorner(23, 22, 25, 26);
    shadow.SetShow(true);
    ::ShowWindow(window.GetHWND(), SW_SHOWNOACTIVATE);
    UIPumpMessages();
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, ::GetWindowRgn(window.GetHWND(), region));
    EXPECT_FALSE(::PtInRegion(region, 0, 0));    // the corner is cut
    EXPECT_TRUE(::PtInRegion(region, 100, 60));
    ::DeleteObject(region);

    HWND shadowWindow = shadow.GetShadowHWND();
    ASSERT_NE(nullptr, shadowWindow);
    EXPECT_TRUE(::IsWindowVisible(shadowWindow));
    RECT w = {}, s = {};
    ::GetWindowRect(window.GetHWND(), &w);
    ::GetWindowRect(shadowWindow, &s);
    EXPECT_EQ(w.left - 23, s.left);
    EXPECT_EQ(w.top - 22, s.top);
    EXPECT_EQ(w.right + 25, s.right);
    EXPECT_EQ(w.bottom + 26, s.bottom);
    EXPECT_TRUE(::GetWindowLongW(shadowWindow, GWL_EXSTYLE) & WS_EX_LAYERED);
    // It follows a move, and hides with its window.
    ::SetWindowPos(window.GetHWND(), nullptr, 120, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetWindowRect(shadowWindow, &s);
    EXPECT_EQ(120 - 23, s.left);
    ::ShowWindow(window.GetHWND(), SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(shadowWindow));
}

TEST(WindowLooks, NoShadowWithoutItsImage) {
    TestWindow window(L"<Window size=\"100,100\"><Control /></Window>");
    ASSERT_TRUE(window.Open());
    window.pm.GetShadow().SetImage(L"res\\missing.png");
    window.pm.GetShadow().SetCorner(10, 10, 10, 10);
    window.pm.GetShadow().SetShow(true);
    ::ShowWindow(window.GetHWND(), SW_SHOWNOACTIVATE);
    UIPumpMessages();
    HWND shadowWindow = window.pm.GetShadow().GetShadowHWND();
    EXPECT_TRUE(shadowWindow == nullptr || !::IsWindowVisible(shadowWindow));
}

TEST(Layouts, BuildFromResourceIdMarkupAndFile) {
    CWindowManager standalone;
    // A numeric text with a type is a resource id.
    EXPECT_NE(nullptr, standalone.Build(201, L"XML"));
    EXPECT_NE(nullptr, standalone.Build(CUIString(L"201"), L"XML"));
    EXPECT_EQ(nullptr, standalone.Build(999, L"XML"));
    // Ids are 16 bits: 65737 (65536 + 201) must not wrap round to layout 201.
    EXPECT_EQ(nullptr, standalone.Build(65536 + 201, L"XML"));
    EXPECT_EQ(nullptr, standalone.Build(CUIString(L"65737"), L"XML"));
    EXPECT_NE(nullptr, standalone.Build(CUIString(L"<Window><Label text=\"x\" /></Window>")));
    EXPECT_EQ(nullptr, standalone.Build(CUIString(L"<Window><Label text=x /></Window>")));
    EXPECT_EQ(L"Expected attribute value", standalone.GetLastBuildError());
    // A file under the resource folder.
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"uiwin-layouts";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\small.xml";
    UniqueFile out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const char markup[] = "<Window><Button name=\"b\" /></Window>";
    DWORD written = 0;
    ::WriteFile(out.get(), markup, sizeof(markup) - 1, &written, nullptr);
    out.reset();
    UISetResourcePath(folder);
    EXPECT_EQ(folder + L"\\", UIGetResourcePath());
    UISetResourcePath(folder + L"\\");
    EXPECT_EQ(folder + L"\\", UIGetResourcePath());
    EXPECT_NE(nullptr, standalone.Build(CUIString(L"small.xml")));
    EXPECT_EQ(nullptr, standalone.Build(CUIString(L"absent.xml")));
    EXPECT_EQ(L"Error opening file", standalone.GetLastBuildError());
    UISetResourcePath(L"");
    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(folder.c_str());
}
}  // namespace

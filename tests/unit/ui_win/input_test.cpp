// Mouse and keyboard messages posted to a real window move buttons and check boxes through
// hot, pushed and click, and the right images follow.
#include <gtest/gtest.h>
#include "TestWindow.h"
#include <commctrl.h>

namespace {
const wchar_t kLayout[] = LR"(<Window size="200,100">
  <VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="20">
      <Button name="btn" width="40" tooltip="提示" normalimage="res='106' restype='png'" hotimage="res='107' restype='png'" pushedimage="res='108' restype='png'" />
      <Button name="off" width="40" enabled="false" normalimage="res='106' restype='png'" hotimage="res='107' restype='png'" />
      <CheckBox name="check" width="14" height="14" normalimage="res='104' restype='png'" selectedimage="res='105' restype='png'" />
    </HorizontalLayout>
    <Control />
  </VerticalLayout>
</Window>)";

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Open());  // hidden: no X focus or pointer taken from other programs
        ASSERT_TRUE(window.built);
        Rendering(window.pm, 200, 100);  // lays the tree out
        btn = ui_cast<CButtonUI>(window.pm.FindControl(L"btn"), L"Button");
        ASSERT_NE(nullptr, btn);
        window.notes.clear();
    }
    void Post(UINT msg, WPARAM w, LPARAM l) {
        ::PostMessageW(window.GetHWND(), msg, w, l);
        UIPumpMessages();
    }
    std::vector<std::wstring> Clicks() const {
        std::vector<std::wstring> out;
        for (const Note& n : window.notes) if (n.type == L"click") out.push_back(n.sender);
        return out;
    }
    TestWindow window{kLayout};
    CButtonUI* btn = nullptr;
};

TEST_F(InputTest, HotPushedAndClickFollowThePointer) {
    Post(WM_MOUSEMOVE, 0, At(10, 10));
    EXPECT_TRUE(btn->IsHot());
    EXPECT_TRUE(Near(Rendering(window.pm, 200, 100).At(20, 10), 0xC86400));  // hot image
    Post(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    EXPECT_TRUE(btn->IsPushed());
    EXPECT_TRUE(btn->IsCaptured());
    EXPECT_EQ(window.GetHWND(), ::GetCapture());
    EXPECT_TRUE(Near(Rendering(window.pm, 200, 100).At(20, 10), 0x6400C8));  // pushed image
    Post(WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_FALSE(btn->IsPushed());
    EXPECT_EQ(std::vector<std::wstring>{L"btn"}, Clicks());
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(InputTest, DraggingOutBeforeReleaseRaisesNoClick) {
    Post(WM_MOUSEMOVE, 0, At(10, 10));
    Post(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    Post(WM_MOUSEMOVE, MK_LBUTTON, At(150, 80));
    EXPECT_FALSE(btn->IsPushed());
    EXPECT_TRUE(btn->IsCaptured());
    Post(WM_LBUTTONUP, 0, At(150, 80));
    EXPECT_TRUE(Clicks().empty());
    // Dragging back in before the release clicks after all.
    Post(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    Post(WM_MOUSEMOVE, MK_LBUTTON, At(150, 80));
    Post(WM_MOUSEMOVE, MK_LBUTTON, At(12, 12));
    EXPECT_TRUE(btn->IsPushed());
    Post(WM_LBUTTONUP, 0, At(12, 12));
    EXPECT_EQ(std::vector<std::wstring>{L"btn"}, Clicks());
}

TEST_F(InputTest, DisabledButtonRaisesNothingAndShowsItsNormalImage) {
    Post(WM_MOUSEMOVE, 0, At(50, 10));
    Post(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 10));
    Post(WM_LBUTTONUP, 0, At(50, 10));
    EXPECT_TRUE(Clicks().empty());
    EXPECT_TRUE(Near(Rendering(window.pm, 200, 100).At(60, 10), 0x0A141E));
}

TEST_F(InputTest, CheckBoxClickSeesTheOldStateThenSelectChanged) {
    Post(WM_MOUSEMOVE, 0, At(85, 5));
    Post(WM_LBUTTONDOWN, MK_LBUTTON, At(85, 5));
    Post(WM_LBUTTONUP, 0, At(85, 5));
    // Focus notes may come first; the order of these two is what matters.
    std::erase_if(window.notes, [](const Note& n) { return n.type != L"click" && n.type != L"selectchanged"; });
    ASSERT_EQ(2u, window.notes.size());
    EXPECT_EQ(L"click", window.notes[0].type);
    EXPECT_FALSE(window.notes[0].senderSelected);
    EXPECT_EQ(L"selectchanged", window.notes[1].type);
    EXPECT_TRUE(window.notes[1].senderSelected);
    EXPECT_TRUE(Near(Rendering(window.pm, 200, 100).At(87, 7), 0x00A000));
}

TEST_F(InputTest, HandCursorOverButtonsOnly) {
    // The pointer stays where it is (other programs may be using it); the hidden window
    // is moved under it instead.
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    const auto cursorAt = [&](int x, int y) {
        ::SetWindowPos(window.GetHWND(), nullptr, cursor.x - x, cursor.y - y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(window.GetHWND(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHWND()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_HAND), cursorAt(10, 10));
    EXPECT_NE(::LoadCursorW(nullptr, IDC_HAND), cursorAt(150, 80));
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_HAND), cursorAt(85, 5));  // the check box
}

TEST_F(InputTest, KeyboardFocusAndSpaceOrReturnActivate) {
    btn->SetFocus();
    Post(WM_KEYDOWN, VK_SPACE, 0);
    Post(WM_KEYUP, VK_SPACE, 0);
    Post(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"btn", L"btn"}), Clicks());
}

TEST_F(InputTest, ToolTipComesFromTheControl) {
    ::SendMessageW(window.GetHWND(), WM_MOUSEMOVE, 0, At(10, 10));
    HWND tip = window.pm.GetToolTipWindow();
    ASSERT_NE(nullptr, tip);
    EXPECT_NE(nullptr, reinterpret_cast<HFONT>(::SendMessageW(tip, WM_GETFONT, 0, 0)));  // Chinese needs it
    EXPECT_EQ(1, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    wchar_t text[80] = {};
    TOOLINFOW ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = window.GetHWND();
    ti.uId = 1;
    ti.lpszText = text;
    ::SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(L"提示", text);
}

TEST(WindowBase, CloseOnAGoneWindowDoesNothingAndCloseCarriesTheCode) {
    TestWindow w(L"<Window size=\"50,50\"><Control /></Window>");
    w.Close(7);  // no window yet: nothing posted, nothing crashes
    ASSERT_TRUE(w.Open());
    w.Close(7);
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageW(&msg, w.GetHWND(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    ::DestroyWindow(w.GetHWND());
    EXPECT_EQ(nullptr, w.GetHWND());
    w.Close(7);
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

TEST(WindowBase, CenterWindowCentresOverTheOwner) {
    TestWindow owner(L"<Window size=\"400,300\"><Control /></Window>");
    ASSERT_TRUE(owner.Open());
    ::SetWindowPos(owner.GetHWND(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    struct Owned : TestWindow {
        using TestWindow::TestWindow;
        bool OpenOwned(HWND parent) { return Create(parent, L"UITest", WS_POPUP, 0, 0, 0, 10, 10) != nullptr; }
    } owned(L"<Window size=\"100,50\"><Control /></Window>");
    ASSERT_TRUE(owned.OpenOwned(owner.GetHWND()));
    owned.CenterWindow();
    RECT r = {};
    ::GetWindowRect(owned.GetHWND(), &r);
    EXPECT_EQ(200 + 200 - 50, r.left);
    EXPECT_EQ(150 + 150 - 25, r.top);
    EXPECT_EQ(100, r.right - r.left);  // size unchanged
}

TEST(WindowBase, CenterWindowCentresOnTheWorkAreaAndStaysInside) {
    TestWindow w(L"<Window size=\"300,200\"><Control /></Window>");
    ASSERT_TRUE(w.Open());
    w.CenterWindow();
    RECT r = {}, area = {};
    ::GetWindowRect(w.GetHWND(), &r);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ((area.left + area.right) / 2 - 150, r.left);
    EXPECT_EQ((area.top + area.bottom) / 2 - 100, r.top);
    // A window wider than the work area ends on its right edge: the left and top edges are
    // pulled in first, then the right and bottom ones.
    ::SetWindowPos(w.GetHWND(), nullptr, 0, 0, area.right - area.left + 400, 100, SWP_NOMOVE | SWP_NOZORDER);
    w.CenterWindow();
    ::GetWindowRect(w.GetHWND(), &r);
    EXPECT_EQ(area.right - (area.right - area.left + 400), r.left);
}
}  // namespace

// The window base and the message loop: setup-style windows get the layout's size and
// limits, windows can subclass a system class, and the loop ends by the rules of nested
// loops.
#include <gtest/gtest.h>
#include <algorithm>
#include "TestWindow.h"

namespace {
// Created like the setup windows (caption style dropped on creation), but hidden.
class SetupStyleWindow : public TestWindow {
public:
    using TestWindow::TestWindow;
    bool OpenLikeSetup() { return Create(nullptr, L"UITest", 0x96C80000 & ~WS_VISIBLE, 0x100) != nullptr; }

protected:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE)
            ::SetWindowLongW(hWnd_, GWL_STYLE, (::GetWindowLongW(hWnd_, GWL_STYLE) & 0xFF3FFFFF) | 0x06000000);
        return TestWindow::HandleMessage(uMsg, wParam, lParam);
    }
};

TEST(SetupWindow, LayoutSizeIsTheWindowSizeOnceTheCaptionIsGone) {
    SetupStyleWindow w(L"<Window size=\"580,400\" mininfo=\"200,360\"><Control /></Window>");
    ASSERT_TRUE(w.OpenLikeSetup());
    RECT window = {}, client = {};
    ::GetWindowRect(w.GetHWND(), &window);
    ::GetClientRect(w.GetHWND(), &client);
    EXPECT_EQ(580, window.right - window.left);
    EXPECT_EQ(400, window.bottom - window.top);
    EXPECT_EQ(580, client.right);
    EXPECT_EQ(400, client.bottom);
    MINMAXINFO info = {};
    ::SendMessageW(w.GetHWND(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(200, info.ptMinTrackSize.x);
    EXPECT_EQ(360, info.ptMinTrackSize.y);
}

TEST(SetupWindow, WindowInitIsRaisedOnceOnTheFirstPaint) {
    TestWindow w(L"<Window size=\"100,100\"><Control /></Window>");
    ASSERT_TRUE(w.Open(true));
    EXPECT_TRUE(w.notes.empty());  // nothing before the first paint
    ::UpdateWindow(w.GetHWND());
    ::InvalidateRect(w.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(w.GetHWND());
    ASSERT_EQ(1u, w.notes.size());
    EXPECT_EQ(L"windowinit", w.notes[0].type);
}

// A window that subclasses the system EDIT class: its own handler sees the messages and
// passes the rest on to the system's procedure, which still edits.
class SubclassedEdit : public CWindowWnd {
public:
    int chars = 0;

protected:
    const wchar_t* GetWindowClassName() const override { return L"UITestEdit"; }
    const wchar_t* GetSuperClassName() const override { return L"EDIT"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CHAR) ++chars;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
};

TEST(WindowBase, SubclassingASystemClassKeepsItsBehaviour) {
    SubclassedEdit edit;
    ASSERT_NE(nullptr, edit.Create(nullptr, L"", WS_POPUP, 0, 0, 0, 100, 20));
    ::SendMessageW(edit.GetHWND(), WM_CHAR, L'a', 1);
    ::SendMessageW(edit.GetHWND(), WM_CHAR, L'b', 1);
    wchar_t text[8] = {};
    ::GetWindowTextW(edit.GetHWND(), text, 8);
    EXPECT_STREQ(L"ab", text);
    EXPECT_EQ(2, edit.chars);
    ::DestroyWindow(edit.GetHWND());
}

TEST(MessageLoop, WithoutAWindowEndsOnQuitWithItsCode) {
    TestWindow w(L"<Window size=\"50,50\"><Button name=\"b\" /></Window>");
    ASSERT_TRUE(w.Open());
    w.Close(3);
    ::PostQuitMessage(5);
    EXPECT_EQ(5, UIRunMessageLoop());
    EXPECT_EQ(nullptr, w.GetHWND());  // the close posted before the quit went through
}

// A window ends its own loop with a quit posted to itself; a quit posted to another
// window (whose loop has ended already) is passed over.
TEST(MessageLoop, WithAWindowEndsOnItsOwnQuitAndPassesOverOthers) {
    TestWindow a(L"<Window size=\"50,50\"><Control /></Window>");
    TestWindow b(L"<Window size=\"50,50\"><Control /></Window>");
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
    ::PostMessageW(b.GetHWND(), WM_QUIT, 7, 0);
    ::PostMessageW(a.GetHWND(), WM_QUIT, 9, 0);
    EXPECT_EQ(9, UIRunMessageLoop(a.GetHWND()));
    EXPECT_TRUE(::IsWindow(b.GetHWND()));
    MSG left;
    EXPECT_FALSE(::PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));
}

void CALLBACK PostFailsafeQuit(HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(99); }

// The quit that a window's destruction posts may be read elsewhere (by the install run's
// pump, or by a loop nested inside this one): the loop still ends, with its window. A
// loop that waited for the quit would run until the failsafe's quit 99.
TEST(MessageLoop, WithAWindowEndsWhenItIsGoneThoughItsQuitWasReadElsewhere) {
    TestWindow w(L"<Window size=\"50,50\"><Control /></Window>");
    ASSERT_TRUE(w.Open());
    ::PostQuitMessage(0);
    UIPumpMessages();
    ::PostMessageW(w.GetHWND(), WM_CLOSE, 0, 0);  // destroys it; no quit follows
    const UINT_PTR failsafe = ::SetTimer(nullptr, 0, 10000, PostFailsafeQuit);
    EXPECT_EQ(0, UIRunMessageLoop(w.GetHWND()));
    ::KillTimer(nullptr, failsafe);
    EXPECT_EQ(nullptr, w.GetHWND());
}

// The pump handles every queued message (through the framework's translators and the
// window's handler: three clicks here), then returns without waiting.
TEST(MessageLoop, PumpHandlesEverythingQueuedThenReturns) {
    TestWindow w(L"<Window size=\"50,50\"><Button name=\"b\" /></Window>");
    ASSERT_TRUE(w.Open());
    Rendering(w.pm, 50, 50);  // laid out
    for (int i = 0; i < 3; ++i) {
        ::PostMessageW(w.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 25));
        ::PostMessageW(w.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(25, 25));
    }
    UIPumpMessages();
    MSG left;
    EXPECT_FALSE(::PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));
    const std::vector<std::wstring> notes = w.NoteList();
    EXPECT_EQ(3, std::count(notes.begin(), notes.end(), L"click:b"));
}
}  // namespace

// The system moves a window to a screen of another DPI: WM_DPICHANGED carries the new DPI
// and the rectangle it suggests. (Wine, with one screen, never sends it: sent here as the
// system would.) The window takes the rectangle and lays itself out at the new scale.
TEST(WindowScale, DpiChangedTakesTheSuggestedRectangleAndScalesTheLayout) {
    TestWindow w(LR"(<Window size="100,50"><VerticalLayout><Control name="a" height="20"/><Control name="b"/></VerticalLayout></Window>)");
    ASSERT_TRUE(w.Open());
    ASSERT_EQ(w.pm.GetScale().dpi, 96);  // the unit tests' machine
    RECT suggested = {100, 100, 300, 200};
    ::SendMessageW(w.GetHWND(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    RECT now = {};
    ::GetWindowRect(w.GetHWND(), &now);
    EXPECT_EQ(now.left, 100);
    EXPECT_EQ(now.right - now.left, 200);
    EXPECT_EQ(now.bottom - now.top, 100);
    EXPECT_EQ(w.pm.GetScale().dpi, 192);
    Rendering picture(w.pm, 200, 100);  // lays out and paints
    EXPECT_EQ(w.pm.FindControl(L"a")->GetPos(), (UIRect{0, 0, 200, 40}));
    EXPECT_EQ(w.pm.FindControl(L"b")->GetPos(), (UIRect{0, 40, 200, 100}));
}

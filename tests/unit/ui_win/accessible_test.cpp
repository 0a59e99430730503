// The window's answer to WM_GETOBJECT as a client in the same process reads it, a default
// action asked for through it, and the keys typed into a rich edit that belong to the
// window's navigation.
#include <gtest/gtest.h>
#include "TestWindow.h"
#include <oleacc.h>
#include "base/Handles.h"

namespace {

const wchar_t kLayout[] = LR"(<Window size="300,200" nameid="7">
  <VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="20"><Label name="title" text="标题"/><Button name="close" width="18" tooltip="关闭"
        iscancel="true"/></HorizontalLayout>
    <RichEdit name="text" height="100" multiline="true" readonly="true" text="第一行
第二行"/>
    <Button name="icon" width="10" height="10" role="graphic"/>
    <Button name="ok" width="60" height="24" isdefault="true"/>
    <Control />
  </VerticalLayout>
</Window>)";

VARIANT Child(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Name(IAccessible* acc, long id) {
    BSTR name = nullptr;
    std::wstring out;
    if (acc->get_accName(Child(id), &name) == S_OK && name) out = name;
    ::SysFreeString(name);
    return out;
}

long Number(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id) {
    VARIANT v;
    ::VariantInit(&v);
    return (acc->*get)(Child(id), &v) == S_OK && v.vt == VT_I4 ? v.lVal : -1;
}

class AccessibleWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Open());  // hidden: no X focus taken from other programs
        ASSERT_TRUE(window.built);
        Rendering(window.pm, 300, 200);
        Rendering(window.pm, 300, 200);  // the rich edit's window exists once laid out
        window.pm.FindControl(L"ok")->SetAccessibleName(L"确定");  // as the window does from "nameid"
        window.notes.clear();
    }
    ComPtr<IAccessible> Client() {
        ComPtr<IAccessible> acc;
        const LRESULT lr = ::SendMessageW(window.GetHWND(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
        EXPECT_GT(lr, 0);
        if (lr > 0) {
            EXPECT_EQ(S_OK, ::ObjectFromLresult(lr, IID_IAccessible, 0, acc.put_void()));
        }
        return acc;
    }
    std::vector<std::wstring> Clicks() const {
        std::vector<std::wstring> out;
        for (const Note& n : window.notes)
            if (n.type == L"click") out.push_back(n.sender);
        return out;
    }
    ComScope com;
    TestWindow window{kLayout};
};

TEST_F(AccessibleWindowTest, TheClientAreaAnswersWithItsControls) {
    ComPtr<IAccessible> acc = Client();
    ASSERT_TRUE(acc);
    long count = 0;
    ASSERT_EQ(S_OK, acc->get_accChildCount(&count));
    ASSERT_EQ(5, count);  // title, close, text, icon, ok: the layouts stay out
    const struct { long id; const wchar_t* name; long role; } rows[] = {
        {1, L"标题", ROLE_SYSTEM_STATICTEXT}, {2, L"关闭", ROLE_SYSTEM_PUSHBUTTON}, {3, L"", ROLE_SYSTEM_TEXT},
        {4, L"", ROLE_SYSTEM_GRAPHIC},        {5, L"确定", ROLE_SYSTEM_PUSHBUTTON},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.name, Name(acc.get(), row.id)) << row.id;
        EXPECT_EQ(row.role, Number(acc.get(), &IAccessible::get_accRole, row.id)) << row.id;
    }
    EXPECT_TRUE(Number(acc.get(), &IAccessible::get_accState, 4) & STATE_SYSTEM_INVISIBLE);
    EXPECT_TRUE(Number(acc.get(), &IAccessible::get_accState, 5) & STATE_SYSTEM_DEFAULT);
    BSTR value = nullptr;
    ASSERT_EQ(S_OK, acc->get_accValue(Child(3), &value));
    EXPECT_EQ(std::wstring(L"第一行\n第二行"), value);
    ::SysFreeString(value);

    // The place on the screen, and the child found there again.
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, Child(5)));
    POINT origin = {0, 0};
    ::ClientToScreen(window.GetHWND(), &origin);
    const UIRect ok = window.pm.FindControl(L"ok")->GetPos();
    EXPECT_EQ(origin.x + ok.left, x);
    EXPECT_EQ(origin.y + ok.top, y);
    EXPECT_EQ(ok.width(), w);
    EXPECT_EQ(ok.height(), h);
    VARIANT at;
    ::VariantInit(&at);
    ASSERT_EQ(S_OK, acc->accHitTest(x + 2, y + 2, &at));
    EXPECT_EQ(5, at.lVal);
    EXPECT_EQ(E_INVALIDARG, acc->get_accName(Child(6), nullptr));

    // A default action is carried out from the window's own loop.
    ASSERT_EQ(S_OK, acc->accDoDefaultAction(Child(5)));
    EXPECT_TRUE(Clicks().empty());
    ASSERT_TRUE(PumpUntil([&] { return !Clicks().empty(); }));
    EXPECT_EQ(std::vector<std::wstring>{L"ok"}, Clicks());
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, acc->accDoDefaultAction(Child(1)));

    // Held past its window, the object answers that it is no longer connected.
    ::DestroyWindow(window.GetHWND());
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, acc->get_accChildCount(&count));
}

TEST_F(AccessibleWindowTest, TabEscapeAndReturnTypedIntoARichEditNavigateTheWindow) {
    CControlUI* text = window.pm.FindControl(L"text");
    HWND native = window.pm.GetNativeWindow(text);
    ASSERT_NE(nullptr, native);
    window.pm.SetFocus(text);
    const auto key = [&](UINT vk) {
        ::PostMessageW(native, WM_KEYDOWN, vk, 1);
        UIPumpMessages();
    };
    key(VK_NEXT);  // the rich edit's own: the focus stays
    EXPECT_EQ(text, window.pm.GetFocus());
    key(VK_RETURN);  // read-only text: the default button
    key(VK_ESCAPE);  // the cancel button
    EXPECT_EQ((std::vector<std::wstring>{L"ok", L"close"}), Clicks());
    key(VK_TAB);
    EXPECT_EQ(window.pm.FindControl(L"ok"), window.pm.GetFocus());
    EXPECT_TRUE(window.pm.AreFocusCuesShown());
    // A click into the rich edit gives it the window's focus again.
    ::SendMessageW(window.GetHWND(), kMsgRichEditFocused, 0, reinterpret_cast<LPARAM>(native));
    EXPECT_EQ(text, window.pm.GetFocus());
}

}  // namespace

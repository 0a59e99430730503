// The five layouts of the skin, built by the framework from this program's resources
// (the same XML resources the setup carries) and laid out at their window sizes: where
// the controls that a user clicks and reads end up, the initial states the windows rely
// on, the fonts, the scroll bar looks of the licence window, and how the images that
// are named unusually (by id alone, or as a file with a resource to fall back on) are found.
//
// Expected rectangles are worked out by hand from the layouts' numbers and the box rules:
// fixed children keep their size, padding is reserved around a child, the free space is
// shared by the children without a size, and the last of them takes what remains of the
// height (width) after its own leading padding *and* everything still counted as fixed,
// which includes the leading padding of the adjustable children themselves.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>
#include "tools/layout-rects/SetupPages.h"
#include "ui/pure/Controls.h"
#include "ui/pure/ImageDescription.h"
#include "ui/pure/ManagerCore.h"
#include "ui/pure/MarkupBuilder.h"
#include "ui/UIGlobals.h"
#include "ui/win/ImageCache.h"
#include "base/pure/Utf.h"

// Rectangles in failure messages (found by argument lookup, so outside the unnamed namespace).
std::ostream& operator<<(std::ostream& os, const UIRect& r) {
    return os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace {

// Wide texts as UTF-8, so that failures print them readably.
std::string Utf8(std::wstring_view text) {
    return Utf16ToUtf8(text);
}

std::string_view LayoutResource(int id) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"XML");
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    return data ? std::string_view(static_cast<const char*>(data), ::SizeofResource(module, found)) : std::string_view();
}

// A layout built into a window-less manager and laid out at the layout's own size.
class BuiltLayout {
public:
    explicit BuiltLayout(int id) {
        CMarkupBuilder builder;
        auto root = builder.Build(LayoutResource(id), &manager_);
        built_ = root != nullptr;
        manager_.AttachDialog(std::move(root));
        size_ = manager_.GetWindowAttributes().initSize;
        Layout();
    }

    bool Built() const { return built_; }
    UISize Size() const { return size_; }
    UIManagerCore& Manager() { return manager_; }
    void Layout() { manager_.LayoutRoot(UIRect{0, 0, size_.cx, size_.cy}); }

    CControlUI* Find(std::wstring_view name) { return manager_.FindControl(name); }
    // Every control of that name, in document order.
    std::vector<CControlUI*> FindAll(std::wstring_view name) {
        std::vector<CControlUI*> all;
        if (CControlUI* root = manager_.GetRoot()) {
            root->FindControl([&](CControlUI* c) { if (c->GetName() == name) all.push_back(c); return false; }, UIFIND_ALL);
        }
        return all;
    }
    // The control of that name inside the container named `within`.
    CControlUI* FindIn(std::wstring_view name, std::wstring_view within) {
        for (CControlUI* c : FindAll(name)) {
            for (CControlUI* p = c->GetParent(); p; p = p->GetParent()) {
                if (p->GetName() == within) return c;
            }
        }
        return nullptr;
    }
    void Show(std::wstring_view name, bool visible) {
        if (CControlUI* c = Find(name)) c->SetVisible(visible);
    }

private:
    UIManagerCore manager_;
    UISize size_;
    bool built_ = false;
};

// The pages of the main window, switched as the window switches them
// (tools/layout-rects/SetupPages.h, in this order).
enum class Page { Default, Custom, Progress, Finish, None };

void ShowPage(BuiltLayout& main, Page page) {
    if (page != Page::None)
        for (const SetupPageStep& step : MainWindowPages().at(static_cast<size_t>(page)).steps) main.Show(step.name, step.visible);
    main.Layout();
}

struct Placement {
    int layout;
    Page page;             // main window only
    const wchar_t* name;
    const wchar_t* within; // a container that tells two controls of one name apart, or null
    UIRect rect;
};

const Placement kPlacements[] = {
    // --- 221, 580x400. Banner 0..250; the pages below it are 150 high.
    // Title row (580 wide): fixed = closebtn 18 + right padding 10 = 28, the title and the
    // spacer share 552: 276 each; the button sits at 552, 10 down.
    {221, Page::Default, L"closebtn", nullptr, {552, 10, 570, 28}},
    {221, Page::Finish, L"closebtn", nullptr, {552, 10, 570, 28}},
    // Quick page: row 50 high after a 20 padding (y 270); springs (580-218)/2 = 181.
    {221, Page::Default, L"start", L"defaultinstall", {181, 270, 399, 320}},
    // Second row takes 100-75 = 25 (y 325); its labels are 30 high; springs (580-360)/2.
    {221, Page::Default, L"defaultpath", nullptr, {170, 325, 470, 355}},
    // Terms row at 350 (the sub-page above is 100 high), inner row 20..560, children on top.
    {221, Page::Default, L"agressinstall", nullptr, {20, 350, 34, 364}},
    {221, Page::Default, L"zevloterms", nullptr, {119, 350, 329, 364}},  // 20 + 14 + 85, 210 wide
    // 540 wide: column 310 + spring + 88: the spring is 142, the link at 472.
    {221, Page::Default, L"btn_freeinstall", nullptr, {472, 350, 560, 365}},
    // Custom page: the label row, 20 high after its 10 padding (y 260..280), indented 35;
    // the space label beside "安装路径：" ends where the edit ends. The path row follows at
    // 280, indented 35.
    {221, Page::Custom, L"room", nullptr, {105, 260, 475, 280}},
    {221, Page::Custom, L"path", nullptr, {35, 280, 475, 314}},
    {221, Page::Custom, L"browser", nullptr, {485, 280, 551, 314}},
    // Option row at 280+34+10 = 324; the hidden group takes no space: spring 580-280 = 300.
    {221, Page::Custom, L"createDesktopshortcut", nullptr, {300, 324, 314, 338}},
    {221, Page::Custom, L"autostart", nullptr, {460, 324, 474, 338}},  // 300+140+20 (its group 20,100,20)
    // 540 wide: column 310 + spring + 170: the spring is 60, the buttons from 390.
    {221, Page::Custom, L"start", L"vl_freeinstall", {390, 350, 486, 374}},
    {221, Page::Custom, L"back", nullptr, {494, 350, 560, 374}},       // 390+96+8
    {221, Page::Custom, L"agressinstall", nullptr, {20, 350, 34, 364}},
    {221, Page::Custom, L"zevloterms", nullptr, {119, 350, 329, 364}},
    // Progress page: inset 40,30,40,10 -> the bar at 40,280; the text row below it is
    // 150-40-18 = 92 high (y 298); the two labels share 500-10: 245, the last gets
    // 500-245-10 (its padding counted twice) = 235, starting at 40+245+10.
    {221, Page::Progress, L"progress", nullptr, {40, 280, 540, 298}},
    {221, Page::Progress, L"install_msg", nullptr, {295, 318, 530, 390}},
    {221, Page::Progress, L"install_action", nullptr, {40, 318, 285, 390}},
    // Finish page: 150-93 = 57 for the two springs: 28 and 29; the label row at 278,
    // 26 padding, the button row at 321.
    {221, Page::Finish, L"finishinstallbtn", nullptr, {181, 321, 399, 371}},

    // --- 228, 300x176: title bar 36, body 100, button row 40 (y 136).
    // Title bar: fixed = label padding 11 + button 18 = 29; label 135, then the spring gets
    // 300-11-135-29 = 125 (the label's padding counted twice): the button at 271, at the top.
    {228, Page::None, L"closebtn", nullptr, {271, 0, 289, 18}},
    {228, Page::None, L"okbtn", nullptr, {120, 136, 180, 160}},

    // --- 229, 300x176: top row 36, body 100, button row 40 (y 136).
    {229, Page::None, L"closebtn", nullptr, {278, 10, 290, 22}},
    // Springs (300-198)/2 = 51.
    {229, Page::None, L"installbtn", nullptr, {51, 136, 147, 160}},
    {229, Page::None, L"cancelbtn", nullptr, {153, 136, 249, 160}},

    // --- 230, 300x176: title bar 36, body 99, separator 1, then 8 padding: buttons at 144.
    {230, Page::None, L"closebtn", nullptr, {282, 0, 300, 18}},
    // Row 20..280: 260-66-6-96 = 92 of spring before the buttons.
    {230, Page::None, L"cancelbtn", nullptr, {112, 144, 178, 168}},
    {230, Page::None, L"installbtn", nullptr, {184, 144, 280, 168}},

    // --- 232, 580x400: title bar 36 (label 400 wide), body 329, separator 1, 5 padding.
    {232, Page::None, L"closebtn", nullptr, {562, 0, 580, 18}},
    {232, Page::None, L"btn_ok", nullptr, {500, 371, 560, 395}},
};

class LayoutGeometry : public ::testing::TestWithParam<Placement> {};

TEST_P(LayoutGeometry, ControlSitsWhereTheLayoutPutsIt) {
    const Placement& p = GetParam();
    BuiltLayout layout(p.layout);
    ASSERT_TRUE(layout.Built());
    ShowPage(layout, p.page);
    CControlUI* control = p.within ? layout.FindIn(p.name, p.within) : layout.Find(p.name);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->IsVisible());
    EXPECT_EQ(control->GetPos(), p.rect) << "got " << control->GetPos() << ", expected " << p.rect;
}

void PrintTo(const Placement& p, std::ostream* os) {
    *os << p.layout << " " << Utf8(p.name) << " " << p.rect;
}

std::string PlacementName(const ::testing::TestParamInfo<Placement>& info) {
    static const char* pages[] = {"default", "custom", "progress", "finish", ""};
    std::string name = std::to_string(info.param.layout) + "_" + pages[static_cast<int>(info.param.page)];
    for (const wchar_t* c = info.param.name; *c; ++c) name += static_cast<char>(*c);
    if (info.param.within) name += "_in_" + std::to_string(info.index);
    return name;
}

INSTANTIATE_TEST_SUITE_P(Skin, LayoutGeometry, ::testing::ValuesIn(kPlacements), PlacementName);

TEST(SkinLayouts, EachBuildsAtItsWindowSize) {
    struct Case { int id; UISize size; UIRect caption; UISize round; };
    const Case cases[] = {
        {221, {580, 400}, {0, 0, 0, 30}, {4, 4}}, {228, {300, 176}, {0, 0, 0, 30}, {4, 4}},
        {229, {300, 176}, {0, 0, 0, 30}, {4, 4}}, {230, {300, 176}, {0, 0, 0, 36}, {4, 4}},
        {232, {580, 400}, {0, 0, 0, 30}, {4, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        BuiltLayout layout(c.id);
        ASSERT_TRUE(layout.Built());
        const UIWindowAttributes& w = layout.Manager().GetWindowAttributes();
        EXPECT_EQ(w.initSize.cx, c.size.cx);
        EXPECT_EQ(w.initSize.cy, c.size.cy);
        EXPECT_EQ(w.caption, c.caption);
        EXPECT_EQ(w.roundCorner.cx, c.round.cx);
        EXPECT_EQ(w.roundCorner.cy, c.round.cy);
        // The root fills the window.
        EXPECT_EQ(layout.Manager().GetRoot()->GetPos(), (UIRect{0, 0, c.size.cx, c.size.cy}));
    }
}

TEST(SkinLayouts, FontsAreNumberedInOrderWithTheirDefault) {
    struct FontCase { int id; int defaultIndex; std::vector<UIFontDesc> fonts; };
    const FontCase cases[] = {
        {221, 0, {{L"微软雅黑", 12}, {L"微软雅黑", 13, true}, {L"微软雅黑", 16, true}, {L"微软雅黑", 17}, {L"微软雅黑", 14}}},
        {228, 0, {{L"幼圆", 12}, {L"微软雅黑", 14, true}}},
        {229, 0, {{L"幼圆", 12}, {L"微软雅黑", 14, true}}},
        {230, -1, {{L"微软雅黑", 14, true}, {L"微软雅黑", 14}}},
        {232, 0, {{L"微软雅黑", 14}, {L"微软雅黑", 14, true}}},
    };
    for (const FontCase& c : cases) {
        SCOPED_TRACE(c.id);
        BuiltLayout layout(c.id);
        UIManagerCore& m = layout.Manager();
        ASSERT_EQ(m.GetFontCount(), static_cast<int>(c.fonts.size()));
        EXPECT_EQ(m.GetDefaultFontIndex(), c.defaultIndex);
        for (size_t i = 0; i < c.fonts.size(); ++i) EXPECT_EQ(*m.GetFont(static_cast<int>(i)), c.fonts[i]) << i;
    }
}

TEST(SkinLayouts, MainWindowStartsOnTheQuickPageWithEveryBoxTicked) {
    BuiltLayout main(221);
    ASSERT_TRUE(main.Built());
    for (const wchar_t* shown : {L"background", L"beforeinstall", L"defaultinstall", L"vl_defaultinstall", L"closebtn"}) {
        EXPECT_TRUE(main.Find(shown)->IsVisible()) << Utf8(shown);
    }
    for (const wchar_t* hidden : {L"freeinstall", L"vl_freeinstall", L"progress_container", L"finishinstall"}) {
        EXPECT_FALSE(main.Find(hidden)->IsVisible()) << Utf8(hidden);
    }
    for (const wchar_t* box : {L"agressinstall", L"autostart", L"createDesktopshortcut", L"createStartupMenu"}) {
        auto* option = ui_cast<COptionUI>(main.Find(box), L"Option");
        ASSERT_NE(option, nullptr) << Utf8(box);
        EXPECT_TRUE(option->IsSelected()) << Utf8(box);
    }
    // The start-menu box is built and readable, but its hidden group keeps it off screen,
    // also on the custom page.
    ShowPage(main, Page::Custom);
    CControlUI* startMenu = main.Find(L"createStartupMenu");
    EXPECT_TRUE(startMenu->GetOwnVisible());
    EXPECT_FALSE(startMenu->GetParent()->GetOwnVisible());
    EXPECT_FALSE(startMenu->IsVisible());

    auto* progress = ui_cast<CProgressUI>(main.Find(L"progress"), L"Progress");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->GetMinValue(), 0);
    EXPECT_EQ(progress->GetMaxValue(), 100);
    EXPECT_EQ(progress->GetValue(), 100);
    EXPECT_EQ(main.FindAll(L"start").size(), 2u);
    EXPECT_EQ(main.Find(L"title")->GetText(), L"");
    EXPECT_EQ(Utf8(main.Find(L"background")->GetBkImage()), "res='273' restype='png'");
}

TEST(SkinLayouts, EveryNameTheWindowsLookUpIsThere) {
    struct Case { int id; std::vector<const wchar_t*> names; };
    const Case cases[] = {
        {221, {L"background", L"closebtn", L"beforeinstall", L"defaultinstall", L"vl_defaultinstall", L"freeinstall",
               L"vl_freeinstall", L"start", L"btn_freeinstall", L"back", L"path", L"defaultpath", L"browser",
               L"agressinstall", L"zevloterms", L"autostart", L"createDesktopshortcut", L"createStartupMenu",
               L"progress_container", L"progress", L"install_msg", L"install_action", L"room", L"finishinstall",
               L"finishinstallbtn"}},
        {228, {L"closebtn", L"okbtn"}},
        {229, {L"closebtn", L"installbtn", L"cancelbtn"}},
        {230, {L"closebtn", L"installbtn", L"cancelbtn"}},
        {232, {L"closebtn", L"btn_ok"}},
    };
    for (const Case& c : cases) {
        BuiltLayout layout(c.id);
        for (const wchar_t* name : c.names) EXPECT_NE(layout.Find(name), nullptr) << c.id << " " << Utf8(name);
    }
}

TEST(SkinLayouts, DescriptionWithoutClosingApostropheNamesTheImageByIdAlone) {
    BuiltLayout prompt(228);
    auto* ok = ui_cast<CButtonUI>(prompt.Find(L"okbtn"), L"Button");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(Utf8(ok->GetHotImage()), "res='240' restype='png");
    const ImageDescription hot = ParseImageDescription(ok->GetHotImage());
    EXPECT_EQ(hot.file, L"240");
    EXPECT_EQ(hot.resType, L"");
    // Its neighbour, written correctly, keeps the type.
    const ImageDescription normal = ParseImageDescription(ok->GetNormalImage());
    EXPECT_EQ(normal.file, L"239");
    EXPECT_EQ(normal.resType, L"png");

    // Found all the same: no file of that name, then the PNG resource of that id.
    UISetInstance(::GetModuleHandleW(nullptr));
    CImageCache cache;
    auto byId = cache.Get(hot);
    auto typed = cache.Get(ParseImageDescription(L"res='240' restype='png'"));
    ASSERT_NE(byId, nullptr);
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(byId->width, 60);
    EXPECT_EQ(byId->height, 24);
    EXPECT_TRUE(std::equal(byId->pixels, byId->pixels + 60 * 24, typed->pixels));
}

TEST(SkinLayouts, ShadowImageComesFromTheProgramWhenNoFileIsBesideIt) {
    UISetInstance(::GetModuleHandleW(nullptr));
    UISetResourcePath(LR"(C:\no-such-folder\skin)");
    CImageCache cache;
    auto shadow = cache.Get(ParseImageDescription(L"res\\shadow.png"));
    ASSERT_NE(shadow, nullptr);
    // Wider and taller than the borders the client prompt keeps (23 + 25, 22 + 26).
    EXPECT_GT(shadow->width, 48);
    EXPECT_GT(shadow->height, 48);
}

TEST(SkinLayouts, LicenceScrollBarTakesItsLooksFromTheDefaults) {
    BuiltLayout licence(232);
    ASSERT_TRUE(licence.Built());
    CRichEditUI* edit = nullptr;
    licence.Manager().GetRoot()->FindControl([&](CControlUI* c) {
        edit = ui_cast<CRichEditUI>(c, L"RichEdit");
        return edit != nullptr;
    }, UIFIND_ALL);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetPos(), (UIRect{0, 36, 580, 365}));
    // The agreement keeps its line breaks and its sections.
    const CUIString text = edit->GetText();
    EXPECT_NE(text.find(L"\n一、授权范围\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"\n九、其他\n"), std::wstring::npos);

    CScrollBarUI* bar = edit->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetFixedWidth(), 10);
    struct Part { const wchar_t* part; const wchar_t* state; const wchar_t* image; };
    const Part parts[] = {
        {L"button1", L"normal", L"res='251' restype='png' source='0,0,10,10'"},
        {L"button1", L"pushed", L"res='251' restype='png' source='20,0,30,10'"},
        {L"button2", L"hot", L"res='251' restype='png' source='10,20,20,30'"},
        {L"thumb", L"normal", L"res='251' restype='png' source='0,30,10,40' corner='4,4,1,1'"},
        {L"thumb", L"pushed", L"res='251' restype='png' source='20,31,30,40' corner='4,4,1,1'"},
        {L"bk", L"normal", L"res='251' restype='png' source='0,10,10,20'"},
    };
    for (const Part& p : parts) EXPECT_EQ(bar->GetPartImage(p.part, p.state), p.image) << std::wstring(p.part).size();
}

}  // namespace

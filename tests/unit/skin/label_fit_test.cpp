// Every label of the skin shows its whole text at 100 %, 150 % and 200 %, with the fonts
// of this machine (the layouts' faces replaced by the CJK font, as on the test machines):
// each layout is built in a real window at that DPI, page by page, and each visible
// label's text is laid out as the label draws it. A label with room for one line must
// fit on it; longer text may break into lines only as far as the label is high; and no
// line may reach outside a container, which would clip it.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "tools/layout-rects/SetupPages.h"
#include "ui/UIGlobals.h"
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
#include "ui/pure/Controls.h"
#include "base/pure/Utf.h"

namespace {

std::string Utf8(std::wstring_view text) {
    return Utf16ToUtf8(text);
}

// A hidden framework window holding one layout at a chosen DPI.
class LayoutWindow : public CWindowWnd {
public:
    LayoutWindow(UINT layout, UINT dpi) : layout_(layout), dpi_(dpi) {
        std::ignore = Create(nullptr, L"SkinFit", WS_POPUP, 0, 0, 0, 10, 10);
    }
    ~LayoutWindow() override {
        if (::IsWindow(hWnd_)) ::DestroyWindow(hWnd_);
    }
    CWindowManager pm;

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinFitWindow"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE) {
            pm.Init(hWnd_);
            pm.SetDpi(dpi_);  // whatever this machine's screen says
            pm.AttachDialog(pm.Build(layout_, L"XML"));
            return 0;
        }
        LRESULT result = 0;
        if (pm.MessageHandler(msg, wParam, lParam, result)) return result;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }

private:
    UINT layout_, dpi_;
};

// Measures with the window's fonts; draws nothing.
class Measuring : public IRenderTarget {
public:
    explicit Measuring(CWindowManager& pm) : pm_(pm) {}
    void FillRect(const UIRect&, UIColor) override {}
    void DrawBorder(const UIRect&, int, UIColor, UISize) override {}
    bool DrawImage(const UIRect&, const UIRect&, const std::wstring&) override { return true; }
    void DrawText(const UIRect&, const std::wstring&, int, UIColor, unsigned) override {}
    UISize MeasureText(const std::wstring& text, int font) override { return pm_.MeasureText(text, font); }

private:
    CWindowManager& pm_;
};

struct Scene {
    UINT layout;
    std::string_view page;  // of the main window
};

std::vector<Scene> Scenes() {
    std::vector<Scene> scenes;
    for (const SetupPage& page : MainWindowPages()) scenes.push_back({221, page.name});
    for (UINT id : {228u, 229u, 230u, 232u}) scenes.push_back({id, ""});
    return scenes;
}

// What the windows put into labels at run time, as on a fresh machine.
void FillRunTimeTexts(CWindowManager& pm) {
    for (const wchar_t* name : {L"defaultpath", L"path"})
        if (CControlUI* c = pm.FindControl(name)) c->SetText(L"D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱");
    if (CControlUI* c = pm.FindControl(L"install_msg")) c->SetText(L"100%");
    // The custom page's space figures at their widest: a large disk, both figures shown.
    if (CControlUI* c = pm.FindControl(L"room")) c->SetText(L"所需空间：9999.9 MB　可用空间：9999999.9 MB");
    if (CControlUI* c = pm.FindControl(L"install_action")) c->SetText(L"正在修复");
}

void CheckLabels(CWindowManager& pm, const std::string& where) {
    Measuring target(pm);
    const UIRect client = pm.GetClientRect();
    int checked = 0;
    pm.GetRoot()->FindControl([&](CControlUI* c) {
        auto* label = ui_cast<CLabelUI>(c, L"Label");
        if (!label || c->GetInterface(L"Edit") || label->GetText().empty()) return false;
        const CUIString text = label->GetText();  // the lines point into it
        const UIRect rect = label->TextRect();
        const UISize whole = pm.MeasureText(text, label->GetFont());
        const std::string what = where + " label \"" + Utf8(text) + "\" (" + std::to_string(whole.cx) + "x" +
                                 std::to_string(whole.cy) + " in " + std::to_string(rect.width()) + "x" +
                                 std::to_string(rect.height()) + ")";
        const std::vector<UITextLine> lines = label->LayoutLines(target, text);
        ++checked;
        for (const UITextLine& line : lines) {
            EXPECT_LE(pm.MeasureText(std::wstring(line.text), label->GetFont()).cx, rect.width())
                << what << ": line \"" << Utf8(line.text) << "\" wider than the label";
        }
        if (label->GetTextStyle() & UI_DT_SINGLELINE) {
            EXPECT_LE(whole.cx, rect.width()) << what << " single-line";
        }
        const int lineHeight = lines.empty() ? 0 : lines.front().rect.height();
        if (lines.size() > 1) {
            EXPECT_LE(static_cast<int>(lines.size()), LinesThatFit(rect.height(), lineHeight))
                << what << ": " << lines.size() << " lines in " << rect.height() << " pixels";
        }
        // No line reaches outside a container (where it would run into its neighbours) or
        // the window. A line box is the font's ascent and descent, a little more than the
        // character size: the glyphs may use half the difference at either end.
        const UIFontDesc* font = static_cast<UIManagerCore&>(pm).GetFont(label->GetFont());
        const int fontPx = pm.GetScale().Px(font ? font->size : 12);
        const int slack = (lineHeight - fontPx + 1) / 2;
        for (const UITextLine& line : lines) {
            for (CControlUI* up = c->GetParent(); up; up = up->GetParent()) {
                const UIRect box = up->GetPos();
                EXPECT_TRUE(line.rect.top + slack >= box.top && line.rect.bottom - slack <= box.bottom)
                    << what << ": line " << line.rect.top << ".." << line.rect.bottom << " outside a container at "
                    << box.top << ".." << box.bottom;
            }
            EXPECT_TRUE(line.rect.top + slack >= client.top && line.rect.bottom - slack <= client.bottom)
                << what << " outside the window";
        }
        return false;
    }, UIFIND_VISIBLE);
    EXPECT_GT(checked, 0) << where;
}

class LabelFit : public ::testing::TestWithParam<UINT> {};

TEST_P(LabelFit, EveryLabelShowsItsWholeText) {
    const UINT dpi = GetParam();
    UISetInstance(::GetModuleHandleW(nullptr));
    for (const Scene& scene : Scenes()) {
        LayoutWindow window(scene.layout, dpi);
        ASSERT_TRUE(window.pm.GetRoot()) << scene.layout;
        if (scene.layout == 221)
            for (const SetupPage& page : MainWindowPages())
                if (page.name == scene.page)
                    for (const SetupPageStep& step : page.steps)
                        window.pm.FindControl(step.name)->SetVisible(step.visible);
        FillRunTimeTexts(window.pm);
        // The window's client area is the layout's size at this scale.
        const UISize size = window.pm.GetWindowAttributes().initSize;
        const UIScale scale = UIScale::ForDpi(static_cast<int>(dpi));
        EXPECT_EQ(window.pm.GetClientRect(), (UIRect{0, 0, scale.Px(size.cx), scale.Px(size.cy)})) << scene.layout;
        window.pm.LayoutRoot(window.pm.GetClientRect());
        CheckLabels(window.pm, std::to_string(scene.layout) + " " + std::string(scene.page) + " at " + std::to_string(dpi));
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, LabelFit, ::testing::Values(96u, 144u, 192u));

}  // namespace

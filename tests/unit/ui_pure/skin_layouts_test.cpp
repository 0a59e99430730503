// The setup's own layouts build into trees by these rules. The native build knows where
// they are; elsewhere the test is skipped.
#include <filesystem>
#include <fstream>
#include <sstream>
#include "TestSupport.h"

namespace {

std::string ReadLayout(const char* file) {
#ifdef VEXMORA_SKIN_LAYOUTS
    std::ifstream in(std::filesystem::path(VEXMORA_SKIN_LAYOUTS) / file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
#else
    (void)file;
    return {};
#endif
}

TEST(SkinLayouts, EveryLayoutBuildsAndLaysOut) {
    const char* const files[] = {"main.xml", "already_running.xml", "client_running.xml", "confirm_exit.xml", "licence.xml"};
    for (const char* file : files) {
        const std::string markup = ReadLayout(file);
        if (markup.empty()) GTEST_SKIP() << "layouts not available to this build";
        TestWindow w(markup);
        ASSERT_TRUE(w.core.GetRoot()) << file;
        EXPECT_TRUE(w.core.FindControl(L"closebtn")) << file;
        EXPECT_GT(w.core.GetCaptionRect().bottom, 0) << file;
    }
}

TEST(SkinLayouts, LicenceScrollBarAndMainWindowGeometry) {
    const std::string licence = ReadLayout("licence.xml");
    if (licence.empty()) GTEST_SKIP() << "layouts not available to this build";
    TestWindow terms(licence);
    CRichEditUI* edit = nullptr;
    terms.core.GetRoot()->FindControl([&edit](CControlUI* c) {
        if (!edit) edit = ui_cast<CRichEditUI>(c, L"RichEdit");
        return false;
    }, UIFIND_ALL);
    ASSERT_TRUE(edit);
    ASSERT_TRUE(edit->GetVerticalScrollBar());
    EXPECT_EQ(edit->GetVerticalScrollBar()->GetFixedWidth(), 10);
    EXPECT_EQ(edit->GetVerticalScrollBar()->GetPartImage(L"thumb", L"pushed"),
              L"res='251' restype='png' source='20,31,30,40' corner='4,4,1,1'");

    TestWindow main(ReadLayout("main.xml"));
    EXPECT_EQ(main.core.GetWindowAttributes().minInfo.cx, 200);
    EXPECT_EQ(main.core.GetWindowAttributes().minInfo.cy, 360);
    EXPECT_EQ(main.core.GetDefaultFontIndex(), 0);
    auto* progress = main.Find<CProgressUI>(L"progress", L"Progress");
    EXPECT_EQ(progress->GetValue(), 100);
    EXPECT_TRUE(main.Find<CCheckBoxUI>(L"createStartupMenu", L"CheckBox")->GetCheck());
    EXPECT_EQ(main.Find(L"start")->GetClass(), L"ButtonUI");
    const UIRect close = main.Find(L"closebtn")->GetPos();
    EXPECT_EQ(close, (UIRect{552, 10, 570, 28}));
}

}  // namespace

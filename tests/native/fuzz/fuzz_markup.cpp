// Whole layouts from arbitrary markup: build, attach, lay out, paint and push the mouse
// and keyboard through the tree the way a window would, and describe every control as
// assistive technology reads it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include "ui/pure/Accessibility.h"
#include "ui/pure/Controls.h"
#include "ui/pure/ManagerCore.h"
#include "ui/pure/MarkupBuilder.h"

namespace {

struct NullTarget : IRenderTarget {
    void FillRect(const UIRect&, UIColor) override {}
    void DrawBorder(const UIRect&, int, UIColor, UISize) override {}
    bool DrawImage(const UIRect&, const UIRect&, const std::wstring& d) override { return d.size() % 2 == 0; }
    void DrawText(const UIRect&, const std::wstring&, int, UIColor, unsigned) override {}
    UISize MeasureText(const std::wstring& text, int) override { return {static_cast<int>(text.size()), 12}; }
};

struct Host : IUIHost {
    UIRect GetClientRect() const override { return {0, 0, 580, 400}; }
};

struct Receiver : INotifyUI {
    void Notify(TNotifyUI& msg) override {
        // A window looks controls up by name while it handles notifications.
        if (msg.pSender) (void)msg.pSender->GetName();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view markup(reinterpret_cast<const char*>(data), size);
    Host host;
    Receiver receiver;
    UIManagerCore core;
    core.SetHost(&host);
    CMarkupBuilder builder;
    builder.SetIncludeLoader([markup](std::wstring_view) { return std::optional<std::string>(std::string(markup)); });
    std::unique_ptr<CControlUI> root = builder.Build(markup, &core);
    if (!root) return 0;
    core.AttachDialog(std::move(root));
    core.AddNotifier(&receiver);
    NullTarget target;
    core.Paint(target, host.GetClientRect());
    for (int y = 5; y < 400; y += 45) {
        for (int x = 5; x < 580; x += 65) {
            core.OnMouseMove({x, y});
            core.OnButtonDown({x, y});
            core.OnMouseMove({x + 30, y + 20});
            core.OnButtonUp({x, y});
            core.OnSetCursor({x, y});
        }
    }
    core.OnKeyDown(UI_VK_TAB);
    core.OnKeyDown(UI_VK_SPACE);
    core.OnKeyDown(UI_VK_TAB, UI_MK_SHIFT);
    core.OnKeyDown(UI_VK_RETURN);
    core.OnKeyDown(UI_VK_ESCAPE);
    for (CControlUI* control : AccessibleControls(core.GetRoot())) (void)DescribeAccessible(*control);
    core.OnMouseWheel({290, 200}, -120);
    core.Paint(target, host.GetClientRect());
    return 0;
}

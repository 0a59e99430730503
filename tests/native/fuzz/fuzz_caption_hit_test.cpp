// The caption hit test on arbitrary markup: the window takes its layout's "size", "caption"
// and "sizebox", and every point the system can ask about (16-bit screen coordinates made
// client-relative) gets one of the hit-test codes, maximised or not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include "ui/pure/CaptionHitTest.h"
#include "ui/pure/ManagerCore.h"
#include "ui/pure/MarkupBuilder.h"

namespace {

// A window's client area: from the origin, no larger than a window can be.
struct Host : IUIHost {
    UIRect client{0, 0, 580, 400};
    void ResizeClient(int cx, int cy) override {
        client = {0, 0, cx < 0 ? 0 : (cx > 32767 ? 32767 : cx), cy < 0 ? 0 : (cy > 32767 ? 32767 : cy)};
    }
    UIRect GetClientRect() const override { return client; }
};

bool IsHitCode(int code) {
    return code == UI_HTCLIENT || code == UI_HTCAPTION || (code >= UI_HTLEFT && code <= UI_HTBOTTOMRIGHT);
}

// Edges of the client, the strip and the size box, their neighbours, a coarse grid and
// the far ends of what a mouse message carries.
void Coordinates(int extent, int (&out)[16]) {
    const int picks[16] = {-65536, -32768, -1, 0, 1, extent / 8, extent / 4, extent / 3, extent / 2,
                           extent - 2, extent - 1, extent, extent + 1, extent + 30, 32767, 65535};
    for (int i = 0; i < 16; ++i) out[i] = picks[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view markup(reinterpret_cast<const char*>(data), size);
    Host host;
    UIManagerCore core;
    core.SetHost(&host);
    CMarkupBuilder builder;
    if (std::unique_ptr<CControlUI> root = builder.Build(markup, &core)) core.AttachDialog(std::move(root));
    core.LayoutRoot(host.client);
    int xs[16], ys[16];
    Coordinates(host.client.right, xs);
    Coordinates(host.client.bottom, ys);
    for (int x : xs) {
        for (int y : ys) {
            if (!IsHitCode(CaptionHitTest(core, host.client, {x, y}, false))) abort();
            const int maximised = CaptionHitTest(core, host.client, {x, y}, true);
            if (maximised != UI_HTCLIENT && maximised != UI_HTCAPTION) abort();  // no edges to size by
        }
    }
    return 0;
}

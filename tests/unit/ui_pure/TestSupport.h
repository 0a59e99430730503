#pragma once
// Shared helpers of the UI core tests: a render target and a host that record what the
// controls ask of them, a notification receiver, and a window built from markup.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>
#include "ui/pure/Controls.h"
#include "ui/pure/ManagerCore.h"
#include "ui/pure/MarkupBuilder.h"
#include "ui/pure/ValueParse.h"

inline void PrintTo(const UIRect& r, std::ostream* os) {
    *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

inline std::string Narrow(std::wstring_view text) { return Utf16ToUtf8(text); }

struct RecordingTarget : IRenderTarget {
    struct Call {
        std::string kind;  // "fill", "border", "image", "text"
        UIRect rect;
        std::wstring text;  // image description or text
        UIColor color = 0;
    };
    std::vector<Call> calls;
    // Image descriptions that "cannot be drawn".
    std::vector<std::wstring> broken;

    void FillRect(const UIRect& rect, UIColor color) override { calls.push_back({"fill", rect, L"", color}); }
    void DrawBorder(const UIRect& rect, int, UIColor color, UISize) override { calls.push_back({"border", rect, L"", color}); }
    bool DrawImage(const UIRect& controlRect, const UIRect&, const std::wstring& description) override {
        calls.push_back({"image", controlRect, description, 0});
        for (const auto& b : broken)
            if (b == description) return false;
        return true;
    }
    void DrawText(const UIRect& rect, const std::wstring& text, int, UIColor color, unsigned) override {
        calls.push_back({"text", rect, text, color});
    }
    UISize MeasureText(const std::wstring& text, int) override { return {static_cast<int>(text.size()) * 7, 14}; }

    std::vector<std::wstring> Images() const {
        std::vector<std::wstring> out;
        for (const auto& c : calls)
            if (c.kind == "image") out.push_back(c.text);
        return out;
    }
};

struct RecordingHost : IUIHost {
    UIRect client{0, 0, 580, 400};
    int captures = 0, releases = 0, invalidations = 0;
    std::vector<UICursor> cursors;
    std::vector<std::wstring> toolTips;
    std::vector<CEditUI*> edits;
    UISize resized;
    struct Event { UIAccEvent event; CControlUI* control; };
    std::vector<Event> accessible;  // what assistive technology is told
    std::vector<CControlUI*> focusChanges;

    void Invalidate(const UIRect&) override { ++invalidations; }
    void CaptureMouse() override { ++captures; }
    void ReleaseMouse() override { ++releases; }
    void SetCursorShape(UICursor c) override { cursors.push_back(c); }
    void ShowToolTip(const std::wstring& text, const UIRect&) override { toolTips.push_back(text); }
    void BeginEdit(CEditUI* edit) override { edits.push_back(edit); }
    void ResizeClient(int cx, int cy) override { resized = {cx, cy}; }
    UIRect GetClientRect() const override { return client; }
    void AccessibleEvent(UIAccEvent event, CControlUI* control) override { accessible.push_back({event, control}); }
    void FocusChanged(CControlUI* control) override { focusChanges.push_back(control); }
};

struct RecordingReceiver : INotifyUI {
    struct Seen {
        std::wstring type, sender;
        bool selectedAtThatTime = false;
    };
    std::vector<Seen> seen;
    void Notify(TNotifyUI& msg) override {
        Seen s{msg.sType, msg.pSender ? std::wstring(msg.pSender->GetName()) : L""};
        if (auto* option = ui_cast<COptionUI>(msg.pSender, L"Option")) s.selectedAtThatTime = option->IsSelected();
        seen.push_back(s);
    }
    std::vector<std::wstring> Types(std::wstring_view only = L"") const {
        std::vector<std::wstring> out;
        for (const auto& s : seen)
            if (only.empty() || s.type == only) out.push_back(s.type + L":" + s.sender);
        return out;
    }
};

// A window without a window: manager core, host and receiver, built from markup and
// laid out into the host's client rectangle.
struct TestWindow {
    RecordingHost host;
    UIManagerCore core;
    RecordingReceiver receiver;
    CMarkupBuilder builder;

    // `client` in device pixels; `dpi` the window's scale (96: 100 %).
    explicit TestWindow(std::string_view markup, UIRect client = {0, 0, 580, 400}, int dpi = 96) {
        host.client = client;
        core.SetHost(&host);
        core.SetScale(UIScale::ForDpi(dpi));
        std::unique_ptr<CControlUI> root = builder.Build(markup, &core);
        EXPECT_TRUE(root) << Narrow(builder.LastError().Describe());
        core.AttachDialog(std::move(root));
        core.AddNotifier(&receiver);
        core.LayoutRoot(host.client);
    }
    template <class T = CControlUI>
    T* Find(std::wstring_view name, std::wstring_view iface = L"Control") {
        CControlUI* c = core.FindControl(name);
        EXPECT_NE(c, nullptr) << Narrow(name);
        return ui_cast<T>(c, iface);
    }
    static UIPoint Centre(const CControlUI* c) {
        const UIRect& r = c->GetPos();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
};

#pragma once
// A real framework window built from markup, recording the notifications it receives,
// plus the helpers the tests share: pumping messages until a condition holds and rendering
// to an off-screen DIB.
#include <windows.h>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "ui/MessageLoop.h"
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
#include "ui/pure/Controls.h"

struct Note {
    std::wstring type;
    std::wstring sender;
    bool senderSelected = false;  // a check box's state when the note arrived
};

class TestWindow : public CWindowWnd, public INotifyUI {
public:
    explicit TestWindow(std::wstring layout) : layout_(std::move(layout)) {}
    ~TestWindow() override {
        if (::IsWindow(hWnd_)) ::DestroyWindow(hWnd_);
    }

    // Creates the window (hidden unless `show`) at a fixed place on the screen.
    bool Open(bool show = false, DWORD exStyle = 0) {
        if (!Create(nullptr, L"UITest", WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, exStyle, 100, 100, 50, 50))
            return false;
        if (show) ::ShowWindow(hWnd_, SW_SHOWNOACTIVATE);
        return true;
    }

    CWindowManager pm;
    std::vector<Note> notes;
    bool built = false;

    template <class T>
    T* Find(const wchar_t* name, const wchar_t* iface) { return ui_cast<T>(pm.FindControl(name), iface); }
    std::vector<std::wstring> NoteList() const {
        std::vector<std::wstring> out;
        for (const Note& n : notes) out.push_back(n.type + L":" + n.sender);
        return out;
    }

    void Notify(TNotifyUI& msg) override {
        Note n{msg.sType, msg.pSender ? std::wstring(msg.pSender->GetName()) : L""};
        if (auto* option = ui_cast<COptionUI>(msg.pSender, L"Option")) n.senderSelected = option->IsSelected();
        notes.push_back(n);
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"UITestFrame"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE) {
            pm.Init(hWnd_);
            auto root = pm.Build(layout_);
            built = root != nullptr;
            pm.AttachDialog(std::move(root));
            pm.AddNotifier(this);
            return 0;
        }
        LRESULT result = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, result)) return result;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

private:
    std::wstring layout_;
};

// Pumps until `done` holds or two seconds pass; returns `done()`.
template <class Pred>
bool PumpUntil(Pred done) {
    const DWORD deadline = ::GetTickCount() + 2000;
    while (!done()) {
        if (static_cast<int>(deadline - ::GetTickCount()) <= 0) return false;
        UIPumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// The window's client area drawn into a 32-bit DIB; pixels 0x00RRGGBB, rows from the top.
class Rendering {
public:
    Rendering(CWindowManager& pm, int cx, int cy) : cx_(cx), pixels_(static_cast<size_t>(cx) * cy) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        UniqueMemDC dc(::CreateCompatibleDC(nullptr));
        HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
        RECT all = {0, 0, cx, cy};
        pm.PaintTo(dc.get(), all);
        ::GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = p[i] & 0xFFFFFF;
        ::SelectObject(dc.get(), old);
    }
    uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * cx_ + x]; }

private:
    int cx_;
    std::vector<uint32_t> pixels_;
};

// Colours within a small tolerance per channel (alpha blending rounds either way).
inline bool Near(uint32_t actual, uint32_t expected, int tolerance = 3) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (a - e > tolerance || e - a > tolerance) return false;
    }
    return true;
}

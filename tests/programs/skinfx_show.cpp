// Shows one layout of the skin in a real framework window, on a chosen page, so that a
// test can take its picture:
//   skinfx_show.exe <layout id> [page] [banner image id]
// Pages of the main layout: default, custom, progress, finish; the client-running prompt
// (229) shows its drop shadow unless the page is "noshadow"; the licence (232) can be
// shown scrolled to its "end"; other layouts have one page.
// The window is created like the setup's windows (popup, caption cleared; the
// client-running prompt with its drop shadow), at the top right of the screen. Once it has painted with its page in
// place, its title becomes "SkinFx ready" so the test knows when to look; once the
// pointer has made a control hot and that has been painted, "SkinFx ready hot".
#include <windows.h>
#include <shellapi.h>
#include <cwchar>
#include <memory>
#include <string>
#include "ui/MessageLoop.h"
#include "ui/UIGlobals.h"
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
#include "ui/pure/Controls.h"

namespace {

const wchar_t kFolder[] = L"D:\\Program Files\\Vexmora\\VexmoraZevlo邮箱";
constexpr UINT_PTR kReadyTimer = 7;
constexpr UINT_PTR kHotTimer = 8;

class ShowWindowFx : public CWindowWnd, public INotifyUI {
public:
    ShowWindowFx(UINT layout, std::wstring page, UINT banner) : layout_(layout), page_(std::move(page)), banner_(banner) {}

protected:
    const wchar_t* GetWindowClassName() const override { return L"UIMainFrame"; }
    void OnFinalMessage(HWND) override { ::PostQuitMessage(0); }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE) {
            const LONG style = ::GetWindowLongW(hWnd_, GWL_STYLE);
            ::SetWindowLongW(hWnd_, GWL_STYLE, (style & 0xFF3FFFFF) | 0x06000000);
            pm_.Init(hWnd_);
            if (layout_ == 229 && page_ != L"noshadow") {  // as the client-running prompt does
                pm_.GetShadow().SetImage(L"res\\shadow.png");
                pm_.GetShadow().SetShow(true);
                pm_.GetShadow().SetCorner(23, 22, 25, 26);
            }
            pm_.AttachDialog(pm_.Build(layout_, L"XML"));
            pm_.AddNotifier(this);
            return 0;
        }
        if (msg == WM_TIMER && (wParam == kReadyTimer || wParam == kHotTimer)) {
            // Timers come after pending paints: two ticks after a change it is on screen.
            int& ticks = wParam == kReadyTimer ? readyTicks_ : hotTicks_;
            if (++ticks == 2) {
                ::KillTimer(hWnd_, wParam);
                ::SetWindowTextW(hWnd_, wParam == kReadyTimer ? L"SkinFx ready" : L"SkinFx ready hot");
            }
            return 0;
        }
        CControlUI* wasHot = pm_.GetHot();
        LRESULT result = 0;
        const bool handled = pm_.MessageHandler(msg, wParam, lParam, result);
        if (msg == WM_MOUSEMOVE && readyTicks_ >= 2 && pm_.GetHot() && pm_.GetHot() != wasHot) {
            hotTicks_ = 0;
            ::SetTimer(hWnd_, kHotTimer, 100, nullptr);
        }
        return handled ? result : CWindowWnd::HandleMessage(msg, wParam, lParam);
    }

    void Notify(TNotifyUI& note) override {
        if (note.sType != L"windowinit") return;
        ShowPage();
        ::InvalidateRect(hWnd_, nullptr, FALSE);
        ::SetTimer(hWnd_, kReadyTimer, 100, nullptr);
    }

private:
    void Show(const wchar_t* name, bool visible) {
        if (CControlUI* c = pm_.FindControl(name)) c->SetVisible(visible);
    }
    void Text(const wchar_t* name, const wchar_t* text) {
        if (CControlUI* c = pm_.FindControl(name)) c->SetText(text);
    }

    void ShowPage() {
        Text(L"path", kFolder);
        Text(L"defaultpath", kFolder);
        if (banner_) {
            if (CControlUI* c = pm_.FindControl(L"background"))
                c->SetBkImage(L"res='" + std::to_wstring(banner_) + L"' restype='png'");
        }
        if (page_ == L"custom") {
            Show(L"defaultinstall", false);
            Show(L"freeinstall", true);
            Show(L"vl_defaultinstall", false);
            Show(L"vl_freeinstall", true);
        } else if (page_ == L"progress") {
            Show(L"beforeinstall", false);
            Show(L"progress_container", true);
            Show(L"closebtn", false);
            if (auto* bar = ui_cast<CProgressUI>(pm_.FindControl(L"progress"), L"Progress")) bar->SetValue(37);
            Text(L"install_msg", L"37%");
        } else if (page_ == L"finish") {
            Show(L"beforeinstall", false);
            Show(L"finishinstall", true);
        } else if (page_ == L"end") {
            CControlUI* rich = pm_.GetRoot()->FindControl(
                [](CControlUI* c) { return c->GetInterface(L"RichEdit") != nullptr; }, UIFIND_ALL);
            if (HWND native = rich ? pm_.GetNativeWindow(rich) : nullptr) ::SendMessageW(native, WM_VSCROLL, SB_BOTTOM, 0);
        }
    }

    CWindowManager pm_;
    UINT layout_;
    std::wstring page_;
    UINT banner_;
    int readyTicks_ = 0;
    int hotTicks_ = 0;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    const UINT layout = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 10));
    const std::wstring page = argc > 2 ? argv[2] : L"default";
    const UINT banner = argc > 3 ? static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10)) : 0;

    UISetInstance(instance);
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder.resize(folder.find_last_of(L'\\'));
    UISetResourcePath(folder + L"\\skin");

    auto* window = new ShowWindowFx(layout, page, banner);  // lives until the process ends
    if (!window->Create(nullptr, L"SkinFx", 0x96C80000, 0x100)) return 1;
    // Top right of the screen rather than centred: other tests' windows are centred, and
    // a window lying over this one would spoil its picture.
    RECT work = {}, own = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(window->GetHWND(), &own);
    ::SetWindowPos(window->GetHWND(), nullptr, work.right - (own.right - own.left) - 30, work.top + 30, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    window->ShowWindow(true, true);
    return UIRunMessageLoop();
}

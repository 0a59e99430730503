// A framework window for the look test: banner and button images from the skin, Chinese
// text in the layout's fonts, a progress bar, check boxes, a native rich edit with its
// skinned scroll bar, rounded corners and the drop shadow. A plain white backdrop lies
// behind it so the shadow has something to darken. Both keep to the bottom left corner of
// the screen, clear of the centred and top-right windows of other tests that may run at
// the same time, and the window does not take the activation when it appears. Ends on its
// "closebtn" or WM_CLOSE.
#include <windows.h>
#include "ui/MessageLoop.h"
#include "ui/UIGlobals.h"
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"
#include "ui/pure/Controls.h"

namespace {
const wchar_t kLayout[] = LR"(<Window size="420,280" caption="0,0,0,30" roundcorner="6,6">
  <Font name="微软雅黑" size="12" default="true" />
  <Font name="微软雅黑" size="14" bold="true" />
  <Default name="VScrollBar" value="width=&quot;10&quot; button1normalimage=&quot;res='251' restype='png' source='0,0,10,10'&quot; button2normalimage=&quot;res='251' restype='png' source='0,20,10,30'&quot; thumbnormalimage=&quot;res='251' restype='png' source='0,30,10,40' corner='4,4,1,1'&quot; bknormalimage=&quot;res='251' restype='png' source='0,10,10,20'&quot;" />
  <VerticalLayout bkcolor="#FFF5F5F5" bordersize="1" bordercolor="#FF4A4A4A">
    <HorizontalLayout height="36" bkcolor="#FF4A4A4A">
      <Label text="VexmoraZevlo邮箱 安装向导" font="1" textcolor="#FFFFFFFF" textpadding="11,0,0,0" />
      <Button name="closebtn" width="18" height="18" padding="0,9,10,0" tooltip="退出安装程序" normalimage="res='224' restype='png'" hotimage="res='225' restype='png'" />
    </HorizontalLayout>
    <HorizontalLayout height="110" bkimage="res='273' restype='png' source='0,40,420,150'">
      <Control />
      <Button name="start" width="218" height="50" padding="0,30,0,0" normalimage="res='254' restype='png'" hotimage="res='255' restype='png'" />
      <Control />
    </HorizontalLayout>
    <HorizontalLayout height="22" inset="20,4,20,0">
      <CheckBox name="autostart" width="14" height="14" selected="true" normalimage="res='249' restype='png'" selectedimage="res='247' restype='png'" />
      <Label text="开机自启动" width="80" padding="4,0,0,0" textcolor="#FF333333" />
      <CheckBox name="desktop" width="14" height="14" normalimage="res='249' restype='png'" selectedimage="res='247' restype='png'" />
      <Label text="生成桌面快捷方式" width="120" padding="4,0,0,0" textcolor="#FF333333" />
    </HorizontalLayout>
    <Progress name="progress" width="380" height="18" padding="20,4,0,0" foreimage="res='226' restype='png'" value="37" />
    <Label name="install_msg" height="24" padding="20,0,0,0" text="正在安装：VexmoraZevlo邮箱" textcolor="#FF333333" />
    <RichEdit name="licence" padding="20,0,20,12" multiline="true" vscrollbar="true" readonly="true" inset="6,4,4,4" textcolor="#FF212121" bkcolor="#FFFFFFFF" bordersize="1" bordercolor="#FFE5E5E5" />
  </VerticalLayout>
</Window>)";

class Backdrop : public CWindowWnd {
protected:
    const wchar_t* GetWindowClassName() const override { return L"UIFxBackdrop"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_ERASEBKGND) {
            RECT r;
            ::GetClientRect(hWnd_, &r);
            ::FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            return 1;
        }
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
};

class DemoWindow : public CWindowWnd, public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override {
        if (msg.sType == L"click" && msg.pSender->GetName() == L"closebtn") Close(1);
        if (msg.sType == L"windowinit") {
            std::wstring text;
            for (int i = 1; i <= 30; ++i)
                text += L"第" + std::to_wstring(i) + L"条：本软件许可协议是您与本公司之间的法律协议。\n";
            if (CControlUI* licence = pm_.FindControl(L"licence")) licence->SetText(text);
        }
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"UIMainFrame"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        switch (uMsg) {
        case WM_CREATE:
            ::SetWindowLongW(hWnd_, GWL_STYLE, (::GetWindowLongW(hWnd_, GWL_STYLE) & 0xFF3FFFFF) | 0x06000000);
            pm_.Init(hWnd_);
            pm_.GetShadow().SetImage(L"res\\shadow.png");
            pm_.GetShadow().SetShow(true);
            pm_.GetShadow().SetCorner(23, 22, 25, 26);
            pm_.AttachDialog(pm_.Build(CUIString(kLayout)));
            pm_.AddNotifier(this);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        case WM_NCHITTEST: {
            POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ScreenToClient(hWnd_, &pt);
            if (pt.y < pm_.GetCaptionRect().bottom) {
                CControlUI* hit = pm_.FindControlAt(UIPoint{pt.x, pt.y});
                if (hit && hit->GetClass() != L"ButtonUI") return HTCAPTION;
            }
            return HTCLIENT;
        }
        default:
            break;
        }
        LRESULT result = 0;
        if (pm_.MessageHandler(uMsg, wParam, lParam, result)) return result;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override {}

private:
    CWindowManager pm_;
};
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    UISetInstance(instance);
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder.resize(folder.find_last_of(L'\\'));
    UISetResourcePath(folder + L"\\skin");
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int cx = 420, cy = 280;
    const int x = work.left + 10, y = work.bottom - cy - 20;
    Backdrop backdrop;
    if (!backdrop.Create(nullptr, L"UIFxBackdrop", WS_POPUP, 0, x - 10, y - 10, cx + 100, work.bottom - y + 10)) return 1;
    backdrop.ShowWindow(true, false);
    DemoWindow window;
    if (!window.Create(nullptr, L"VexmoraFM", 0x96C80000 & ~WS_VISIBLE, 0x100)) return 1;
    ::SetWindowPos(window.GetHWND(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    window.ShowWindow(true, false);
    UIRunMessageLoop();
    return 0;
}

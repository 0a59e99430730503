#pragma once
// The main setup window: the rotating banner above the page of choices, the progress
// page and the finish page (layout 221). It turns clicks into the install manager's
// choices, starts the install run and follows its events to the finish page.
#include <windows.h>
#include <optional>
#include "windows/SkinWindow.h"
#include "windows/TaskbarProgress.h"

class CFrameWindowWnd : public CSkinWindow {
public:
    CFrameWindowWnd();

    // Creates the window (no parent, the setup windows' title and styles), centres it and
    // shows it with focus. From then on the object owns itself and is deleted with its
    // window. Null, and the object still the caller's, when creation failed.
    [[nodiscard]] HWND Open();
    // Starts decoding, on a worker, the images the window shows when it opens, so that its
    // first paint finds them ready (ui/win/ImagePrefetch.h). Call early, before the
    // checks that precede the window.
    static void PrefetchImages();

    void Notify(TNotifyUI& msg) override;

protected:
    void BeforeLayout() override;
    std::optional<LRESULT> OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnClick(TNotifyUI& msg);
    void OnWindowInit();
    void StepBanner();
    void ShowCustomPage();
    void ShowDefaultPage();
    void ChooseFolder();
    void Start();
    void Finish();
    void RunStopPrompt();
    void RunTermsPrompt();

    // What the start step checks before it makes anything (FrameWindowChecks.cpp): each
    // false when the start is to stop, with the page as it was.
    bool HasRoomFor(const CUIString& folder);
    bool ConfirmEarlierVersion();
    // Once the folder is made: makes it the administrators' (message 150 or 195 and false
    // when it cannot be).
    bool TakeOverFolder(const CUIString& folder);
    void ShowRoom();  // the custom page's "space needed / available" for the folder in "path"
    void OnTaskbarButtonCreated();

    // Install events (FrameWindowRun.cpp).
    void OnInstallEvent(WPARAM kind, LPARAM value);
    void SetShellExtensionAside();
    void ShowProgress(int percent);
    void OnRunEnded();
    void ResetAfterRun();

    TaskbarProgress taskbar_;
    CUIString installAction_;   // the progress page's "正在安装", as the layout has it
    bool installing_ = false;   // from the start of the run's beginning to its end
};

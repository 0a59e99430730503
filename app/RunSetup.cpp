#include "app/RunSetup.h"

#include "app/ExitCodes.h"
#include "app/InstallManager.h"
#include "app/SetupArguments.h"
#include "app/SetupUi.h"
#include "app/SilentSetup.h"
#include "engine/SetupLog.h"
#include "base/pure/DecimalText.h"

namespace {

constexpr UINT kStringSetupCaption = 128;

void OpenLog(const SetupArguments& arguments) {
    const bool chosen = !arguments.logFile.empty();
    // A log that cannot be made does not stop setup.
    OpenSetupLog(chosen ? arguments.logFile : DefaultSetupLogPath(), chosen ? LogName::Chosen : LogName::Default);
}

void ApplyOptions(InstallOptions& options, const SetupArguments& arguments) {
    if (arguments.noAutoStart) options.autoStart = false;
    if (arguments.noDesktopIcon) options.desktopShortcut = false;
}

// A message box of a run with windows, before any window: there is no owner.
void ShowMessage(const Install_CIM* manager, const std::wstring& text, UINT style) {
    const CUIString caption = manager ? manager->LoadResString(kStringSetupCaption, L"VexmoraFM") : L"VexmoraFM";
    ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
}

int Ended(SetupExit exit) {
    LogStep(L"Exit code " + DecimalText(ExitCodeOf(exit)));
    CloseSetupLog();
    return ExitCodeOf(exit);
}

}  // namespace

int RunSetup(const wchar_t* commandLine, int /*showCommand*/) {
    const std::wstring line = commandLine ? commandLine : L"";
    const ParsedArguments parsed = ParseSetupArguments(line);
    const SetupArguments& arguments = parsed.arguments;
    if (arguments.log) OpenLog(arguments);  // also for a line wrong further on
    LogStep(L"Setup started, command line: " + line);
    Install_CIM* manager = GetInstallManager();

    if (!parsed.ok) {
        LogStep(L"Argument not understood: " + parsed.wrong);
        if (!arguments.silent)
            ShowMessage(manager, L"Argument not understood: " + parsed.wrong + L"\n\n" + SetupUsageText(),
                        MB_OK | MB_ICONERROR);
        return Ended(SetupExit::BadArguments);
    }
    if (arguments.help) {
        if (!arguments.silent) ShowMessage(manager, SetupUsageText(), MB_OK | MB_ICONINFORMATION);
        return Ended(SetupExit::Success);
    }
    if (!manager) return Ended(SetupExit::Success);
    ApplyOptions(manager->Options(), arguments);
    if (arguments.silent) return Ended(RunSilentSetup(*manager, arguments));
    if (SetupUi* ui = manager->Ui()) ui->PrepareMainWindow();  // its work overlaps the checks below

    if (manager->PrepareSetup()) {
        if (!arguments.folder.empty()) manager->SetInstallPath(arguments.folder);
        SetupUi* ui = manager->Ui();
        if (ui && ui->OpenMainWindow()) ui->RunMessageLoop();
    }
    return Ended(SetupExit::Success);
}

#include "app/RunSetup.h"

#include "app/InstallManager.h"
#include "app/SetupUi.h"

int RunSetup(const wchar_t* /*commandLine*/, int /*showCommand*/) {
    Install_CIM* manager = GetInstallManager();
    if (!manager || !manager->PrepareSetup()) return 0;
    SetupUi* ui = manager->Ui();
    if (ui && ui->OpenMainWindow()) ui->RunMessageLoop();
    return 0;
}

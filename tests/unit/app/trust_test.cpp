// What the elevated setup trusts on the machine: who could change a file or folder (a
// DACL in, a decision out), the DACL it gives the folders it creates, and whether it
// starts an earlier installation's uninstaller.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <fstream>

#include "app/InstallManager.h"
#include "app/SetupUi.h"
#include "engine/FileTrust.h"
#include "engine/FolderChain.h"
#include "engine/FolderSecurity.h"
#include "engine/InstallJournal.h"
#include "engine/RunCommit.h"
#include "engine/RunRollback.h"
#include "base/RegistryView.h"
#include "engine/Processes.h"
#include "base/pure/ProductNames.h"
#include "journal/JournalFiles.h"
#include "journal/JournalRecord.h"
#include "scratch.h"
#include "tests/unit/common/AppPathsAsBefore.h"

namespace {

constexpr wchar_t kAdmin[] = L"S-1-5-21-1-2-3-1001";  // the account an elevated setup runs as
constexpr wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// "NO_ACCESS_CONTROL" (no DACL at all) is built by hand: this Wine's parser makes an
// empty DACL of it.
trust::Descriptor FromSddl(const std::wstring& sddl) {
    if (sddl == L"O:BAD:NO_ACCESS_CONTROL") {
        SECURITY_DESCRIPTOR none;
        ::InitializeSecurityDescriptor(&none, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorDacl(&none, TRUE, nullptr, FALSE);
        trust::Descriptor descriptor;
        EXPECT_TRUE(DescriptorFromSecurity(&none, descriptor));
        return descriptor;
    }
    UniqueLocal security;
    EXPECT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, security.put(),
                                                                       nullptr))
        << U8(sddl);
    trust::Descriptor descriptor;
    EXPECT_TRUE(DescriptorFromSecurity(security.get(), descriptor)) << U8(sddl);
    return descriptor;
}

// A folder's DACL replaced as a whole. This Wine keeps no descriptor, but it maps the
// entry for Everyone to the Linux "other" permission bits and reads it back from them:
// Everyone's write access is the one thing a test can give a folder or file for real.
void SetDacl(const std::wstring& path, const wchar_t* sddl) {
    UniqueLocal security;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, security.put(), nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(security.get(), &present, &dacl, &defaulted));
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, dacl, nullptr));
}
constexpr wchar_t kEveryoneWrites[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;WD)";
constexpr wchar_t kEveryoneReads[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;WD)";

}  // namespace

// Each row: an owner and DACL as the system's descriptor language writes them, and
// whether someone other than an administrator could change the object.
TEST(OthersCanChange, DecidesFromOwnerAndDacl) {
    const std::wstring ti = kTrustedInstaller, admin = kAdmin, user = L"S-1-5-21-1-2-3-1002";
    struct Row {
        const char* why;
        std::wstring sddl;
        bool writable;
    };
    const Row rows[] = {
        {"the system's program folder", L"O:" + ti + L"D:PAI(A;;FA;;;" + ti + L")(A;OICIIO;GA;;;CO)(A;;0x1301bf;;;SY)"
                                        L"(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)(A;;0x1200a9;;;BU)"
                                        L"(A;OICIIO;GXGR;;;BU)", false},
        {"the setup's own folders", std::wstring(L"O:BA") + kProtectedFolderSddl, false},
        {"inherited from a second drive's root", L"O:BAD:AI(A;ID;FA;;;BA)(A;ID;FA;;;SY)(A;ID;0x1301bf;;;AU)"
                                                 L"(A;ID;0x1200a9;;;BU)", true},
        {"Users may add subfolders", L"O:BAD:(A;;FA;;;BA)(A;;0x1200ad;;;BU)", true},
        {"Users may add files", L"O:BAD:(A;;FA;;;BA)(A;;0x1200ab;;;BU)", true},
        {"INTERACTIVE may delete", L"O:BAD:(A;;FA;;;BA)(A;;SD;;;IU)", true},
        {"Users may change the DACL", L"O:BAD:(A;;FA;;;BA)(A;;WD;;;BU)", true},
        {"Authenticated Users may take ownership", L"O:BAD:(A;;FA;;;BA)(A;;WO;;;AU)", true},
        {"Users may delete children", L"O:BAD:(A;;FA;;;BA)(A;;0x1200e9;;;BU)", true},
        {"Everyone has generic write", L"O:BAD:(A;;FA;;;BA)(A;;GW;;;WD)", true},
        {"Authenticated Users have generic all", L"O:BAD:(A;;FA;;;BA)(A;;GA;;;AU)", true},
        {"Authenticated Users have generic read and execute", L"O:BAD:(A;;FA;;;BA)(A;;GRGX;;;AU)", false},
        {"Users may only write attributes", L"O:BAD:(A;;FA;;;BA)(A;;0x1201a9;;;BU)", false},
        {"write for Users only passes on to children", L"O:BAD:(A;;FA;;;BA)(A;OICIIO;GA;;;BU)(A;;0x1200a9;;;BU)",
         false},
        {"CREATOR OWNER on the object itself matches no one", L"O:BAD:(A;;FA;;;BA)(A;;FA;;;CO)", false},
        {"Everyone denied first", L"O:BAD:(D;;FA;;;WD)(A;;FA;;;BU)", false},
        {"a deny after the grant comes too late", L"O:BAD:(A;;FA;;;BU)(D;;FA;;;WD)", true},
        {"a deny of write data leaves delete", L"O:BAD:(D;;FW;;;WD)(A;;FA;;;BU)", true},
        {"a deny for Users does not stop Authenticated Users", L"O:BAD:(D;;FA;;;BU)(A;;FA;;;AU)", true},
        {"a standard user owns it", L"O:" + user + L"D:(A;;FA;;;BA)(A;;0x1200a9;;;BU)", true},
        {"OWNER RIGHTS keep the owner to reading", L"O:" + user + L"D:(A;;0x1200a9;;;S-1-3-4)(A;;FA;;;BA)", false},
        {"OWNER RIGHTS give the owner everything", L"O:" + user + L"D:(A;;FA;;;S-1-3-4)(A;;FA;;;BA)", true},
        {"another account may write", L"O:BAD:(A;;FA;;;BA)(A;;FA;;;" + user + L")", true},
        // A split-token administrator's everyday processes hold the account's own SID
        // without the Administrators group: the account that runs the setup is no one to
        // trust either.
        {"the running administrator's account owns it and may write",
         L"O:" + admin + L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" + admin + L")(A;OICI;0x1200a9;;;WD)", true},
        {"the running administrator's account may only write",
         L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;" + admin + L")", true},
        {"TrustedInstaller owns it", L"O:" + ti + L"D:(A;;FA;;;" + ti + L")(A;;0x1200a9;;;BU)", false},
        {"SYSTEM owns it", L"O:SYD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;WD)", false},
        // This Wine's reading, its Unix owner taken for the Administrators (ReadFileSecurity).
        {"this Wine's reading of a world-writable folder", L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"
                                                           L"(A;OICI;0x1301ff;;;WD)", true},
        {"this Wine's reading of a folder others may read", L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"
                                                            L"(A;OICI;0x1200a9;;;WD)", false},
        {"no DACL at all", L"O:BAD:NO_ACCESS_CONTROL", true},
        {"an empty DACL", L"O:BAD:", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.writable, trust::OthersCanChange(FromSddl(row.sddl))) << row.why;
}

// The descriptor the folder chain hands to the system, entry by entry.
TEST(ProtectedFolder, DaclIsSystemAndAdministratorsFullUsersReadAndNothingInherited) {
    UniqueLocal security;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderSddl, SDDL_REVISION_1,
                                                                       security.put(), nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(security.get(), &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);  // nothing comes from the parent
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(security.get(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    struct Entry {
        const wchar_t* sid;
        DWORD mask;
    };
    const Entry expected[] = {{L"S-1-5-18", FILE_ALL_ACCESS},
                              {L"S-1-5-32-544", FILE_ALL_ACCESS},
                              {L"S-1-5-32-545", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
    ASSERT_EQ(3u, dacl->AceCount);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* raw = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, &raw));
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType) << i;
        // Handed on to every file and folder below, and in force on the folder itself.
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags) << i;
        EXPECT_EQ(expected[i].mask, ace->Mask) << i;
        UniqueLocal sid;
        ASSERT_TRUE(::ConvertSidToStringSidW(const_cast<DWORD*>(&ace->SidStart), reinterpret_cast<LPWSTR*>(sid.put())));
        EXPECT_STREQ(expected[i].sid, static_cast<const wchar_t*>(sid.get())) << i;
    }
    EXPECT_FALSE(trust::OthersCanChange(FromSddl(std::wstring(L"O:BA") + kProtectedFolderSddl)));
}

namespace {

// Stands in for CreateDirectoryW: notes what each call is handed, then creates.
struct CreatedFolder {
    std::wstring path;
    bool hasAttributes = false;
    bool inherit = true;
    trust::Descriptor descriptor;
};
std::vector<CreatedFolder> g_created;

BOOL WINAPI RecordingCreator(LPCWSTR path, LPSECURITY_ATTRIBUTES attributes) {
    CreatedFolder made;
    made.path = path;
    made.hasAttributes = attributes != nullptr;
    if (attributes) {
        made.inherit = attributes->bInheritHandle != FALSE;
        DescriptorFromSecurity(attributes->lpSecurityDescriptor, made.descriptor);
    }
    g_created.push_back(made);
    return ::CreateDirectoryW(path, attributes);
}

// The same for the first two levels; the third cannot be made.
BOOL WINAPI FailingThirdCreator(LPCWSTR path, LPSECURITY_ATTRIBUTES attributes) {
    if (g_created.size() < 2) return RecordingCreator(path, attributes);
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// A "Program Files" folder that is there, and the chain below it made through `creator`,
// which notes in g_created what it is handed.
struct ChainBelowExisting {
    ChainBelowExisting(const wchar_t* name, FolderCreator creator, const std::wstring& below) : scratch(name) {
        existing = scratch / L"Program Files";
        EXPECT_TRUE(::CreateDirectoryW(existing.c_str(), nullptr));
        g_created.clear();
        const FolderCreator before = SetFolderCreator(creator);
        made = CreateFolderChain(existing + below, nullptr);
        SetFolderCreator(before);
    }
    ScratchFolder scratch;
    std::wstring existing;
    bool made = false;
};

}  // namespace

// This Wine stores no descriptor with a folder, so what the chain hands to the system is
// looked at where it is handed over: the protected descriptor for each level it creates,
// nothing at all for the levels that were there.
TEST(ProtectedFolder, TheFolderChainHandsItOverForEachLevelItCreatesOnly) {
    const ChainBelowExisting chain(L"fxprotect", RecordingCreator, L"\\Vexmora\\VexmoraZevlo邮箱");
    const std::wstring& existing = chain.existing;
    ASSERT_TRUE(chain.made);

    const trust::Descriptor expected = FromSddl(kProtectedFolderSddl);
    ASSERT_EQ(2u, g_created.size());
    EXPECT_EQ(existing + L"\\Vexmora", g_created[0].path);
    EXPECT_EQ(existing + L"\\Vexmora\\VexmoraZevlo邮箱", g_created[1].path);
    for (const CreatedFolder& folder : g_created) {
        ASSERT_TRUE(folder.hasAttributes) << U8(folder.path);
        EXPECT_FALSE(folder.inherit);
        ASSERT_EQ(expected.dacl.size(), folder.descriptor.dacl.size()) << U8(folder.path);
        for (size_t i = 0; i < expected.dacl.size(); ++i) {
            EXPECT_EQ(expected.dacl[i].sid, folder.descriptor.dacl[i].sid);
            EXPECT_EQ(expected.dacl[i].mask, folder.descriptor.dacl[i].mask);
            EXPECT_EQ(expected.dacl[i].inheritOnly, folder.descriptor.dacl[i].inheritOnly);
        }
    }
    EXPECT_TRUE(IsFolder(existing + L"\\Vexmora\\VexmoraZevlo邮箱"));
}

// A chain that fails half way takes back the levels it made, each of which was handed the
// protected descriptor; the level that was there stays.
TEST(ProtectedFolder, AChainThatFailsHalfWayTakesBackTheLevelsItMade) {
    const ChainBelowExisting chain(L"fxprotecthalf", FailingThirdCreator, L"\\Vexmora\\VexmoraZevlo邮箱\\data");
    EXPECT_FALSE(chain.made);
    ASSERT_EQ(2u, g_created.size());
    for (const CreatedFolder& folder : g_created) EXPECT_TRUE(folder.hasAttributes) << U8(folder.path);
    EXPECT_FALSE(Exists(chain.existing + L"\\Vexmora"));
    EXPECT_TRUE(IsFolder(chain.existing));
}

// The earlier uninstaller as this machine has it: a file and its folder whose Everyone
// entry is only read (this Wine's default), then the folder or the file writable by
// Everyone, then back.
TEST(CheckProgramTrust, TrustsOnlyWhatNoOneButAdministratorsCanChange) {
    ScratchFolder scratch(L"fxtrust");
    const std::wstring program = scratch / L"uninstall.exe";
    std::ofstream(std::filesystem::path(program)) << "MZ";
    UniqueFile held;
    EXPECT_EQ(ProgramTrust::Missing, CheckProgramTrust(scratch / L"missing.exe", held));
    EXPECT_EQ(ProgramTrust::Missing, CheckProgramTrust(scratch / L"no folder\\uninstall.exe", held));
    ASSERT_EQ(ProgramTrust::Trusted, CheckProgramTrust(program, held));
    ASSERT_TRUE(held);
    // Held, the file can be neither replaced nor moved away until the caller lets go.
    EXPECT_FALSE(::DeleteFileW(program.c_str()));
    EXPECT_FALSE(::MoveFileExW(program.c_str(), (scratch / L"moved.exe").c_str(), 0));
    held.reset();
    // The same file named another way is the same file.
    EXPECT_EQ(ProgramTrust::Trusted, CheckProgramTrust(scratch.path() + L"\\\\.\\uninstall.exe", held));

    SetDacl(scratch.path(), kEveryoneWrites);
    EXPECT_EQ(ProgramTrust::Untrusted, CheckProgramTrust(program, held));
    EXPECT_FALSE(held);
    SetDacl(scratch.path(), kEveryoneReads);
    EXPECT_EQ(ProgramTrust::Trusted, CheckProgramTrust(program, held));
    held.reset();
    SetDacl(program, kEveryoneWrites);
    EXPECT_EQ(ProgramTrust::Untrusted, CheckProgramTrust(program, held));
    SetDacl(program, kEveryoneReads);
}

namespace {

// "SoftwarePath" of the client's App Paths key for the length of a test, then as before.
class RecordedInstallation {
public:
    explicit RecordedInstallation(const std::wstring& folder) {
        UniqueHKey key;
        EXPECT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0,
                                                   KEY_SET_VALUE | kRegistryView, nullptr, key.put(), nullptr));
        ::RegSetValueExW(key.get(), kSoftwarePathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }

private:
    AppPathsAsBefore asBefore_;  // made first, put back last
};

class WarningUi : public SetupUi {
public:
    void ShowAlreadyRunning() override {}
    bool ShowClientRunning(const std::vector<DWORD>&) override { return true; }
    bool OpenMainWindow() override { return false; }
    void RunMessageLoop() override {}
    void PumpMessages() override {}
    void ShowWarning(const std::wstring& text, const std::wstring&) override { warnings.push_back(text); }
    std::vector<std::wstring> warnings;
};

std::wstring Recorder() { return TestProgram(L"fx_recorder.exe"); }

// A value "Planted" in the client's App Paths key, as the setup's own registry view has it.
constexpr wchar_t kPlanted[] = L"Planted";
bool PlantedValueWritten() {
    UniqueHKey key;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_READ | kRegistryView, key.put()) ==
               ERROR_SUCCESS &&
           ::RegQueryValueExW(key.get(), kPlanted, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

// An earlier installation whose journal cannot be read is removed by its own uninstaller
// (the only one that may know what is its), but not when its folder is one anyone may
// write to: that uninstaller (here a program that notes each start) is not started
// elevated, the user is told where it stays, and the install goes on. Once only
// administrators can change it, it runs.
TEST(BeforeInstall, NeverStartsAnUninstallerThatOthersCouldHaveReplaced) {
    ScratchFolder scratch(L"fxearlier");
    const std::wstring earlier = scratch / L"Old Mail", fresh = scratch / L"New Mail";
    for (const std::wstring& folder : {earlier, fresh}) ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW(Recorder().c_str(), (earlier + L"\\uninstall.exe").c_str(), FALSE)) << U8(Recorder());
    const std::wstring ran = earlier + L"\\uninstall-cmdline.txt";
    RecordedInstallation recorded(earlier);
    WarningUi ui;
    Install_CIM manager(::GetModuleHandleW(nullptr));
    manager.SetUi(&ui);
    manager.SetInstallPath(fresh);

    SetDacl(earlier, kEveryoneWrites);
    EXPECT_TRUE(manager.BeforeInstall());
    EXPECT_FALSE(Exists(ran));
    ASSERT_EQ(1u, ui.warnings.size());
    EXPECT_NE(std::wstring::npos, ui.warnings[0].find(earlier)) << U8(ui.warnings[0]);
    EXPECT_TRUE(manager.RollBackUnfinishedRun().complete);

    SetDacl(earlier, kEveryoneReads);
    EXPECT_TRUE(manager.BeforeInstall());
    EXPECT_TRUE(Exists(ran));
    EXPECT_EQ(2u, ui.warnings.size()) << "the user is told a failed run cannot bring it back";
    EXPECT_TRUE(manager.RollBackUnfinishedRun().complete);
}

// With a journal, such an installation is removed by the run's commit in this process,
// by its journal and with the same trust as an uninstall: a record planted to point
// outside the places the setup writes to is refused and stays in its journal, and so
// does the uninstaller, which never runs.
TEST(CommitRun, RemovesTheJournalOfAnEarlierInstallationWhoseUninstallerItWillNotStart) {
    ScratchFolder scratch(L"fxundone");
    const std::wstring earlier = scratch / L"Old Mail", fresh = scratch / L"New Mail";
    const std::wstring victim = scratch / L"victim.txt";
    for (const std::wstring& folder : {earlier, earlier + L"\\res", fresh})
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW(Recorder().c_str(), (earlier + L"\\uninstall.exe").c_str(), FALSE)) << U8(Recorder());
    for (const std::wstring& file : {earlier + L"\\Start.exe", earlier + L"\\res\\skin.dll", victim})
        std::ofstream(std::filesystem::path(file)) << "x";
    {
        InstallJournal journal;
        journal.open(earlier + L"\\uninstall");
        journal.recordFolder(earlier);
        journal.recordFile(earlier + L"\\Start.exe");
        journal.recordFolder(earlier + L"\\res");
        journal.recordFile(earlier + L"\\res\\skin.dll");
        journal.recordFile(victim);  // planted
        // Planted too: an old value, which only taking back a run of the setup's writes.
        journal.recordOldValue(HKEY_LOCAL_MACHINE, kAppPathsKey, kPlanted, REG_SZ, std::string("x\0\0\0", 4));
    }
    RecordedInstallation recorded(earlier);
    WarningUi ui;
    Install_CIM manager(::GetModuleHandleW(nullptr));
    manager.SetUi(&ui);
    manager.SetInstallPath(fresh);

    SetDacl(earlier, kEveryoneWrites);
    EXPECT_TRUE(manager.BeforeInstall());
    EXPECT_TRUE(CommitRun(manager.State()).committed);
    SetDacl(earlier, kEveryoneReads);
    EXPECT_FALSE(Exists(earlier + L"\\uninstall-cmdline.txt")) << "the untrusted uninstaller ran";
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_FALSE(Exists(earlier + L"\\Start.exe"));
    EXPECT_FALSE(Exists(earlier + L"\\res"));
    EXPECT_TRUE(Exists(victim));
    EXPECT_TRUE(Exists(earlier + L"\\uninstall.exe"));
    EXPECT_FALSE(PlantedValueWritten());
    const StoredJournal left = ReadStoredJournal(earlier + L"\\uninstall");
    EXPECT_EQ(left.text, journal::FolderRecord(earlier) + journal::FileRecord(victim));
}

// Taking a run back moves files and writes values as its records say: a run is taken back
// only from a journal that no one but administrators could have written. In a folder
// anyone may write to, a "run" is left as it is and its old value never written; once
// only administrators can change the folder, the same run is taken back.
TEST(RollBackUnfinishedRun, FollowsOnlyAJournalNoOneButAdministratorsCouldWrite) {
    ScratchFolder scratch(L"fxplanted");
    const std::wstring folder = scratch / L"Mail";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    {
        InstallJournal journal;
        ASSERT_EQ(InstallJournal::Opened::Yes, journal.open(folder + L"\\uninstall"));
        ASSERT_TRUE(journal.begin(folder));
        ASSERT_TRUE(journal.recordOldValue(HKEY_LOCAL_MACHINE, kAppPathsKey, kPlanted, REG_SZ,
                                           std::string("x\0\0\0", 4)));
    }  // a run that did not finish: its records stay in the plain journal
    ASSERT_FALSE(PlantedValueWritten()) << "the unit test machine has the value already";

    SetDacl(folder, kEveryoneWrites);
    EXPECT_FALSE(RollBackUnfinishedRun(folder).rolledBack);
    EXPECT_FALSE(PlantedValueWritten());
    EXPECT_TRUE(Exists(folder + L"\\uninstall"));

    SetDacl(folder, kEveryoneReads);
    const RollbackOutcome taken = RollBackUnfinishedRun(folder);
    EXPECT_TRUE(taken.rolledBack);
    EXPECT_TRUE(taken.complete);
    EXPECT_TRUE(PlantedValueWritten()) << "the control: the administrators' run is taken back";
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, kRegistryView, 0);
}

// The shell-link writer and the journalled shortcut: argument checks, COM left as found on
// every path, properties read back through the shell's own link object.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <fstream>

#include "engine/ShellLink.h"
#include "registration_fixture.h"

namespace {

struct LinkArguments {
    const char* label;
    const wchar_t* target;
    const wchar_t* arguments;
    bool link;  // false: no link path at all
    const wchar_t* description;
    int showCommand;
    const wchar_t* workingDirectory;
    const wchar_t* iconPath;
    int iconIndex;
};

const LinkArguments kInvalid[] = {
    {"no target", nullptr, L"", true, L"", 1, L"", L"", 0},
    {"empty target", L"", L"", true, L"", 1, L"", L"", 0},
    {"no arguments", L"C:\\t.exe", nullptr, true, L"", 1, L"", L"", 0},
    {"no link", L"C:\\t.exe", L"", false, L"", 1, L"", L"", 0},
    {"no description", L"C:\\t.exe", L"", true, nullptr, 1, L"", L"", 0},
    {"negative show command", L"C:\\t.exe", L"", true, L"", -1, L"", L"", 0},
    {"no working directory", L"C:\\t.exe", L"", true, L"", 1, nullptr, L"", 0},
    {"no icon path", L"C:\\t.exe", L"", true, L"", 1, L"", nullptr, 0},
    {"negative icon index", L"C:\\t.exe", L"", true, L"", 1, L"", L"", -1},
};

struct ReadBack {
    HRESULT hr = E_FAIL;
    std::wstring path, arguments, description, workingDirectory, iconPath;
    int iconIndex = -1;
};

ReadBack ReadLink(const std::wstring& link) {
    ReadBack out;
    ComScope com;
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> file;
    out.hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.put_void());
    if (SUCCEEDED(out.hr)) out.hr = shellLink->QueryInterface(IID_IPersistFile, file.put_void());
    if (SUCCEEDED(out.hr)) out.hr = file->Load(link.c_str(), STGM_READ);
    if (FAILED(out.hr)) return out;
    wchar_t text[MAX_PATH] = {};
    shellLink->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    out.path = text;
    shellLink->GetArguments(text, MAX_PATH);
    out.arguments = text;
    shellLink->GetDescription(text, MAX_PATH);
    out.description = text;
    shellLink->GetWorkingDirectory(text, MAX_PATH);
    out.workingDirectory = text;
    shellLink->GetIconLocation(text, MAX_PATH, &out.iconIndex);
    out.iconPath = text;
    return out;
}

// The show command as stored in the file's header (Wine's reader does not hand it back).
DWORD StoredShowCommand(const std::wstring& link) {
    std::ifstream in(std::filesystem::path(link), std::ios::binary);
    char header[0x40] = {};
    in.read(header, sizeof header);
    DWORD show = 0;
    std::memcpy(&show, header + 0x3C, sizeof show);
    return show;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(CreateShellLink, RejectsEachInvalidArgumentCreatingNothingAndUninitialisesCom) {
    TempFolder folder;
    const std::wstring link = folder / L"bad.lnk";
    for (const LinkArguments& a : kInvalid) {
        SCOPED_TRACE(a.label);
        EXPECT_EQ(E_INVALIDARG, CreateShellLink(a.target, a.arguments, a.link ? link.c_str() : nullptr,
                                                a.description, a.showCommand, a.workingDirectory, a.iconPath,
                                                a.iconIndex));
        EXPECT_FALSE(Exists(link));
        EXPECT_TRUE(ComIsUninitialised());
    }
    SCOPED_TRACE("empty link");
    EXPECT_EQ(E_INVALIDARG, CreateShellLink(L"C:\\t.exe", L"", L"", L"", 1, L"", L"", 0));
    EXPECT_TRUE(ComIsUninitialised());
}

TEST(CreateShellLink, WritesEveryGivenPropertyOverAnExistingFile) {
    TempFolder folder;
    const std::wstring link = folder / L"full.lnk";
    std::ofstream(std::filesystem::path(link)) << "an older file of that name";
    ASSERT_EQ(S_OK, CreateShellLink(L"C:\\Program Files\\Zevlo\\Start.exe", L"-minimised", link.c_str(),
                                    L"Mail", SW_SHOWMAXIMIZED, L"C:\\Program Files\\Zevlo", L"C:\\icons.dll", 2));
    EXPECT_TRUE(ComIsUninitialised());
    const ReadBack read = ReadLink(link);
    ASSERT_EQ(S_OK, read.hr);
    EXPECT_EQ(L"C:\\Program Files\\Zevlo\\Start.exe", read.path);
    EXPECT_EQ(L"-minimised", read.arguments);
    EXPECT_EQ(L"Mail", read.description);
    EXPECT_EQ(static_cast<DWORD>(SW_SHOWMAXIMIZED), StoredShowCommand(link));
    EXPECT_EQ(L"C:\\Program Files\\Zevlo", read.workingDirectory);
    EXPECT_EQ(L"C:\\icons.dll", read.iconPath);
    EXPECT_EQ(2, read.iconIndex);
}

TEST(CreateShellLink, ReturnsTheSaveFailureAndStillUninitialisesCom) {
    TempFolder folder;
    const std::wstring link = folder / L"missing\\folder.lnk";
    EXPECT_TRUE(FAILED(CreateShellLink(L"C:\\t.exe", L"", link.c_str(), L"", 1, L"", L"", 0)));
    EXPECT_FALSE(Exists(link));
    EXPECT_TRUE(ComIsUninitialised());
}

TEST(CreateShellLink, LeavesTheCallersOwnComInitialisation) {
    ASSERT_EQ(S_OK, ::CoInitialize(nullptr));
    TempFolder folder;
    const std::wstring link = folder / L"nested.lnk";
    EXPECT_EQ(S_OK, CreateShellLink(L"C:\\t.exe", L"", link.c_str(), L"", 1, L"", L"", 0));
    EXPECT_EQ(E_INVALIDARG, CreateShellLink(nullptr, L"", link.c_str(), L"", 1, L"", L"", 0));
    const HRESULT again = ::CoInitialize(nullptr);  // S_FALSE: still initialised by this test
    EXPECT_EQ(S_FALSE, again);
    if (SUCCEEDED(again)) ::CoUninitialize();
    ::CoUninitialize();
    EXPECT_TRUE(ComIsUninitialised());
}

TEST(CreateShortcut, WritesAPlainShortcutAndJournalsIt) {
    TempFolder folder;
    InstallJournal journal;
    journal.open(folder / L"uninstall");
    const std::wstring link = folder / L"VexmoraZevlo\u90ae\u7bb1.lnk";
    ASSERT_TRUE(CreateShortcut(L"C:\\Zevlo Mail\\Start.exe", link, &journal));
    EXPECT_EQ(std::vector<std::string>{"F " + Utf8(link)}, PlainJournalLines(journal));
    const ReadBack read = ReadLink(link);
    ASSERT_EQ(S_OK, read.hr);
    EXPECT_EQ(L"C:\\Zevlo Mail\\Start.exe", read.path);
    EXPECT_EQ(L"", read.arguments);
    EXPECT_EQ(L"", read.description);
    EXPECT_EQ(static_cast<DWORD>(SW_SHOWNORMAL), StoredShowCommand(link));
    EXPECT_EQ(L"", read.workingDirectory);
    EXPECT_EQ(L"", read.iconPath);
    journal.close();
}

// The uninstaller removes what the journal names: a shortcut that could not be written is
// named all the same, and a missing journal is no reason to fail.
TEST(CreateShortcut, JournalsTheLinkEvenWhenItCannotBeWritten) {
    TempFolder folder;
    InstallJournal journal;
    journal.open(folder / L"uninstall");
    const std::wstring link = folder / L"missing\\x.lnk";
    EXPECT_FALSE(CreateShortcut(L"C:\\t.exe", link, &journal));
    EXPECT_EQ(std::vector<std::string>{"F " + Utf8(link)}, PlainJournalLines(journal));
    journal.close();
    EXPECT_TRUE(CreateShortcut(L"C:\\t.exe", folder / L"unjournalled.lnk", nullptr));
}

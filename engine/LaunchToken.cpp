#include "engine/LaunchToken.h"

namespace {

// SYSTEM, LOCAL SERVICE, NETWORK SERVICE: no person's shell runs as these.
bool IsServiceAccount(const std::wstring& sid) {
    return sid == L"S-1-5-18" || sid == L"S-1-5-19" || sid == L"S-1-5-20";
}

}  // namespace

LaunchToken ChooseLaunchToken(const ShellFacts& facts) {
    if (facts.shellProcessId == 0) return LaunchToken::NoShell;
    if (facts.shellProcessId == facts.ownProcessId) return LaunchToken::ShellIsSetup;
    if (!facts.tokenRead || facts.shellUser.empty()) return LaunchToken::TokenUnread;
    if (IsServiceAccount(facts.shellUser)) return LaunchToken::ServiceShell;
    return LaunchToken::Shell;
}

const wchar_t* LaunchTokenWhyNot(LaunchToken choice) {
    switch (choice) {
        case LaunchToken::Shell: return L"";
        case LaunchToken::NoShell: return L"no shell runs on this desktop (no one signed in here)";
        case LaunchToken::ShellIsSetup: return L"the setup itself owns the shell window";
        case LaunchToken::TokenUnread: return L"the shell's token cannot be had";
        case LaunchToken::ServiceShell: return L"the shell runs as a service account, not as a person";
    }
    return L"";
}

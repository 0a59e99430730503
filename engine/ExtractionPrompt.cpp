#include "engine/ExtractionPrompt.h"

#include "engine/ResStrings.h"

namespace {
constexpr UINT kStringInstallFailCaption = 140;
constexpr UINT kStringLinkRefused = 150;
constexpr UINT kStringPlaceUnknown = 197;
constexpr UINT kFailureBoxStyle = MB_ABORTRETRYIGNORE | MB_ICONINFORMATION | MB_DEFBUTTON2;  // 0x142
}  // namespace

FailureAnswer ShowFailureBox(HWND owner, HINSTANCE instance, const CUIString& message) {
    const CUIString caption = LoadResString(instance, kStringInstallFailCaption, L"Install fail");
    switch (::MessageBoxW(owner, message.c_str(), caption.c_str(), kFailureBoxStyle)) {
        case IDRETRY: return FailureAnswer::Retry;
        case IDIGNORE: return FailureAnswer::Ignore;
        default: return FailureAnswer::Abort;
    }
}

bool AskOnFailure(const ExtractionHooks& hooks, const CUIString& message) {
    switch (hooks.prompt(message)) {
        case FailureAnswer::Retry: return true;
        case FailureAnswer::Ignore: return false;
        case FailureAnswer::Abort: break;
    }
    throw CUIString();
}

CUIString LinkRefusedText(HINSTANCE instance, const CUIString& path) {
    return FormatText(instance, kStringLinkRefused,
                      L"{path} is a link to another place: nothing is written through it.", L"{path}", path);
}

CUIString PlaceUnknownText(HINSTANCE instance, const CUIString& path) {
    return FormatText(instance, kStringPlaceUnknown,
                      L"Where {path} leads cannot be told: nothing is written there.", L"{path}", path);
}

#pragma once
#include <windows.h>
#include "engine/Extraction.h"

// The failure prompt of the program: MessageBoxW owned by `owner`, the message as text,
// string 140 (fallback "Install fail") as caption, Abort/Retry/Ignore with Retry as the
// default and the information icon (0x142). A box that cannot be shown counts as Abort,
// so that a failure never repeats without the user.
FailureAnswer ShowFailureBox(HWND owner, HINSTANCE instance, const CUIString& message);

// Asks through `prompt`: true for Retry, false for Ignore; Abort throws an empty
// CUIString, which ends the extraction.
bool AskOnFailure(const ExtractionHooks& hooks, const CUIString& message);

// String 150: `path` is a link to another place, and nothing is written through it.
CUIString LinkRefusedText(HINSTANCE instance, const CUIString& path);
// String 197: where `path` leads cannot be told (the system does not say), and nothing is
// written there.
CUIString PlaceUnknownText(HINSTANCE instance, const CUIString& path);

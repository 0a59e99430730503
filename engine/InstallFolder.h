#pragma once
// The install folder's one spelling, as the install starts: the text rules of
// base/pure/FolderSpelling.h, then the file system's own spelling of the part that exists
// already: its full path in long form (an 8.3 short name such as "PROGRA~1" becomes the
// name it stands for). The part below it, still to be made, stays as spelled.
//
// A folder that the folder chain would refuse (engine/FolderChain.h: ".." parts, names
// ending in a dot or a blank, device names, too long) is returned as spelled, unchanged
// by the file system (which would drop those dots and blanks), for the chain to refuse.
#include <string>
#include "base/pure/FolderSpelling.h"

FolderSpelling NormaliseInstallFolder(const std::wstring& typed);

#pragma once
#include <string>
class InstallJournal;

// Creates every missing folder along an absolute local path ("X:\..."), outermost first,
// recording each folder it creates in `journal` (when not null and open). The drive root
// is never created. Returns false as soon as one level cannot be created (folders made
// before it stay, and are journalled); a path that is not absolute and local fails
// without creating anything. A file standing at the final level counts as existing.
bool CreateFolderChain(const std::wstring& path, InstallJournal* journal);

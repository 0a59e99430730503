#pragma once
// The list of file operations that Windows carries out at its next start
// ("PendingFileRenameOperations", REG_MULTI_SZ): pairs of a source and a target, each
// NUL-terminated, the target empty for a deletion, the list ended by one more NUL; paths in
// the "\??\X:\..." form. An uninstall that met a file in use leaves its deletion there,
// which would take the file of a later install at the restart. Free of <windows.h>.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct PendingRename {
    std::wstring source;
    std::wstring target;  // empty: the source is deleted
};

// The pairs of the value's text (its bytes as UTF-16 units). A last pair cut short is left out.
std::vector<PendingRename> ParsePendingRenames(std::wstring_view value);
// The value's text for `renames`, with its closing NUL; empty for none.
std::wstring PendingRenamesValue(const std::vector<PendingRename>& renames);
// The path a source or target names, without the "\??\" prefix.
std::wstring_view PendingRenamePath(std::wstring_view name);
// `renames` without the pairs whose source or target `touches` (a plain path).
std::vector<PendingRename> WithoutPendingRenames(const std::vector<PendingRename>& renames,
                                                 const std::function<bool(std::wstring_view)>& touches);

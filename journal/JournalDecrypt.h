#pragma once
// Reading an encrypted install journal back: AES-128-CBC with PKCS #7 padding under the
// key and IV of journal/JournalKey.h. Shared by the journal reader and the uninstaller.
// Free of <windows.h>; nothing here throws.
//
// Failure contract: on false, `plain` is left untouched. False means the file cannot be
// read, its length is not a positive multiple of 16, or the padding is wrong (which a
// wrong key gives with a probability of about 255/256: CBC carries no other check).
#include <filesystem>
#include <string>
#include <string_view>

[[nodiscard]] bool DecryptJournalBytes(std::string_view cipher, std::string& plain) noexcept;
[[nodiscard]] bool DecryptJournalFile(const std::filesystem::path& file, std::string& plain) noexcept;

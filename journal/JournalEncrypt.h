#pragma once
// Encrypting an install journal: AES-128-CBC with PKCS #7 padding under the key and IV of
// journal/JournalKey.h, the whole text at once, nothing but the cipher text in the output.
// The counterpart of journal/JournalDecrypt.h. Free of <windows.h>; nothing here throws.
//
// Failure contract: on false (out of memory), `cipher` is left untouched.
#include <string>
#include <string_view>

[[nodiscard]] bool EncryptJournalBytes(std::string_view plain, std::string& cipher) noexcept;

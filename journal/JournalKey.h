#pragma once
// The AES-128 key and CBC initialisation vector of the install journal. They are the
// same for every installation and must match in the setup program, the client's
// uninstaller and the journal reader, so this is the one place that makes them.
// Free of <windows.h>.
#include <array>
#include <cstdint>

struct JournalKeyPair {
    std::array<std::uint8_t, 16> key;
    std::array<std::uint8_t, 16> iv;
};

// Builds the key and the IV at run time from constants; never fails.
JournalKeyPair JournalKeyMaterial() noexcept;

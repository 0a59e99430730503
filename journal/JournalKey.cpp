#include "journal/JournalKey.h"

namespace {

// The key and IV are mixed from these at run time, so that neither stands in the
// executable as one 16-byte run. Changing any byte makes every existing encrypted
// journal unreadable.
const std::uint8_t kSeedA[16] = {0x3b, 0x91, 0x0e, 0xc7, 0x54, 0xa2, 0x6f, 0x18,
                                 0xe3, 0x7d, 0x29, 0xb6, 0x40, 0xfa, 0x85, 0x1c};
const std::uint8_t kSeedB[16] = {0x72, 0x0d, 0xd9, 0x36, 0xab, 0x5e, 0xc1, 0x97,
                                 0x08, 0x64, 0xef, 0x23, 0xbc, 0x4a, 0x11, 0x8e};
const std::uint8_t kSeedC[16] = {0xa7, 0x5c, 0x33, 0xe8, 0x19, 0xd4, 0x82, 0x6b,
                                 0xf0, 0x2e, 0x95, 0x47, 0x7a, 0xc3, 0x0b, 0xde};

std::uint8_t RotateLeft(std::uint8_t v, unsigned n) {
    n &= 7;
    return static_cast<std::uint8_t>((v << n) | (v >> ((8 - n) & 7)));
}

}  // namespace

JournalKeyPair JournalKeyMaterial() noexcept {
    // Read through volatile pointers: the compiler must not fold the mix into a constant.
    const volatile std::uint8_t* a = kSeedA;
    const volatile std::uint8_t* b = kSeedB;
    const volatile std::uint8_t* c = kSeedC;
    JournalKeyPair pair{};
    for (unsigned i = 0; i < 16; ++i) {
        pair.key[i] = static_cast<std::uint8_t>((RotateLeft(a[i], i % 7 + 1) ^ b[(i * 5) % 16]) + c[i]);
        pair.iv[i] = static_cast<std::uint8_t>((RotateLeft(c[(i * 11) % 16], 3) ^ a[15 - i]) + b[i] + i);
    }
    return pair;
}

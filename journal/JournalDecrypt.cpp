#include "journal/JournalDecrypt.h"

#include <algorithm>

#include <cryptopp/aes.h>

#include "journal/JournalKey.h"

// CBC and the padding by hand on the AES block cipher, for the reason given in
// JournalEncrypt.cpp. The padding is checked as Crypto++'s StreamTransformationFilter
// checks it: the last byte is a count from 1 to 16 and every byte it covers holds it.
bool DecryptJournalBytes(std::string_view cipher, std::string& plain) noexcept {
    const std::size_t block = CryptoPP::AES::BLOCKSIZE;
    if (cipher.empty() || cipher.size() % block != 0) return false;
    try {
        const JournalKeyPair secret = JournalKeyMaterial();
        const CryptoPP::AES::Decryption aes(secret.key.data(), secret.key.size());
        std::string out(cipher);
        auto* bytes = reinterpret_cast<CryptoPP::byte*>(out.data());
        // From the last block back, so that the block before is still cipher text.
        for (std::size_t at = out.size(); at > 0;) {
            at -= block;
            const CryptoPP::byte* previous = at == 0 ? secret.iv.data() : bytes + at - block;
            aes.ProcessAndXorBlock(bytes + at, previous, bytes + at);
        }
        const unsigned char pad = static_cast<unsigned char>(out.back());
        if (pad < 1 || pad > block) return false;
        const auto padding = out.end() - pad;
        if (!std::all_of(padding, out.end(), [pad](char c) { return static_cast<unsigned char>(c) == pad; }))
            return false;
        out.erase(padding, out.end());
        plain.swap(out);
        return true;
    } catch (...) {  // out of memory
        return false;
    }
}

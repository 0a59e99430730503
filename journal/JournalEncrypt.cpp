#include "journal/JournalEncrypt.h"

#include <cryptopp/aes.h>
#include <cryptopp/misc.h>

#include "journal/JournalKey.h"

// CBC and the PKCS #7 padding are done here on Crypto++'s AES block cipher. Its mode
// classes, filters and string sinks would do the same, but their template instances live
// in the library's dll.o beside its public-key code, which would then all ship with the
// setup (about 1.5 MB) for these few lines. The known-answer tests pin the result.
bool EncryptJournalBytes(std::string_view plain, std::string& cipher) noexcept {
    try {
        const JournalKeyPair secret = JournalKeyMaterial();
        const CryptoPP::AES::Encryption aes(secret.key.data(), secret.key.size());
        const std::size_t block = CryptoPP::AES::BLOCKSIZE;
        const std::size_t pad = block - plain.size() % block;  // 1..16: a whole block when aligned
        std::string out(plain);
        out.append(pad, static_cast<char>(pad));
        auto* bytes = reinterpret_cast<CryptoPP::byte*>(out.data());
        const CryptoPP::byte* previous = secret.iv.data();
        for (std::size_t at = 0; at < out.size(); at += block) {
            CryptoPP::xorbuf(bytes + at, previous, block);
            aes.ProcessBlock(bytes + at);
            previous = bytes + at;
        }
        cipher.swap(out);
        return true;
    } catch (...) {  // std::bad_alloc
        return false;
    }
}

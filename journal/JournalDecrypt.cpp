#include "journal/JournalDecrypt.h"

#include <cryptopp/aes.h>
#include <cryptopp/filters.h>
#include <cryptopp/modes.h>

#include "journal/JournalKey.h"

bool DecryptJournalBytes(std::string_view cipher, std::string& plain) noexcept {
    if (cipher.empty() || cipher.size() % CryptoPP::AES::BLOCKSIZE != 0) return false;
    try {
        const JournalKeyPair secret = JournalKeyMaterial();
        CryptoPP::CBC_Mode<CryptoPP::AES>::Decryption decryption(
            secret.key.data(), secret.key.size(), secret.iv.data());
        std::string out;
        CryptoPP::StringSource source(
            reinterpret_cast<const CryptoPP::byte*>(cipher.data()), cipher.size(), true,
            new CryptoPP::StreamTransformationFilter(
                decryption, new CryptoPP::StringSink(out),
                CryptoPP::BlockPaddingSchemeDef::PKCS_PADDING));
        plain.swap(out);
        return true;
    } catch (...) {  // bad padding (CryptoPP::InvalidCiphertext) or out of memory
        return false;
    }
}

#include "journal/JournalEncrypt.h"

#include <cryptopp/aes.h>
#include <cryptopp/filters.h>
#include <cryptopp/modes.h>

#include "journal/JournalKey.h"

bool EncryptJournalBytes(std::string_view plain, std::string& cipher) noexcept {
    try {
        const JournalKeyPair secret = JournalKeyMaterial();
        CryptoPP::CBC_Mode<CryptoPP::AES>::Encryption encryption(secret.key.data(), secret.key.size(),
                                                                 secret.iv.data());
        std::string out;
        CryptoPP::StringSource source(
            reinterpret_cast<const CryptoPP::byte*>(plain.data()), plain.size(), true,
            new CryptoPP::StreamTransformationFilter(encryption, new CryptoPP::StringSink(out),
                                                     CryptoPP::BlockPaddingSchemeDef::PKCS_PADDING));
        cipher.swap(out);
        return true;
    } catch (...) {  // std::bad_alloc
        return false;
    }
}

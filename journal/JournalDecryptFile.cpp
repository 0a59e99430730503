// Apart from the decryption of bytes: the setup decrypts only bytes it has read itself,
// and does not link the stream library this reads the file with.
#include "journal/JournalDecrypt.h"

#include <fstream>
#include <iterator>

bool DecryptJournalFile(const std::filesystem::path& file, std::string& plain) noexcept {
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in) return false;
        const std::string cipher((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) return false;
        return DecryptJournalBytes(cipher, plain);
    } catch (...) {
        return false;
    }
}

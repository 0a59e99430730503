// The install journal on the real file system of the test prefix: records, the
// encrypted companion file and the failures at open and close.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <array>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include <cryptopp/aes.h>
#include <cryptopp/filters.h>
#include <cryptopp/modes.h>

#include "engine/FolderChain.h"
#include "engine/InstallJournal.h"
#include "base/Handles.h"
#include "journal/JournalDecrypt.h"
#include "journal/JournalEncrypt.h"
#include "journal/JournalKey.h"
#include "journal/JournalRecord.h"

namespace fs = std::filesystem;

namespace {

std::optional<std::string> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string Utf8(const std::wstring& wide) {
    const std::u8string u8 = fs::path(wide).u8string();
    return std::string(u8.begin(), u8.end());
}

std::string Encrypt(const std::string& plain) {
    const JournalKeyPair secret = JournalKeyMaterial();
    CryptoPP::CBC_Mode<CryptoPP::AES>::Encryption encryption(secret.key.data(), 16, secret.iv.data());
    std::string cipher;
    CryptoPP::StringSource(plain, true,
                           new CryptoPP::StreamTransformationFilter(encryption, new CryptoPP::StringSink(cipher)));
    return cipher;
}

// Every test gets a fresh folder whose name is outside the ANSI code page.
class InstallJournalTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(0u, ::GetTempPathW(MAX_PATH, temp));
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::wstring(temp) + L"journal-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                  fs::path(info->name()).wstring() + L"\\VexmoraZevlo\u90ae\u7bb1";
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        ASSERT_TRUE(fs::create_directories(folder_));
        plain_ = folder_ + L"\\uninstall";
        cipher_ = plain_ + L"E";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(fs::path(folder_).parent_path(), ignored);
    }

    std::string Decrypted() const {
        std::string plain = "<no journal>";
        EXPECT_TRUE(DecryptJournalFile(cipher_, plain));
        return plain;
    }

    std::wstring folder_, plain_, cipher_;
};

TEST_F(InstallJournalTest, RecordsEveryKindInOrderAsUtf8Lines) {
    InstallJournal journal;
    journal.open(plain_);
    ASSERT_TRUE(journal.isOpen());
    journal.recordFolder(folder_ + L"\\bin");
    journal.recordFile(folder_ + L"\\bin\\\u90ae\u4ef6.dll");
    journal.recordFile(L"C:\\x\\\xd842\xdfb7.txt");  // U+20BB7, outside the BMP
    journal.recordKey(HKEY_LOCAL_MACHINE, L"Software\\Vexmora");
    journal.recordValue(HKEY_LOCAL_MACHINE, L"Software\\Vexmora", L"SoftwarePath");
    journal.recordValue(HKEY_CURRENT_USER, L"Software\\Run", L"Vexmora-PC");
    const std::string folder = Utf8(folder_);
    const std::string expected =
        "D " + folder + "\\bin\r\n"
        "F " + folder + "\\bin\\\xe9\x82\xae\xe4\xbb\xb6.dll\r\n"
        "F C:\\x\\\xf0\xa0\xae\xb7.txt\r\n"
        "r 2147483650 Software\\Vexmora\r\n"
        "R 2147483650 Software\\Vexmora\\SoftwarePath\r\n"
        "R 2147483649 Software\\Run\\Vexmora-PC\r\n";
    // Nothing is buffered: the plain file holds every record while the journal is open.
    EXPECT_EQ(expected, ReadBytes(plain_).value_or("<unreadable>"));
    EXPECT_FALSE(fs::exists(cipher_));

    journal.close();
    EXPECT_FALSE(journal.isOpen());
    EXPECT_FALSE(fs::exists(plain_));
    // The companion is AES-128-CBC with PKCS #7 padding of the whole plain file, nothing else.
    EXPECT_EQ(Encrypt(expected), ReadBytes(cipher_).value_or("<missing>"));
    EXPECT_EQ(expected, Decrypted());
}

TEST_F(InstallJournalTest, AppendsToAnUnfinishedPlainJournal) {
    WriteBytes(plain_, "F C:\\left\\by\\an\\earlier\\run\r\n");
    InstallJournal journal;
    journal.open(plain_);
    journal.recordFile(L"C:\\new");
    journal.close();
    EXPECT_EQ("F C:\\left\\by\\an\\earlier\\run\r\nF C:\\new\r\n", Decrypted());
}

TEST_F(InstallJournalTest, EmptyJournalEncryptsToOnePaddingBlock) {
    InstallJournal journal;
    journal.open(plain_);
    journal.close();
    EXPECT_EQ(16u, ReadBytes(cipher_).value_or("").size());
    EXPECT_EQ("", Decrypted());
}

// No run discards the records of another: a second install run into the same folder in
// the same process (a start after a failed run) carries the first run's records forward.
TEST_F(InstallJournalTest, SecondOpenFinishesTheFirstAndCarriesItsRecordsForward) {
    InstallJournal journal;
    journal.open(plain_);
    journal.recordFile(L"C:\\first");
    journal.open(plain_);
    EXPECT_EQ("F C:\\first\r\n", Decrypted());
    EXPECT_EQ("", ReadBytes(plain_).value_or("<missing>"));  // the new plain journal starts empty
    journal.recordFile(L"C:\\second");
    journal.close();
    EXPECT_EQ("F C:\\first\r\nF C:\\second\r\n", Decrypted());
}

// Finishing encrypts what there is and removes the plain file, and the journal goes on:
// a record after it starts a new plain file, merged in by the next finish, the close or
// a later process's journal at the same path.
TEST_F(InstallJournalTest, AFinishedJournalStaysUsableAndLosesNothing) {
    InstallJournal journal;
    journal.open(plain_);
    EXPECT_TRUE(journal.recordFile(L"C:\\a"));
    journal.finish();
    EXPECT_TRUE(journal.isOpen());
    EXPECT_FALSE(fs::exists(plain_));
    EXPECT_EQ("F C:\\a\r\n", Decrypted());

    EXPECT_TRUE(journal.recordFile(L"C:\\b"));
    EXPECT_EQ("F C:\\b\r\n", ReadBytes(plain_).value_or("<missing>"));
    journal.finish();
    EXPECT_FALSE(fs::exists(plain_));
    EXPECT_EQ("F C:\\a\r\nF C:\\b\r\n", Decrypted());
    journal.finish();  // nothing new: nothing changes
    journal.close();
    EXPECT_EQ("F C:\\a\r\nF C:\\b\r\n", Decrypted());

    InstallJournal later;  // another process, later, at the same path
    later.open(plain_);
    later.recordFile(L"C:\\c");
    later.close();
    EXPECT_EQ("F C:\\a\r\nF C:\\b\r\nF C:\\c\r\n", Decrypted());
}

// A setup ended before it finished its journal (killed, logged off mid-run) leaves the
// plain journal beside an older encrypted one, its last line perhaps cut short.
TEST_F(InstallJournalTest, APlainJournalLeftByAnEndedProcessIsMergedWithoutItsCutLine) {
    WriteBytes(cipher_, Encrypt("F C:\\a\r\nF C:\\b\r\n"));
    WriteBytes(plain_, "F C:\\b\r\nF C:\\c\r\nF C:\\d-cut");
    InstallJournal journal;
    journal.open(plain_);
    EXPECT_TRUE(journal.recordFile(L"C:\\e"));
    EXPECT_EQ("F C:\\b\r\nF C:\\c\r\nF C:\\e\r\n", ReadBytes(plain_).value_or("<missing>"));
    journal.close();
    EXPECT_EQ("F C:\\a\r\nF C:\\b\r\nF C:\\c\r\nF C:\\e\r\n", Decrypted());
    EXPECT_FALSE(fs::exists(cipher_ + L".new"));
}

TEST_F(InstallJournalTest, DestructionClosesAndEncrypts) {
    {
        InstallJournal journal;
        journal.open(plain_);
        journal.recordFolder(L"C:\\A");
    }
    EXPECT_FALSE(fs::exists(plain_));
    EXPECT_EQ("D C:\\A\r\n", Decrypted());
}

TEST_F(InstallJournalTest, OpenInAMissingFolderLeavesAClosedJournalAndNoFile) {
    const std::wstring missing = folder_ + L"\\gone\\uninstall";
    InstallJournal journal;
    journal.open(missing);
    EXPECT_FALSE(journal.isOpen());
    EXPECT_FALSE(journal.recordFolder(L"C:\\A"));
    EXPECT_FALSE(journal.recordFile(L"C:\\A\\b"));
    EXPECT_FALSE(journal.recordValue(HKEY_CURRENT_USER, L"K", L"V"));
    EXPECT_FALSE(journal.recordKey(HKEY_CURRENT_USER, L"K"));
    journal.close();
    EXPECT_FALSE(fs::exists(folder_ + L"\\gone"));
    EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(InstallJournalTest, ACloseWithoutOpenDoesNothing) {
    WriteBytes(cipher_, "older");
    InstallJournal journal;
    journal.recordFile(L"C:\\x");
    journal.close();
    journal.close();
    EXPECT_EQ("older", ReadBytes(cipher_));
}

TEST_F(InstallJournalTest, CloseWithThePlainFileGoneWritesNothing) {
    WriteBytes(cipher_, "older");
    InstallJournal journal;
    journal.open(plain_);
    journal.recordFile(L"C:\\x");
    const std::wstring moved = folder_ + L"\\moved";
    ASSERT_TRUE(::MoveFileW(plain_.c_str(), moved.c_str()));  // allowed by the delete sharing
    journal.close();
    EXPECT_FALSE(journal.isOpen());
    EXPECT_FALSE(fs::exists(plain_));
    EXPECT_EQ("older", ReadBytes(cipher_));
    EXPECT_EQ("F C:\\x\r\n", ReadBytes(moved));  // the delete goes by name only
}

// Obstacles that stop the encrypted file from being written. (A read-only file is no
// obstacle under Wine run as root, so a file held open without sharing stands in for it:
// the same refusal at open time, as from a scanner or a running uninstaller.)
struct Obstacle {
    const char* name;
    UniqueHandle (*place)(const std::wstring& cipher);  // the handle is held during close
};

const Obstacle kObstacles[] = {
    {"folder",
     [](const std::wstring& c) {
         fs::create_directory(c);
         return UniqueHandle();
     }},
    {"file held without sharing",
     [](const std::wstring& c) {
         WriteBytes(c, "older");
         return UniqueHandle(::CreateFileW(c.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
     }},
};

TEST_F(InstallJournalTest, AnEncryptedFileThatCannotBeWrittenKeepsThePlainJournal) {
    for (const Obstacle& obstacle : kObstacles) {
        SCOPED_TRACE(obstacle.name);
        UniqueHandle held = obstacle.place(cipher_);
        InstallJournal journal;
        journal.open(plain_);
        journal.recordFile(L"C:\\kept");
        journal.close();
        EXPECT_FALSE(journal.isOpen());
        EXPECT_EQ("F C:\\kept\r\n", ReadBytes(plain_).value_or("<lost>"));
        held.reset();
        if (fs::is_regular_file(cipher_)) {
            EXPECT_EQ("older", ReadBytes(cipher_));
        }

        // Once the obstacle has gone, the next run appends and its close encrypts both.
        fs::remove(cipher_);
        journal.open(plain_);
        journal.recordFile(L"C:\\next");
        journal.close();
        EXPECT_FALSE(fs::exists(plain_));
        EXPECT_EQ("F C:\\kept\r\nF C:\\next\r\n", Decrypted());
        fs::remove(cipher_);
    }
}

TEST_F(InstallJournalTest, FolderChainRecordsEachNewLevelOutermostFirst) {
    InstallJournal journal;
    journal.open(plain_);
    ASSERT_TRUE(fs::create_directory(folder_ + L"\\old"));
    ASSERT_TRUE(CreateFolderChain(folder_ + L"\\old\\A\\B", &journal));
    // From the drive root down: the root itself and the levels that exist are not recorded.
    const std::wstring top = L"C:\\journal-chain-" + std::to_wstring(::GetCurrentProcessId());
    ASSERT_TRUE(CreateFolderChain(top + L"\\\u90ae\u7bb1", &journal));
    journal.close();
    std::error_code ignored;
    fs::remove_all(top, ignored);

    EXPECT_EQ("D " + Utf8(folder_) + "\\old\\A\r\n"
              "D " + Utf8(folder_) + "\\old\\A\\B\r\n"
              "D " + Utf8(top) + "\r\n"
              "D " + Utf8(top) + "\\\xe9\x82\xae\xe7\xae\xb1\r\n",
              Decrypted());
}

TEST(JournalDecrypt, RejectsWrongLengthsAndBadPadding) {
    const JournalKeyPair secret = JournalKeyMaterial();
    const auto rawBlock = [&](std::string block) {  // encrypted without padding
        CryptoPP::CBC_Mode<CryptoPP::AES>::Encryption encryption(secret.key.data(), 16, secret.iv.data());
        std::string cipher;
        CryptoPP::StringSource(block, true, new CryptoPP::StreamTransformationFilter(
            encryption, new CryptoPP::StringSink(cipher), CryptoPP::BlockPaddingSchemeDef::NO_PADDING));
        return cipher;
    };
    const std::string badBlocks[] = {
        std::string(15, 'a') + '\0',           // padding length 0
        std::string(15, 'a') + '\x11',         // longer than a block
        std::string(14, 'a') + "\x01\x02",     // bytes that disagree
    };
    std::string plain = "untouched";
    for (const std::string& block : badBlocks) EXPECT_FALSE(DecryptJournalBytes(rawBlock(block), plain));
    EXPECT_FALSE(DecryptJournalBytes("", plain));
    EXPECT_FALSE(DecryptJournalBytes(std::string(15, 'x'), plain));
    EXPECT_FALSE(DecryptJournalBytes(std::string(17, 'x'), plain));
    EXPECT_FALSE(DecryptJournalFile(L"C:\\no\\such\\journalE", plain));
    EXPECT_EQ("untouched", plain);

    ASSERT_TRUE(DecryptJournalBytes(rawBlock(std::string(14, 'a') + "\x02\x02"), plain));
    EXPECT_EQ(std::string(14, 'a'), plain);
}

// Journals written by every earlier setup must still be read: these cipher texts were
// made by an independent AES-128-CBC (OpenSSL's) under the journal's key and IV.
TEST(JournalCipher, KnownAnswersInBothDirections) {
    const auto hex = [](std::string_view digits) {
        std::string bytes;
        for (size_t i = 0; i + 1 < digits.size(); i += 2)
            bytes += static_cast<char>(std::stoi(std::string(digits.substr(i, 2)), nullptr, 16));
        return bytes;
    };
    const struct {
        std::string plain;
        std::string_view cipher;
    } cases[] = {
        {"", "fef547e1a78d03924d9cb88510a8d927"},
        {"0123456789abcdef", "a54ad1554e33792bcfba56f13bf291167615b7f9bef8931fab31f7598a3826b6"},
        {"F C:\\Program Files\\VexmoraZevlo\\\xe9\x82\xae\xe7\xae\xb1.exe\r\nD C:\\Program Files\\VexmoraZevlo\r\n",
         "a06873ac14f7e2ea383359bc897cd6ef9296720adc847c9d679af7a572ae795e7073a334c030c5be48a3c89f23d5564c"
         "4342ce8af628e0933cfc80cb42565ba6070a973a5956213c55e897ae6c6efff4"},
    };
    for (const auto& c : cases) {
        std::string cipher, plain;
        ASSERT_TRUE(EncryptJournalBytes(c.plain, cipher));
        EXPECT_EQ(hex(c.cipher), cipher) << c.cipher;
        ASSERT_TRUE(DecryptJournalBytes(hex(c.cipher), plain));
        EXPECT_EQ(c.plain, plain);
    }
}

// Every journal already on users' machines was written under this key and IV: a change
// to either, to the cipher, the padding or the record's bytes makes them unreadable. The
// cipher text was made outside this code (openssl enc -aes-128-cbc -K <key> -iv <iv>).
TEST(JournalKnownAnswer, AFixedRecordEncryptsToThePinnedCipherText) {
    const std::array<std::uint8_t, 16> kKey = {0xab, 0x74, 0xd2, 0xda, 0x3a, 0xa0, 0x28, 0x71,
                                               0x77, 0xcf, 0xe0, 0x88, 0x26, 0x33, 0xd5, 0x31};
    const std::array<std::uint8_t, 16> kIv = {0x93, 0xcd, 0xc9, 0xdb, 0x14, 0xd5, 0xab, 0x9b,
                                              0xaf, 0x95, 0xf3, 0x53, 0xd7, 0x4f, 0x5c, 0x3a};
    const std::string record = journal::FolderRecord(L"C:\\Program Files\\VexmoraZevlo\u90ae\u7bb1");
    const std::string kCipherHex =
        "c07986c374ffc8ebdce068cd536b9065148a082e2dd89d195edf6f4fd53a2253"
        "2be4069516e8e067c87cb0d1d6168c55";
    std::string pinned;
    for (std::size_t at = 0; at < kCipherHex.size(); at += 2)
        pinned += static_cast<char>(std::stoi(kCipherHex.substr(at, 2), nullptr, 16));

    const JournalKeyPair secret = JournalKeyMaterial();
    EXPECT_EQ(kKey, secret.key);
    EXPECT_EQ(kIv, secret.iv);
    std::string cipher;
    ASSERT_TRUE(EncryptJournalBytes(record, cipher));
    EXPECT_EQ(pinned, cipher);
    std::string plain;
    ASSERT_TRUE(DecryptJournalBytes(pinned, plain));
    EXPECT_EQ("D C:\\Program Files\\VexmoraZevlo\xe9\x82\xae\xe7\xae\xb1\r\n", plain);
}

}  // namespace

// Registry writes of the registration against the real registry of the test prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include "engine/RegistryWrite.h"
#include "registration_fixture.h"

namespace {

struct StoredValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    std::wstring data;
};

StoredValue Query(const std::wstring& key, const wchar_t* name) {
    StoredValue value;
    UniqueHKey handle;
    value.status = ::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, handle.put());
    if (value.status != ERROR_SUCCESS) return value;
    wchar_t buffer[512] = {};
    value.bytes = sizeof buffer;
    value.status = ::RegQueryValueExW(handle.get(), name, nullptr, &value.type, reinterpret_cast<BYTE*>(buffer),
                                      &value.bytes);
    value.data = buffer;
    return value;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    UniqueHKey handle;
    return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
}

class RegistryWriteTest : public testing::Test {
protected:
    void SetUp() override { journal_.open(folder_ / L"uninstall"); }
    void TearDown() override { journal_.close(); }
    TempFolder folder_;
    TempKey key_;
    InstallJournal journal_;
};

}  // namespace

TEST_F(RegistryWriteTest, SetRegStringStoresRegSzWithItsNulCreatingMissingKeys) {
    const std::wstring key = key_.path() + L"\\Uninstall\\Quillwire-Vexmora\u4e13\u7528\u7248";
    const std::wstring data = L"D:\\Program Files\\VexmoraZevlo\u90ae\u7bb1\\Start.exe";
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, key, L"DisplayIcon", data, &journal_));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, key, L"DisplayVersion", L"", &journal_));

    const StoredValue icon = Query(key, L"DisplayIcon");
    EXPECT_EQ(ERROR_SUCCESS, icon.status);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), icon.type);
    EXPECT_EQ(2 * (data.size() + 1), icon.bytes);
    EXPECT_EQ(data, icon.data);
    const StoredValue version = Query(key, L"DisplayVersion");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), version.type);
    EXPECT_EQ(2u, version.bytes);
    EXPECT_EQ((std::vector<std::string>{"R 2147483649 " + Utf8(key) + "\\DisplayIcon",
                                        "R 2147483649 " + Utf8(key) + "\\DisplayVersion"}),
              PlainJournalLines(journal_));
}

TEST_F(RegistryWriteTest, SetRegStringOverwritesAndWorksWithoutJournal) {
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, key_.path(), L"Vexmora-PC", L"old", nullptr));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, key_.path(), L"Vexmora-PC", L"\"C:\\a b\\Start.exe\"", nullptr));
    EXPECT_EQ(L"\"C:\\a b\\Start.exe\"", Query(key_.path(), L"Vexmora-PC").data);
    EXPECT_TRUE(PlainJournalLines(journal_).empty());
}

TEST_F(RegistryWriteTest, RefusedWriteReturnsFalseAndIsNotJournalled) {
    // The registry refuses a lasting key under a volatile one.
    const std::wstring volatileKey = key_.path() + L"\\Volatile";
    UniqueHKey created;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, volatileKey.c_str(), 0, nullptr,
                                               REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, created.put(), nullptr));
    EXPECT_FALSE(SetRegString(HKEY_CURRENT_USER, volatileKey + L"\\Sub", L"SoftwarePath", L"D:\\x", &journal_));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, volatileKey + L"\\Sub"));
    // The key opens, the value is refused: a name far beyond the registry's limit.
    EXPECT_FALSE(SetRegString(HKEY_CURRENT_USER, key_.path(), std::wstring(20000, L'n'), L"x", &journal_));
    EXPECT_TRUE(PlainJournalLines(journal_).empty());
}

TEST_F(RegistryWriteTest, SetRegDwordStoresFourBytesAndJournalsLikeAString) {
    const std::wstring key = key_.path() + L"\\Uninstall\\Quillwire-Vexmora\u4e13\u7528\u7248";
    ASSERT_TRUE(SetRegDword(HKEY_CURRENT_USER, key, L"EstimatedSize", 0x12345678, &journal_));
    ASSERT_TRUE(SetRegDword(HKEY_CURRENT_USER, key, L"NoModify", 1, nullptr));
    UniqueHKey handle;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, handle.put()));
    for (const auto& [name, expected] : {std::pair<const wchar_t*, DWORD>{L"EstimatedSize", 0x12345678},
                                         std::pair<const wchar_t*, DWORD>{L"NoModify", 1}}) {
        DWORD type = REG_NONE, data = 0, bytes = 8;
        ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(handle.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                                                    &bytes));
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        EXPECT_EQ(4u, bytes);
        EXPECT_EQ(expected, data);
    }
    EXPECT_EQ(std::vector<std::string>{"R 2147483649 " + Utf8(key) + "\\EstimatedSize"}, PlainJournalLines(journal_));
    // Refused like a string: nothing is journalled.
    EXPECT_FALSE(SetRegDword(HKEY_CURRENT_USER, key_.path(), std::wstring(20000, L'n'), 1, &journal_));
    EXPECT_EQ(1u, PlainJournalLines(journal_).size());
}

TEST_F(RegistryWriteTest, DeleteRegValueDeletesOnlyAnExistingValueAndKeepsTheKey) {
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, key_.path(), L"Vexmora-PC", L"C:\\Start.exe", nullptr));
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, key_.path(), L"Vexmora-PC"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Query(key_.path(), L"Vexmora-PC").status);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, key_.path()));  // empty now, but kept
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, key_.path(), L"Vexmora-PC"));
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, key_.path() + L"\\Missing", L"Vexmora-PC"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key_.path() + L"\\Missing"));
}

TEST_F(RegistryWriteTest, RecordRegKeyOnlyJournals) {
    const std::wstring key = key_.path() + L"\\App Paths\\QuillwireVexmora.exe";
    RecordRegKey(HKEY_LOCAL_MACHINE, key, &journal_);
    RecordRegKey(HKEY_LOCAL_MACHINE, key, nullptr);
    EXPECT_EQ(std::vector<std::string>{"r 2147483650 " + Utf8(key)}, PlainJournalLines(journal_));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
}

#include <gtest/gtest.h>

#include <string>

#include "engine/RegistryRead.h"
#include "scratch.h"

namespace {

struct StoredValue {
    const wchar_t* name;
    DWORD type;
    std::wstring data;  // stored byte for byte, as UTF-16 code units
    bool result;
    const wchar_t* text;  // what a successful read yields
};

// Data is stored exactly as given: "\0" where a terminator is wanted.
const StoredValue kValues[] = {
    {L"plain", REG_SZ, std::wstring(L"E:\\Apps\\Mail\0", 13), true, L"E:\\Apps\\Mail"},
    {L"chinese", REG_SZ, std::wstring(L"D:\\邮箱\0", 6), true, L"D:\\邮箱"},
    {L"empty", REG_SZ, std::wstring(L"\0", 1), true, L""},
    {L"no terminator", REG_SZ, L"abc", true, L"abc"},
    {L"embedded NUL", REG_SZ, std::wstring(L"ab\0cd\0", 6), true, L"ab"},
    {L"expandable", REG_EXPAND_SZ, std::wstring(L"%TEMP%\\x\0", 9), false, nullptr},
    {L"multi", REG_MULTI_SZ, std::wstring(L"a\0b\0\0", 5), false, nullptr},
    {L"number", REG_DWORD, std::wstring(L"\x0001\x0000", 2), false, nullptr},
    {L"bytes", REG_BINARY, L"ab", false, nullptr},
};

}  // namespace

// A failed read must leave the caller's text alone: callers keep a default in it.
TEST(ReadRegistryString, ReadsOnlyStringValuesAndLeavesTheOutTextAloneOtherwise) {
    ScratchKey key(L"ReadRegistryString");
    for (const StoredValue& v : kValues) {
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key.get(), v.name, 0, v.type,
                                                  reinterpret_cast<const BYTE*>(v.data.data()),
                                                  static_cast<DWORD>(v.data.size() * sizeof(wchar_t))));
    }
    for (const StoredValue& v : kValues) {
        CUIString out(L"untouched");
        EXPECT_EQ(v.result, ReadRegistryString(HKEY_CURRENT_USER, key.path().c_str(), v.name, out))
            << U8(v.name);
        EXPECT_EQ(v.result ? std::wstring(v.text) : std::wstring(L"untouched"), out) << U8(v.name);
    }
}

TEST(ReadRegistryString, FailsOnAMissingKeyOrValue) {
    ScratchKey key(L"ReadRegistryMissing");
    CUIString out(L"untouched");
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, key.path().c_str(), L"absent", out));
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, (key.path() + L"\\absent").c_str(), L"plain", out));
    EXPECT_EQ(L"untouched", out);
}

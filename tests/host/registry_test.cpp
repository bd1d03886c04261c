#include "host/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Raw view of a stored value, bypassing ReadRegString.
struct StoredValue {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

StoredValue QueryStored(HKEY root, const wchar_t *subkey, const wchar_t *name) {
    StoredValue stored;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return stored;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        stored.bytes.resize(size);
        stored.found = RegQueryValueExW(key, name, nullptr, &stored.type, stored.bytes.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return stored;
}

std::vector<BYTE> TextWithNul(const wchar_t *text) {
    const BYTE *first = reinterpret_cast<const BYTE *>(text);
    return std::vector<BYTE>(first, first + (wcslen(text) + 1) * sizeof(wchar_t));
}

bool KeyExists(HKEY root, const wchar_t *subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The updater's key, removed before and after so that its creation is exercised.
class UpdaterKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        qyxExisted_ = KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QYX");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QYX\\Tessaly Series");
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QYX\\Tessaly Series");
        if (!qyxExisted_) RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QYX");
    }
    bool qyxExisted_ = false;
};

TEST_F(UpdaterKeyTest, WriteCreatesMissingKeyWithParentsAndStoresNulTerminatedText) {
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUpdaterKey));

    WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Tool Version", L"1.0.0.23");
    WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Msg", L"");

    StoredValue version = QueryStored(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Tool Version");
    ASSERT_TRUE(version.found);
    EXPECT_EQ(DWORD(REG_SZ), version.type);
    EXPECT_EQ(TextWithNul(L"1.0.0.23"), version.bytes);  // 2 x (8 + 1) bytes

    StoredValue empty = QueryStored(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Msg");
    ASSERT_TRUE(empty.found);
    EXPECT_EQ(DWORD(REG_SZ), empty.type);
    EXPECT_EQ(std::vector<BYTE>(2, 0), empty.bytes);

    EXPECT_EQ(CString(L"1.0.0.23"),
              ReadRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Tool Version", L"default", KEY_QUERY_VALUE));

    // A second write goes through the existing key and replaces the value.
    WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Tool Version", L"1.0.0.24");
    EXPECT_EQ(TextWithNul(L"1.0.0.24"), QueryStored(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Tool Version").bytes);
}

// Values for the read cases live under a key of their own, removed afterwards.
class RegistryReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyPath_ = L"SOFTWARE\\VantorHostTest\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(GetTickCount());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath_.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key_, nullptr));
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, keyPath_.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VantorHostTest");  // only when now empty
    }
    void Store(const wchar_t *name, DWORD type, const void *data, size_t bytes) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key_, name, 0, type, static_cast<const BYTE *>(data), static_cast<DWORD>(bytes)));
    }
    CString Read(const wchar_t *name, REGSAM access = KEY_QUERY_VALUE) {
        return ReadRegString(HKEY_LOCAL_MACHINE, keyPath_.c_str(), name, L"fallback", access);
    }

    std::wstring keyPath_;
    HKEY key_ = nullptr;
};

TEST_F(RegistryReadTest, MissingKeyValueOrAccessGivesDefault) {
    const std::wstring missingKey = keyPath_ + L"\\Absent";
    EXPECT_EQ(CString(L"fallback"),
              ReadRegString(HKEY_LOCAL_MACHINE, missingKey.c_str(), L"WorkDir", L"fallback", KEY_QUERY_VALUE));
    EXPECT_EQ(CString(L"fallback"), Read(L"WorkDir"));
    EXPECT_EQ(CString(), ReadRegString(HKEY_LOCAL_MACHINE, missingKey.c_str(), L"WorkDir", L"", KEY_QUERY_VALUE));

    const std::vector<BYTE> text = TextWithNul(L"C:\\Lighting");
    Store(L"WorkDir", REG_SZ, text.data(), text.size());
    EXPECT_EQ(CString(L"C:\\Lighting"), Read(L"WorkDir"));
    // Opened with a mask that does not allow queries: the read is denied.
    EXPECT_EQ(CString(L"fallback"), Read(L"WorkDir", KEY_SET_VALUE));
}

TEST_F(RegistryReadTest, DataLimitIsCountedInBytes) {
    // 2499 characters and the NUL: 5000 bytes, fits.
    const std::wstring fits(2499, L'x');
    Store(L"Fits", REG_SZ, fits.c_str(), (fits.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(CString(fits.c_str()), Read(L"Fits"));

    // 2500 characters and the NUL: 5002 bytes, one too many although far below 5001 characters.
    const std::wstring tooLong(2500, L'y');
    Store(L"TooLong", REG_SZ, tooLong.c_str(), (tooLong.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(CString(L"fallback"), Read(L"TooLong"));

    // Exactly 5001 bytes without a NUL: 2500 characters, the odd last byte dropped.
    std::vector<BYTE> odd(5001);
    for (size_t i = 0; i < odd.size(); ++i) odd[i] = (i % 2 == 0) ? 'z' : 0;
    odd.back() = 'q';
    Store(L"OddLength", REG_BINARY, odd.data(), odd.size());
    EXPECT_EQ(CString(std::wstring(2500, L'z').c_str()), Read(L"OddLength"));
}

TEST_F(RegistryReadTest, OtherValueTypesReadAsCharactersUpToFirstNul) {
    const BYTE binary[] = {'A', 0, 'B', 0, 0, 0, 'C', 0};
    Store(L"Binary", REG_BINARY, binary, sizeof binary);
    EXPECT_EQ(CString(L"AB"), Read(L"Binary"));

    const DWORD number = 0x00420041;  // "AB" with no NUL at all
    Store(L"Number", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(CString(L"AB"), Read(L"Number"));

    const wchar_t multi[] = L"first\0second\0";
    Store(L"Multi", REG_MULTI_SZ, multi, sizeof multi);
    EXPECT_EQ(CString(L"first"), Read(L"Multi"));

    Store(L"Empty", REG_BINARY, nullptr, 0);
    EXPECT_EQ(CString(), Read(L"Empty"));
}

}  // namespace

#include "tests/e2e_support/registry_values.h"

namespace e2e {

namespace {

// The view the program under test writes: its own bits, as this test program's.
#ifdef _WIN64
constexpr REGSAM kView = KEY_WOW64_64KEY;
#else
constexpr REGSAM kView = KEY_WOW64_32KEY;
#endif

bool SetWorkDir(const wchar_t *subkey, const std::wstring &dir) {
    if (dir.empty()) return DeleteRegValue(subkey, kWorkDirValue);
    return WriteRegText(subkey, kWorkDirValue, dir);
}

}  // namespace

std::wstring RegValue::Text() const {
    std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), data.size() / sizeof(wchar_t));
    size_t end = text.find(L'\0');
    return end == std::wstring::npos ? text : text.substr(0, end);
}

bool ReadRegValue(const std::wstring &subkey, const std::wstring &name, RegValue *value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &value->type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value->data.assign(size, 0);
        result = RegQueryValueExW(key, name.c_str(), nullptr, &value->type, value->data.data(), &size);
        value->data.resize(size);
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::map<std::wstring, RegValue> ReadRegValues(const std::wstring &subkey) {
    std::map<std::wstring, RegValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_READ | kView, &key) != ERROR_SUCCESS) return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        RegValue value;
        if (ReadRegValue(subkey, std::wstring(name, nameLength), &value)) values[std::wstring(name, nameLength)] = value;
    }
    RegCloseKey(key);
    return values;
}

bool WriteRegRaw(const std::wstring &subkey, const std::wstring &name, DWORD type, const std::vector<BYTE> &data) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | kView, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool WriteRegText(const std::wstring &subkey, const std::wstring &name, const std::wstring &text) {
    const BYTE *bytes = reinterpret_cast<const BYTE *>(text.c_str());
    return WriteRegRaw(subkey, name, REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t)));
}

bool DeleteRegValue(const std::wstring &subkey, const std::wstring &name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_SET_VALUE | kView, &key) != ERROR_SUCCESS) return true;
    LONG result = RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool DeleteRegKey(const std::wstring &subkey) {
    LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, subkey.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, subkey.c_str());
        return true;
    }
    return false;
}

bool SetLightingWorkDir(const std::wstring &dir) { return SetWorkDir(kLightingKey, dir); }

bool SetCompanionWorkDir(const std::wstring &dir) { return SetWorkDir(kCompanionKey, dir); }

bool ClearProgramRegistry() {
    return ClearLedValues() && SetLightingWorkDir(std::wstring()) && SetCompanionWorkDir(std::wstring());
}

}  // namespace e2e

// The registry as the program sees it (HKEY_LOCAL_MACHINE, in the view of the program's bits):
// the values it writes under its own key, and the "WorkDir" values of the lighting software it reads.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

constexpr wchar_t kLedKey[] = L"SOFTWARE\\QYX\\Tessaly Series\\LED";
constexpr wchar_t kLightingKey[] = L"SOFTWARE\\QYX\\Halcyra2";
constexpr wchar_t kCompanionKey[] = L"SOFTWARE\\QYX\\Korvex";
constexpr wchar_t kWorkDirValue[] = L"WorkDir";

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;  // as stored, terminating NUL included
    std::wstring Text() const;  // the data read as UTF-16 up to the first NUL
};

// False when the key or the value does not exist.
bool ReadRegValue(const std::wstring &subkey, const std::wstring &name, RegValue *value);
// Every value of a key by name; empty when the key does not exist.
std::map<std::wstring, RegValue> ReadRegValues(const std::wstring &subkey);
bool WriteRegText(const std::wstring &subkey, const std::wstring &name, const std::wstring &text);
bool WriteRegRaw(const std::wstring &subkey, const std::wstring &name, DWORD type, const std::vector<BYTE> &data);
bool DeleteRegValue(const std::wstring &subkey, const std::wstring &name);
// Deletes the key with everything under it; true also when it did not exist.
bool DeleteRegKey(const std::wstring &subkey);

// The program's own values under kLedKey ("Tool Version", "LED Version", "Loder Version", "Msg").
inline std::map<std::wstring, RegValue> ReadLedValues() { return ReadRegValues(kLedKey); }
inline bool ClearLedValues() { return DeleteRegKey(kLedKey); }

// The lighting software's "WorkDir" values; empty text deletes the value.
bool SetLightingWorkDir(const std::wstring &dir);
bool SetCompanionWorkDir(const std::wstring &dir);
// A clean start for a test: no values of the program and no "WorkDir" values.
bool ClearProgramRegistry();

}  // namespace e2e

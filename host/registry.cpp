#include "host/registry.h"

const wchar_t *const kUpdaterKey = L"SOFTWARE\\QYX\\Tessaly Series\\LED";

namespace {
constexpr DWORD kValueBufferChars = 5001;
// The query is told the buffer holds this many bytes, half its real size.
constexpr DWORD kValueQueryBytes = 5001;
}  // namespace

CString ReadRegString(HKEY root, CString subkey, CString valueName, CString defaultText, REGSAM access) {
    CString result = defaultText;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey, 0, access, &key) != ERROR_SUCCESS) return result;

    wchar_t buffer[kValueBufferChars] = {};
    DWORD size = kValueQueryBytes;
    if (RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size) ==
        ERROR_SUCCESS) {
        // Whatever the value's type, its bytes are taken as wide characters; an odd last byte is dropped.
        int length = 0;
        const int available = static_cast<int>(size / sizeof(wchar_t));
        while (length < available && buffer[length] != L'\0') ++length;
        result = CString(buffer, length);
    }
    RegCloseKey(key);
    return result;
}

void WriteRegString(HKEY root, CString subkey, CString valueName, CString text) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        wchar_t emptyClass[] = L"";
        if (RegCreateKeyExW(root, subkey, 0, emptyClass, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return;
    }
    // REG_SZ with its terminating NUL counted.
    const DWORD dataBytes = static_cast<DWORD>((text.GetLength() + 1) * sizeof(wchar_t));
    RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.GetString()), dataBytes);
    RegCloseKey(key);
}

// Reads the board as the start-up does and prints what it found and which DLL served the
// WMI locator: run from a folder with the wbemprox.dll stand-in beside it, it shows that
// the stand-in reaches the program through COM.
#include <windows.h>
#include <wbemidl.h>

#include <cstdio>
#include <string>

#include "app/globals.h"
#include "board/smbios.h"

namespace {

std::string Narrow(const wchar_t *text) {
    std::string narrow;
    for (; *text; ++text) narrow += *text < 0x80 ? static_cast<char>(*text) : '?';
    return narrow;
}

// The file of the module whose code implements the locator object.
std::string LocatorProvider() {
    if (FAILED(CoInitialize(nullptr))) return "(no COM)";
    std::string provider = "(none)";
    IWbemLocator *locator = nullptr;
    HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                      reinterpret_cast<void **>(&locator));
    if (SUCCEEDED(result) && locator) {
        HMODULE module = nullptr;
        wchar_t path[MAX_PATH] = {};
        const void *code = *reinterpret_cast<void **>(locator);  // its function table
        if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               static_cast<LPCWSTR>(code), &module) &&
            GetModuleFileNameW(module, path, MAX_PATH))
            provider = Narrow(path);
        locator->Release();
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "(failed 0x%08lX)", static_cast<unsigned long>(result));
        provider = text;
    }
    CoUninitialize();
    return provider;
}

}  // namespace

int main() {
    const BOOL read = ReadSmbiosTable();
    BaseboardInfo baseboard = {};
    ReadBaseboardInfo(baseboard);
    const int code = GetBoardCode(CString(baseboard.productText));
    const int revision = _wtoi(CString(baseboard.versionText));

    std::printf("provider=%s\n", LocatorProvider().c_str());
    std::printf("read=%d code=0x%X revision=%d product=%s\n", read, static_cast<unsigned>(code), revision,
                baseboard.productText ? baseboard.productText : "");
    return 0;
}

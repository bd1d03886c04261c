#include "host/tool_version.h"

#include <algorithm>
#include <vector>

#include "app/globals.h"

namespace {
constexpr DWORD kVersionBlockBytes = 16384;
}  // namespace

BOOL GetToolVersion() {
    wchar_t programPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, programPath, MAX_PATH);

    DWORD unusedHandle = 0;
    const DWORD infoSize = GetFileVersionInfoSizeW(programPath, &unusedHandle);
    if (infoSize == 0) return FALSE;

    std::vector<BYTE> block(kVersionBlockBytes, 0);
    if (!GetFileVersionInfoW(programPath, 0, std::min(infoSize, kVersionBlockBytes), block.data())) return FALSE;

    VS_FIXEDFILEINFO *fixedInfo = nullptr;
    UINT fixedInfoLength = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void **>(&fixedInfo), &fixedInfoLength) || !fixedInfo)
        return FALSE;

    g_toolVersion.Format(L"%d.%d.%d.%d", HIWORD(fixedInfo->dwFileVersionMS), LOWORD(fixedInfo->dwFileVersionMS),
                         HIWORD(fixedInfo->dwFileVersionLS), LOWORD(fixedInfo->dwFileVersionLS));
    return TRUE;
}

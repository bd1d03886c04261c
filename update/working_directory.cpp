#include "update/working_directory.h"

#include <windows.h>

namespace {
constexpr wchar_t kExecutableName[] = L"Update_Vantor.exe";
constexpr DWORD kModulePathCapacity = 256;
}  // namespace

CString EnterProgramDirectory() {
    wchar_t path[kModulePathCapacity] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(kExecutableName), path, kModulePathCapacity);
    path[kModulePathCapacity - 1] = L'\0';  // a longer path is cut here, never left unterminated

    CString directory(path);
    directory.Replace(kExecutableName, L"");
    ::SetCurrentDirectoryW(directory);
    return directory;
}

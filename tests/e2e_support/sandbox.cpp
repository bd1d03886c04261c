#include "tests/e2e_support/sandbox.h"

#include <windows.h>

namespace e2e {

std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

std::wstring ArtifactDir() {
    std::wstring bin = BinDir();
    std::wstring dir = bin.substr(0, bin.find_last_of(L'\\')) + L"\\e2e-artifacts";
    MakeDirectories(dir);
    return dir;
}

bool RemoveTree(const std::wstring &dir) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
    return GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectories(const std::wstring &dir) {
    if (GetFileAttributesW(dir.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    size_t slash = dir.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2) MakeDirectories(dir.substr(0, slash));
    return CreateDirectoryW(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

Sandbox::Sandbox(const std::wstring &name, const std::vector<std::wstring> &binFiles, ProgramFile program,
                 const std::wstring &root)
    : dir_(root + L"\\" + name) {
    // The test variant goes in under the program's name here, and only here.
    const wchar_t *programSource = program == ProgramFile::kTestVariant ? kTestVariantFileName : kProgramName;
    ok_ = RemoveTree(dir_) && MakeDirectories(dir_) && CopyFromBin(programSource, kProgramName);
    for (const std::wstring &file : binFiles) ok_ = CopyFromBin(file) && ok_;
}

std::wstring Sandbox::PathOf(const std::wstring &fileName) const { return dir_ + L"\\" + fileName; }

bool Sandbox::CopyFromBin(const std::wstring &fileName, const std::wstring &targetName) const {
    std::wstring source = BinDir() + L"\\" + fileName;
    std::wstring target = PathOf(targetName.empty() ? fileName : targetName);
    return CopyFileW(source.c_str(), target.c_str(), FALSE) != 0;
}

bool Sandbox::WriteFile(const std::wstring &fileName, const std::vector<uint8_t> &bytes) const {
    HANDLE file = CreateFileW(PathOf(fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL wrote = bytes.empty() ||
                 ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return wrote && written == bytes.size();
}

bool Sandbox::WriteSparseFile(const std::wstring &fileName, uint64_t size) const {
    HANDLE file = CreateFileW(PathOf(fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return sized;
}

bool Sandbox::WriteText(const std::wstring &fileName, const std::string &text) const {
    return WriteFile(fileName, std::vector<uint8_t>(text.begin(), text.end()));
}

bool Sandbox::ReadFile(const std::wstring &fileName, std::vector<uint8_t> *bytes) const {
    bytes->clear();
    HANDLE file = CreateFileW(PathOf(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool read = GetFileSizeEx(file, &size) != 0;
    if (read && size.QuadPart > 0) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = ::ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) &&
               got == bytes->size();
    }
    CloseHandle(file);
    return read;
}

bool Sandbox::Exists(const std::wstring &fileName) const {
    return GetFileAttributesW(PathOf(fileName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Sandbox::Remove(const std::wstring &fileName) const { return DeleteFileW(PathOf(fileName).c_str()) != 0; }

}  // namespace e2e

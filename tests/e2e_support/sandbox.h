// A fresh install directory per test case: the program, the simulator DLLs the test asks
// for and the files it writes (firmware images, scenarios), nothing left from earlier runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// The directory of the running test program: the build's bin directory, where
// Update_Vantor.exe and the simulator DLLs are built too.
std::wstring BinDir();
// The build's "e2e-artifacts" directory (beside bin), made when missing: screenshots go there.
std::wstring ArtifactDir();

constexpr wchar_t kProgramName[] = L"Update_Vantor.exe";
constexpr wchar_t kSandboxRoot[] = L"C:\\vantor_e2e";

bool RemoveTree(const std::wstring &dir);
bool MakeDirectories(const std::wstring &dir);

class Sandbox {
public:
    // Empties and makes <root>\<name>, copies Update_Vantor.exe and then each of `binFiles`
    // (for example L"QyxHid.dll") from the bin directory. ok() tells whether all of it worked.
    explicit Sandbox(const std::wstring &name, const std::vector<std::wstring> &binFiles = {},
                     const std::wstring &root = kSandboxRoot);

    bool ok() const { return ok_; }
    const std::wstring &Dir() const { return dir_; }
    std::wstring PathOf(const std::wstring &fileName) const;
    std::wstring ProgramPath() const { return PathOf(kProgramName); }

    // Copies a file of the bin directory, under its own name or under `targetName`.
    bool CopyFromBin(const std::wstring &fileName, const std::wstring &targetName = std::wstring()) const;
    bool WriteFile(const std::wstring &fileName, const std::vector<uint8_t> &bytes) const;
    bool WriteText(const std::wstring &fileName, const std::string &text) const;
    bool ReadFile(const std::wstring &fileName, std::vector<uint8_t> *bytes) const;
    bool Exists(const std::wstring &fileName) const;
    bool Remove(const std::wstring &fileName) const;

private:
    std::wstring dir_;
    bool ok_ = false;
};

}  // namespace e2e

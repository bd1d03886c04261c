// A fresh install directory per test case: the program, the simulator DLLs the test asks
// for and the files it writes (firmware images, scenarios), nothing left from earlier runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// The directory of the running test program: the build's tests\bin, where the simulator DLLs
// are built and the program is copied from the folder it ships in.
std::wstring BinDir();
// The build's "e2e-artifacts" directory (beside tests\bin), made when missing: screenshots go there.
std::wstring ArtifactDir();

constexpr wchar_t kProgramName[] = L"Update_Vantor.exe";
constexpr wchar_t kSandboxRoot[] = L"C:\\vantor_e2e";

// Which build of the program a sandbox installs. Either way it goes in as "Update_Vantor.exe":
// only under that name does the program make its own folder the current directory, and Wine
// gives the stand-in WMI locator to that name. Only test sandboxes hold the test variant so.
enum class ProgramFile {
    kShipped,      // the shipped Update_Vantor.exe itself: every wait is slept, the simulators keep real time
    kTestVariant,  // tests\bin\<kTestVariantFileName>: the same program whose waits step the virtual
                   // clock named by VANTOR_VIRTUAL_CLOCK, for many fast runs
};
constexpr wchar_t kTestVariantFileName[] = L"Update_Vantor_TEST_VARIANT_virtual_waits.exe";

bool RemoveTree(const std::wstring &dir);
bool MakeDirectories(const std::wstring &dir);

class Sandbox {
public:
    // Empties and makes <root>\<name>, installs the program as Update_Vantor.exe and copies each
    // of `binFiles` (for example L"QyxHid.dll") from the bin directory. ok() tells whether all
    // of it worked.
    explicit Sandbox(const std::wstring &name, const std::vector<std::wstring> &binFiles = {},
                     ProgramFile program = ProgramFile::kShipped, const std::wstring &root = kSandboxRoot);

    bool ok() const { return ok_; }
    const std::wstring &Dir() const { return dir_; }
    std::wstring PathOf(const std::wstring &fileName) const;
    std::wstring ProgramPath() const { return PathOf(kProgramName); }

    // Copies a file of the bin directory, under its own name or under `targetName`.
    bool CopyFromBin(const std::wstring &fileName, const std::wstring &targetName = std::wstring()) const;
    bool WriteFile(const std::wstring &fileName, const std::vector<uint8_t> &bytes) const;
    // A file of `size` zero bytes that takes no disk space: its length set, nothing written.
    bool WriteSparseFile(const std::wstring &fileName, uint64_t size) const;
    bool WriteText(const std::wstring &fileName, const std::string &text) const;
    bool ReadFile(const std::wstring &fileName, std::vector<uint8_t> *bytes) const;
    bool Exists(const std::wstring &fileName) const;
    bool Remove(const std::wstring &fileName) const;

private:
    std::wstring dir_;
    bool ok_ = false;
};

}  // namespace e2e

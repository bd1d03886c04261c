// The built program file itself: a GUI executable of its build's bits carrying its version and
// its administrator manifest (what a user's Windows sees before anything runs). Given
// "--program=PATH --bits=32" it checks another build's program, as a file, without running it;
// "--shipped" adds the folder it ships in, and "--tested=PATH" the copy the tests ran.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct CheckedProgram {
    std::wstring path;
    int bits = 0;
    bool shipped = false;
    std::wstring tested;  // the copy the tests installed and ran, when known
};

CheckedProgram &Checked() {
    static CheckedProgram checked;
    return checked;
}

std::wstring ProgramBesideThisOne() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.rfind(L'\\') + 1) + L"Update_Vantor.exe";
}

std::vector<char> FileBytes(const std::wstring &path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

template <typename NtHeaders>
void ExpectGuiExecutable(const std::vector<char> &bytes, size_t at, WORD machine, WORD magic) {
    ASSERT_LT(at + sizeof(NtHeaders), bytes.size());
    const auto *nt = reinterpret_cast<const NtHeaders *>(bytes.data() + at);
    EXPECT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, machine);
    EXPECT_EQ(nt->OptionalHeader.Magic, magic);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(ProgramFile, IsAGuiExecutableOfItsBits) {
    const std::vector<char> bytes = FileBytes(Checked().path);
    ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(bytes.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const size_t at = static_cast<size_t>(dos->e_lfanew);
    if (Checked().bits == 32)
        ExpectGuiExecutable<IMAGE_NT_HEADERS32>(bytes, at, IMAGE_FILE_MACHINE_I386, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    else
        ExpectGuiExecutable<IMAGE_NT_HEADERS64>(bytes, at, IMAGE_FILE_MACHINE_AMD64, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
}

TEST(ProgramFile, CarriesItsVersionAndAsksForAdministratorRights) {
    const std::wstring path = Checked().path;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT fixedLength = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void **>(&fixed), &fixedLength));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000017u);  // 1.0.0.23
    wchar_t *text = nullptr;
    UINT textLength = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\040404b0\\FileVersion",
                                 reinterpret_cast<void **>(&text), &textLength));
    EXPECT_STREQ(text, L"1.0.0.23");

    HMODULE program = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC manifest = ::FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const char *data = static_cast<const char *>(::LockResource(::LoadResource(program, manifest)));
    const std::string xml(data, ::SizeofResource(program, manifest));
    EXPECT_NE(xml.find("level=\"requireAdministrator\""), std::string::npos);
    ::FreeLibrary(program);
}

std::vector<std::string> FolderListing(const std::wstring &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.emplace_back(name.begin(), name.end());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// What a user copies to a board is the program alone: the maker's libraries are theirs to ship,
// and a stand-in beside the program would "update" a simulated controller instead of the real one.
TEST(ShippedProgram, StandsAloneInItsFolderAndIsTheFileTheTestsRan) {
    if (!Checked().shipped) GTEST_SKIP() << "not the shipped program's folder";
    const std::wstring &path = Checked().path;
    const std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
    EXPECT_THAT(FolderListing(folder), testing::ElementsAre("Update_Vantor.exe"));
    if (Checked().tested.empty()) return;
    const std::vector<char> tested = FileBytes(Checked().tested);
    ASSERT_FALSE(tested.empty());
    EXPECT_TRUE(FileBytes(path) == tested) << "the tests ran another file than the one that ships";
}

std::wstring Wide(const std::string &text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                      static_cast<int>(wide.size())));
    return wide;
}

}  // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    Checked().path = ProgramBesideThisOne();
    Checked().bits = static_cast<int>(sizeof(void *) * 8);
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.rfind("--program=", 0) == 0) {
            Checked().path = Wide(option.substr(10));
        } else if (option.rfind("--tested=", 0) == 0) {
            Checked().tested = Wide(option.substr(9));
        } else if (option == "--shipped") {
            Checked().shipped = true;
        } else if (option.rfind("--bits=", 0) == 0) {
            Checked().bits = std::stoi(option.substr(7));
        }
    }
    std::printf("checking %ls as a %d-bit program\n", Checked().path.c_str(), Checked().bits);
    return RUN_ALL_TESTS();
}

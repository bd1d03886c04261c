// The built program file itself: a GUI executable of its build's bits carrying its version and
// its administrator manifest (what a user's Windows sees before anything runs). Given
// "--program=PATH --bits=32" it checks another build's program, as a file, without running it.
#include <windows.h>

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

}  // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    Checked() = {ProgramBesideThisOne(), static_cast<int>(sizeof(void *) * 8)};
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.rfind("--program=", 0) == 0) {
            const std::string path = option.substr(10);
            std::wstring wide(path.size(), L'\0');
            wide.resize(::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0],
                                              static_cast<int>(wide.size())));
            Checked().path = wide;
        } else if (option.rfind("--bits=", 0) == 0) {
            Checked().bits = std::stoi(option.substr(7));
        }
    }
    std::printf("checking %ls as a %d-bit program\n", Checked().path.c_str(), Checked().bits);
    return RUN_ALL_TESTS();
}

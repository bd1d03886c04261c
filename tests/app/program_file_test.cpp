// The built program file itself: a 32-bit GUI executable carrying its version and its
// administrator manifest (what a user's Windows sees before anything runs).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.rfind(L'\\') + 1) + L"Update_Vantor.exe";
}

std::vector<char> FileBytes(const std::wstring &path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(ProgramFile, IsA32BitGuiExecutable) {
    const std::vector<char> bytes = FileBytes(ProgramPath());
    ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(bytes.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), bytes.size());
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(bytes.data() + dos->e_lfanew);
    EXPECT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(ProgramFile, CarriesItsVersionAndAsksForAdministratorRights) {
    const std::wstring path = ProgramPath();
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

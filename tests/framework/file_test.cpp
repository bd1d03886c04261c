#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/afxfile.h"

namespace {

// A fresh, empty directory under the temporary folder for each test.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = CString(temp) + L"vantor_file_test_" + CString(info->name());
        Clear();
        ::CreateDirectoryW(m_dir, nullptr);
    }
    void TearDown() override { Clear(); }

    CString PathOf(const wchar_t *name) const { return m_dir + L"\\" + name; }

    std::string BytesOf(const wchar_t *name) const {
        std::string bytes;
        HANDLE file = ::CreateFileW(PathOf(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return bytes;
        char buffer[256];
        DWORD read = 0;
        while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
        ::CloseHandle(file);
        return bytes;
    }

    void WriteBytes(const wchar_t *name, const std::string &bytes) const {
        HANDLE file = ::CreateFileW(PathOf(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }

    CString m_dir;

private:
    void Clear() const {
        WIN32_FIND_DATAW data;
        HANDLE search = ::FindFirstFileW(m_dir + L"\\*", &data);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                ::DeleteFileW(m_dir + L"\\" + data.cFileName);
            } while (::FindNextFileW(search, &data));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(m_dir);
    }
};

constexpr UINT kLogFlags = CStdioFile::modeCreate | CStdioFile::modeNoTruncate | CStdioFile::modeReadWrite;

}  // namespace

TEST_F(FileTest, FlagValuesAreTheFrameworks) {
    EXPECT_EQ(kLogFlags, 0x3002u);
    EXPECT_EQ(CStdioFile::modeReadWrite | CStdioFile::typeBinary, 0x8002u);
}

TEST_F(FileTest, TextModeWritesLineFeedsAsCrLfAndOneBytePerCharacter) {
    CStdioFile file;
    ASSERT_TRUE(file.Open(PathOf(L"a.log"), kLogFlags));
    file.WriteString(L"line one\nline \u00E9\n");
    file.Close();
    EXPECT_EQ(BytesOf(L"a.log"), "line one\r\nline \xE9\r\n");
}

TEST_F(FileTest, CreateWithNoTruncateAppendsAfterSeekToEnd) {
    WriteBytes(L"a.log", "first\r\n");
    for (const wchar_t *line : {L"second\n", L"third\n"}) {
        CStdioFile file;
        ASSERT_TRUE(file.Open(PathOf(L"a.log"), kLogFlags));
        EXPECT_EQ(file.GetLength(), file.SeekToEnd());
        file.WriteString(line);
        file.Close();
    }
    EXPECT_EQ(BytesOf(L"a.log"), "first\r\nsecond\r\nthird\r\n");
}

TEST_F(FileTest, CreateWithoutNoTruncateEmptiesTheFile) {
    WriteBytes(L"a.log", "old");
    CStdioFile file;
    ASSERT_TRUE(file.Open(PathOf(L"a.log"), CStdioFile::modeCreate | CStdioFile::modeWrite));
    EXPECT_EQ(file.GetLength(), 0u);
}

TEST_F(FileTest, BinaryReadsEveryByteOneByOne) {
    const std::string image("\x00\x0A\x0D\x0A\x1A\xFF", 6);  // CR LF and ^Z pass untouched
    WriteBytes(L"LED_v1A03.bin", image);
    CStdioFile file;
    CFileException error;
    ASSERT_TRUE(file.Open(PathOf(L"LED_v1A03.bin"), CStdioFile::modeReadWrite | CStdioFile::typeBinary, &error));
    std::string read;
    BYTE byte = 0;
    while (file.Read(&byte, 1) != 0) read += static_cast<char>(byte);
    file.Close();
    EXPECT_EQ(read, image);
    EXPECT_EQ(file.Read(&byte, 1), 0u);  // closed: nothing more
}

TEST_F(FileTest, OpenFileIsNotShared) {
    CStdioFile first;
    ASSERT_TRUE(first.Open(PathOf(L"a.log"), kLogFlags));
    CStdioFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(PathOf(L"a.log"), kLogFlags, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_EQ(error.m_lOsError, ERROR_SHARING_VIOLATION);
    first.Close();
    EXPECT_TRUE(second.Open(PathOf(L"a.log"), kLogFlags));
}

TEST_F(FileTest, MissingFileWithoutCreateFails) {
    CStdioFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(PathOf(L"none.bin"), CStdioFile::modeReadWrite | CStdioFile::typeBinary, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(::GetFileAttributesW(PathOf(L"none.bin")), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileTest, FindNextFileMovesOntoTheFirstMatch) {
    WriteBytes(L"only.bin", "x");
    WriteBytes(L"other.txt", "x");
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(PathOf(L"*.bin")));
    EXPECT_FALSE(finder.FindNextFile());  // on the match; no other follows
    EXPECT_EQ(finder.GetFileName(), L"only.bin");
}

TEST_F(FileTest, FindNextFileReportsWhetherMoreFollow) {
    WriteBytes(L"a.bin", "x");
    WriteBytes(L"b.bin", "x");
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(PathOf(L"*.bin")));
    EXPECT_TRUE(finder.FindNextFile());
    CString first = finder.GetFileName();
    EXPECT_FALSE(finder.FindNextFile());
    CString second = finder.GetFileName();
    EXPECT_NE(first, second);
    EXPECT_TRUE((first == L"a.bin" && second == L"b.bin") || (first == L"b.bin" && second == L"a.bin"));
    EXPECT_FALSE(finder.FindNextFile());  // past the last: stays on it
    EXPECT_EQ(finder.GetFileName(), second);
}

TEST_F(FileTest, FindFileWithoutMatch) {
    CFileFind finder;
    EXPECT_FALSE(finder.FindFile(PathOf(L"*.bin")));
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), L"");

    // A search that finds nothing forgets the match of the one before.
    WriteBytes(L"a.bin", "x");
    ASSERT_TRUE(finder.FindFile(PathOf(L"*.bin")));
    finder.FindNextFile();
    ASSERT_EQ(finder.GetFileName(), L"a.bin");
    EXPECT_FALSE(finder.FindFile(PathOf(L"*.img")));
    EXPECT_EQ(finder.GetFileName(), L"");
}

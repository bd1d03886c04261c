#include "host/command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/test_files.h"

namespace {

TEST(RunCommand, RecorderGetsTheExactParametersAndNothingRuns) {
    TempFolder folder;
    const std::wstring marker = folder.File(L"ran.txt");
    std::vector<CString> recorded;
    SetCommandRecorder([&](const CString &parameters) { recorded.push_back(parameters); });
    RunCommand(L"taskkill /F /IM", L"Ostrum.exe");
    RunCommand((L"echo ran > " + marker).c_str(), L"");
    SetCommandRecorder(nullptr);

    ASSERT_EQ(2u, recorded.size());
    EXPECT_EQ(CString(L"/c taskkill /F /IM Ostrum.exe"), recorded[0]);
    EXPECT_EQ(CString((L"/c echo ran > " + marker + L" ").c_str()), recorded[1]);  // empty argument: trailing blank
    EXPECT_FALSE(FileExists(marker));
}

TEST(RunCommand, WaitsForTheCommandWhichRunsInTheCurrentFolder) {
    TempFolder folder;
    CurrentFolder inFolder(folder.Path());
    // The file appears only after a delay of about a second.
    RunCommand(L"ping -n 2 127.0.0.1 >nul & echo done>", L"written.txt");
    EXPECT_EQ("done\r\n", ReadFileBytes(folder.File(L"written.txt")));
}

TEST(RunCommand, ProgramPathWithBlanksIsSplitAtTheFirstBlank) {
    TempFolder folder;
    ASSERT_EQ(std::wstring::npos, folder.Path().find(L' '));
    // "<folder>\My Tools\run.bat" reaches cmd.exe as "<folder>\My" with the argument "Tools\run.bat".
    const std::string caught = Narrow(folder.File(L"caught.txt"));
    WriteFileBytes(folder.File(L"My.bat"), "@echo %1> " + caught + "\r\n");
    CreateDirectoryW(folder.File(L"My Tools").c_str(), nullptr);
    WriteFileBytes(folder.File(L"My Tools\\run.bat"), "@echo whole> " + caught + "\r\n");

    RunCommand(folder.File(L"My Tools\\run.bat").c_str(), L"");
    EXPECT_EQ("Tools\\run.bat\r\n", ReadFileBytes(folder.File(L"caught.txt")));
}

TEST(RunCommand, CommandThatCannotStartIsNotNoticed) {
    TempFolder folder;
    CurrentFolder inFolder(folder.Path());
    RunCommand(L"vantor_no_such_program.exe", L"--anything");
    RunCommand(L"echo after>", L"after.txt");
    EXPECT_TRUE(FileExists(folder.File(L"after.txt")));
}

}  // namespace

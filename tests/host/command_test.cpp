#include "host/command.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "tests/host/test_files.h"

namespace {

// What reaches the shell for each command of a run: the system's cmd.exe by its full path, "/d"
// so that no "AutoRun" command runs with it, the texts as given, and the system directory as the
// working directory of the system tools only.
TEST(RunCommand, RecorderGetsTheFileParametersAndFolderOfEachKindAndNothingRuns) {
    wchar_t systemBuffer[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(systemBuffer, MAX_PATH), 0u);
    const std::wstring system = systemBuffer;
    TempFolder folder;
    const std::wstring marker = folder.File(L"ran.txt");
    const std::wstring companion = L"\"\"C:\\Program Files (x86)\\QYX\\Korvex\\QYX_LED.exe\"\"";
    struct Case {
        std::wstring command;
        const wchar_t *argument;
        CommandFolder folder;
        std::wstring parameters;
        std::wstring directory;
    };
    const Case cases[] = {
        {L"sc.exe stop", L"Halcyra2_Service", CommandFolder::System, L"/d /c sc.exe stop Halcyra2_Service", system},
        {L"taskkill /F /IM", L"Ostrum.exe", CommandFolder::System, L"/d /c taskkill /F /IM Ostrum.exe", system},
        {L"taskkill /F /IM", L"QYX_LED.exe", CommandFolder::System, L"/d /c taskkill /F /IM QYX_LED.exe", system},
        {L"sc.exe start", L"Halcyra2_Service", CommandFolder::System, L"/d /c sc.exe start Halcyra2_Service", system},
        // An empty argument leaves a trailing blank; no directory means the current one.
        {companion, L"", CommandFolder::Current, L"/d /c " + companion + L" ", L""},
        {L"echo ran > " + marker, L"", CommandFolder::Current, L"/d /c echo ran > " + marker + L" ", L""},
    };
    std::vector<LaunchedCommand> recorded;
    SetCommandRecorder([&](const LaunchedCommand &command) { recorded.push_back(command); });
    for (const Case &c : cases) RunCommand(c.command.c_str(), c.argument, c.folder);
    SetCommandRecorder(nullptr);

    ASSERT_EQ(std::size(cases), recorded.size());
    for (size_t i = 0; i < recorded.size(); ++i) {
        SCOPED_TRACE(cases[i].parameters);
        EXPECT_EQ(system + L"\\cmd.exe", std::wstring(recorded[i].file));
        EXPECT_EQ(cases[i].parameters, std::wstring(recorded[i].parameters));
        EXPECT_EQ(cases[i].directory, std::wstring(recorded[i].directory));
    }
    EXPECT_FALSE(FileExists(marker));
}

TEST(RunCommand, WaitsForTheCommandWhichRunsInTheCurrentFolder) {
    TempFolder folder;
    CurrentFolder inFolder(folder.Path());
    // The file appears only after a delay of about a second.
    RunCommand(L"ping -n 2 127.0.0.1 >nul & echo done>", L"written.txt", CommandFolder::Current);
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

    RunCommand(folder.File(L"My Tools\\run.bat").c_str(), L"", CommandFolder::Current);
    EXPECT_EQ("Tools\\run.bat\r\n", ReadFileBytes(folder.File(L"caught.txt")));
}

TEST(RunCommand, CommandThatCannotStartIsNotNoticed) {
    TempFolder folder;
    CurrentFolder inFolder(folder.Path());
    RunCommand(L"vantor_no_such_program.exe", L"--anything", CommandFolder::System);
    RunCommand(L"echo after>", L"after.txt", CommandFolder::Current);
    EXPECT_TRUE(FileExists(folder.File(L"after.txt")));
}

}  // namespace

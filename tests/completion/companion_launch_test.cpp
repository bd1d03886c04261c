// The companion program is relaunched through the real cmd.exe: it must start from directories
// whose names cmd.exe would otherwise split (blanks, parentheses) or run as commands ("&").
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "host/command.h"
#include "update/cmd_quoting.h"

namespace {

constexpr wchar_t kScratch[] = L"C:\\vantor_quoting";
constexpr wchar_t kEventsFile[] = L"C:\\vantor_quoting\\events.txt";

std::wstring BinDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.rfind(L'\\'));
}

void MakeDirectories(const std::wstring &dir) {
    for (size_t at = dir.find(L'\\', 3); at != std::wstring::npos; at = dir.find(L'\\', at + 1))
        CreateDirectoryW(dir.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
}

std::string ReadEvents() {
    std::ifstream file(kEventsFile, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Narrow(const std::wstring &text) { return std::string(text.begin(), text.end()); }

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class CompanionLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The scratch folder is the current directory, where a command smuggled in would act.
        SHFILEOPSTRUCTW remove = {};
        std::wstring from = std::wstring(kScratch) + L'\0';
        remove.wFunc = FO_DELETE;
        remove.pFrom = from.c_str();
        remove.fFlags = FOF_NO_UI;
        SHFileOperationW(&remove);
        MakeDirectories(kScratch);
        ASSERT_TRUE(SetCurrentDirectoryW(kScratch));
        SetEnvironmentVariableW(L"VANTOR_FIXTURE_EVENTS", kEventsFile);
    }

    void TearDown() override {
        if (launchedPid_) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, launchedPid_);
            if (process) {
                TerminateProcess(process, 0);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
        SetCurrentDirectoryW(BinDir().c_str());
    }

    // Puts the stand-in program there as QYX_LED.exe and relaunches it as the updater does.
    // The events file then holds its launch line, or nothing when it never started.
    std::string Relaunch(const std::wstring &companionDir) {
        MakeDirectories(companionDir);
        const std::wstring program = companionDir + L"\\QYX_LED.exe";
        EXPECT_TRUE(CopyFileW((BinDir() + L"\\lighting_app.exe").c_str(), program.c_str(), FALSE));
        RunCommand(QuoteProgramForCmd(program.c_str()), CString(), CommandFolder::Current);
        // cmd.exe does not wait for a windowed program: give it time to write its line.
        std::string events;
        for (int i = 0; i < 200 && events.find('\n') == std::string::npos; ++i) {
            Sleep(50);
            events = ReadEvents();
        }
        const size_t pid = events.find(" pid=");
        if (pid != std::string::npos) launchedPid_ = std::stoul(events.substr(pid + 5));
        return events;
    }

    DWORD launchedPid_ = 0;
};

TEST_F(CompanionLaunchTest, StartsFromTheUsualInstallFolder) {
    const std::wstring dir = L"C:\\Program Files (x86)\\QYX\\Korvex";
    const std::string events = Relaunch(dir);
    EXPECT_EQ(events.substr(0, events.find(" pid=")), "launched " + Narrow(dir) + "\\QYX_LED.exe");
    EXPECT_NE(launchedPid_, 0u);
}

TEST_F(CompanionLaunchTest, AnAmpersandInTheFolderNameRunsNothingElse) {
    const std::wstring dir = std::wstring(kScratch) + L"\\a&mkdir injected";
    const std::string events = Relaunch(dir);
    EXPECT_EQ(events.substr(0, events.find(" pid=")), "launched " + Narrow(dir) + "\\QYX_LED.exe");
    EXPECT_EQ(events.find('\n'), events.size() - 1) << "exactly one launch";
    EXPECT_FALSE(Exists(std::wstring(kScratch) + L"\\injected"));
    EXPECT_FALSE(Exists(std::wstring(kScratch) + L"\\a"));
}

}  // namespace

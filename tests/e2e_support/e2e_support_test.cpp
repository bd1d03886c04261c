// The rig's own checks: a hung or misbehaving program must fail a test, never hang it,
// and what the rig reads back (log, registry, clock) must be read faithfully.
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>

#include "tests/e2e_support/child_process.h"
#include "tests/e2e_support/log_file.h"
#include "tests/e2e_support/registry_values.h"
#include "tests/e2e_support/sandbox.h"
#include "tests/e2e_support/test_clock.h"

using namespace e2e;

namespace {

std::wstring Cmd() {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\cmd.exe";
}

std::vector<DWORD> ChildrenOf(DWORD pid) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == pid) children.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return children;
}

bool Alive(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

}  // namespace

TEST(ChildProcessTest, PassesEnvironmentAndExitCode) {
    ChildEnvironment env;
    env.Set(L"E2E_EXIT", L"7");
    ChildProcess child;
    ASSERT_TRUE(child.Start(Cmd(), L"/c exit %E2E_EXIT%", BinDir(), &env));
    ASSERT_TRUE(child.WaitExit(30000));
    EXPECT_EQ(7u, child.ExitCode());
}

TEST(ChildProcessTest, KillTreeEndsAHungProgramAndWhatItStarted) {
    // cmd.exe waits for the driver, which waits 100 s for an exit record that never comes.
    std::wstring driver = L"\"" + BinDir() + L"\\vantor_uidriver.exe\" wait-exit --pid 1 --timeout 100";
    ChildProcess child;
    ASSERT_TRUE(child.Start(Cmd(), L"/c " + driver, BinDir()));
    std::vector<DWORD> started;
    for (int i = 0; i < 200 && started.empty(); ++i, Sleep(50)) started = ChildrenOf(child.Pid());
    ASSERT_FALSE(started.empty());
    EXPECT_FALSE(child.WaitExit(200));

    child.KillTree();
    EXPECT_FALSE(child.Running());
    for (DWORD pid : started) EXPECT_FALSE(Alive(pid));
}

TEST(SandboxTest, StartsEmptyEachTime) {
    {
        Sandbox first(L"rig_selftest");
        ASSERT_TRUE(first.WriteFile(L"left_over.bin", {1, 2, 3}));
    }
    Sandbox second(L"rig_selftest");
    EXPECT_TRUE(second.ok());
    EXPECT_FALSE(second.Exists(L"left_over.bin"));
    EXPECT_TRUE(second.Exists(kProgramName));
    std::vector<uint8_t> bytes = {0x00, 0xFF, 0x0D, 0x0A, 0x1A};
    ASSERT_TRUE(second.WriteFile(L"image_v0102.bin", bytes));
    std::vector<uint8_t> back;
    ASSERT_TRUE(second.ReadFile(L"image_v0102.bin", &back));
    EXPECT_EQ(bytes, back);
}

TEST(LogFileTest, TellsWellFormedLinesFromOthers) {
    std::vector<LogLine> lines = ParseLog(
        "2024/03/05 07:08:09.005        On AP Mode.\r\n"
        "2024/03/05 07:08:09.005        \r\n"
        "2024/3/5 07:08:09.005        short stamp\r\n"
        "2024/03/05 07:08:09.006        no carriage return\n"
        "2024/03/05 07:08:09.007        unterminated");
    ASSERT_EQ(5u, lines.size());
    EXPECT_TRUE(lines[0].wellFormed);
    EXPECT_EQ("On AP Mode.", lines[0].message);
    EXPECT_EQ("2024/03/05 07:08:09.005", lines[0].stamp);
    EXPECT_TRUE(lines[1].wellFormed);
    EXPECT_EQ("", lines[1].message);
    EXPECT_FALSE(lines[2].wellFormed);
    EXPECT_FALSE(lines[3].wellFormed);
    EXPECT_FALSE(lines[4].wellFormed);
    EXPECT_EQ("unterminated", lines[4].message);
}

TEST(RegistryValuesTest, ReadsValuesAsStoredAndClearsThem) {
    const std::wstring key = L"SOFTWARE\\QYX\\vantor_e2e_selftest";
    ASSERT_TRUE(WriteRegText(key, L"Text", L"0A1B"));
    ASSERT_TRUE(WriteRegRaw(key, L"Number", REG_DWORD, {1, 0, 0, 0}));
    RegValue text;
    ASSERT_TRUE(ReadRegValue(key, L"Text", &text));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), text.type);
    EXPECT_EQ(10u, text.data.size());  // four characters and the NUL
    EXPECT_EQ(L"0A1B", text.Text());
    EXPECT_EQ(2u, ReadRegValues(key).size());

    ASSERT_TRUE(DeleteRegKey(key));
    EXPECT_FALSE(ReadRegValue(key, L"Text", &text));
    EXPECT_TRUE(ReadRegValues(key).empty());
    EXPECT_TRUE(DeleteRegKey(key));
}

TEST(TestClockTest, IsSharedUnderItsName) {
    TestClock clock;
    TestClock other;
    ASSERT_TRUE(clock.ok());
    EXPECT_NE(clock.Name(), other.Name());
    HANDLE section = OpenFileMappingW(FILE_MAP_WRITE, FALSE, clock.Name().c_str());
    ASSERT_NE(nullptr, section);
    auto *seen = static_cast<VirtualClock *>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(VirtualClock)));
    ASSERT_NE(nullptr, seen);
    seen->elapsedMs += 4500;
    seen->waitCount += 1;
    EXPECT_EQ(4500, clock.ElapsedMs());
    EXPECT_EQ(1, clock.WaitCount());
    UnmapViewOfFile(seen);
    CloseHandle(section);
}

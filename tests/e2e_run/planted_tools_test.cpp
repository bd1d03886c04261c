// The program runs elevated and stops and restarts the lighting software through cmd.exe,
// "sc.exe" and "taskkill". Programs planted under those names in the folder it is started from,
// or beside the program itself, must never run, neither at start-up nor at the window's close;
// the system's own tools still do the work.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e_run/board_test.h"
#include "tests/e2e_run/line_file.h"
#include "tests/e2e_support/dialog_driver.h"
#include "tests/e2e_support/sandbox.h"

using namespace e2e;
using ::testing::IsEmpty;

namespace {

constexpr const wchar_t *kPlantedNames[] = {L"sc.exe", L"taskkill.exe", L"cmd.exe"};

enum class PlantedIn { kStartFolder, kProgramFolder };

struct Case {
    PlantedIn where;
    bool driverLibrary;  // without it the program never makes its own folder the current one
    const char *name;
};

const Case kCases[] = {
    {PlantedIn::kStartFolder, true, "StartFolder"},
    {PlantedIn::kStartFolder, false, "StartFolder_NoDriverLibrary"},
    {PlantedIn::kProgramFolder, true, "ProgramFolder"},
    {PlantedIn::kProgramFolder, false, "ProgramFolder_NoDriverLibrary"},
};

std::string CaseName(const testing::TestParamInfo<Case> &info) { return info.param.name; }

void PrintTo(const Case &c, std::ostream *out) { *out << c.name; }

// Each planted program notes its runs in "planted_runs.txt" beside itself.
bool Plant(const std::wstring &folder) {
    const std::wstring tool = BinDir() + L"\\planted_tool.exe";
    for (const wchar_t *name : kPlantedNames)
        if (!CopyFileW(tool.c_str(), (folder + L"\\" + name).c_str(), FALSE)) return false;
    return true;
}

class PlantedToolsTest : public BoardTest, public testing::WithParamInterface<Case> {};

TEST_P(PlantedToolsTest, NoneRunsAndTheSystemToolsStillStopAndRestart) {
    const Case &c = GetParam();
    BoardSetup setup;
    setup.transport = Transport::kSmbusIntel;
    setup.driverLibrary = c.driverLibrary;
    setup.program = ProgramFile::kShipped;  // the elevated program itself, not a test build of it
    const std::string name = c.name;
    BoardRun board(L"planted_" + std::wstring(name.begin(), name.end()), setup);
    ASSERT_TRUE(board.ok());
    // Always started from a folder other than the program's, so the two places differ.
    const std::wstring startDir = board.Dir() + L"\\start";
    ASSERT_TRUE(MakeDirectories(startDir));
    const std::wstring plantedDir = c.where == PlantedIn::kStartFolder ? startDir : board.Dir();
    ASSERT_TRUE(Plant(plantedDir));

    ASSERT_TRUE(board.Start(L"", startDir));
    // With the driver library and without, the dialog opens; its close runs the restart commands.
    HWND dialog = board.run().WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    PostClose(dialog);
    EXPECT_EQ(board.WaitExit(), 0);

    ExpectStoppedAndRestarted(board.lighting());
    EXPECT_THAT(ReadLines(plantedDir + L"\\planted_runs.txt"), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Places, PlantedToolsTest, testing::ValuesIn(kCases), CaseName);

}  // namespace

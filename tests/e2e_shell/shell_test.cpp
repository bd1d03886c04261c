// The program's shell, end to end: the dialog of template 102 as a user sees it, the About
// box, the single-instance guard and the ways the dialog ends. The install directory holds
// only the program and "QyxHid.dll": on Wine no SMBIOS table gives board 0, the SMBus path,
// and without "Wendil.dll" the start-up ends early and the dialog keeps its placeholders.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/e2e_support/dialog_driver.h"
#include "tests/e2e_support/registry_values.h"
#include "tests/e2e_support/vantor_run.h"

using namespace e2e;

namespace {

struct ExpectedControl {
    int id;
    const wchar_t *className;
    const wchar_t *text;
    RECT units;  // x, y, width, height in dialog units
    LONG styleMask;
    LONG style;
};

// Template 102 in tab order.
const ExpectedControl kTemplate[] = {
    {1000, L"Button", L"Update", {55, 94, 50, 14}, BS_TYPEMASK | WS_TABSTOP, BS_PUSHBUTTON | WS_TABSTOP},
    {1006, L"Static", L"Static", {14, 23, 127, 8}, SS_TYPEMASK | WS_GROUP, SS_CENTER | WS_GROUP},
    {1007, L"Static", L"Static", {14, 54, 127, 8}, SS_TYPEMASK | WS_GROUP, SS_CENTER | WS_GROUP},
    {-1, L"Static", L"Current:", {24, 10, 27, 8}, SS_TYPEMASK | WS_GROUP, SS_LEFT | WS_GROUP},
    {-1, L"Static", L"Object:", {24, 38, 23, 8}, SS_TYPEMASK | WS_GROUP, SS_LEFT | WS_GROUP},
    // Wine's progress control drops the template's WS_BORDER and draws its own edge.
    {1008, L"msctls_progress32", L"", {20, 72, 121, 14}, 0, 0},
    {1009, L"Static", L"Static", {14, 112, 127, 19}, SS_TYPEMASK | WS_GROUP, SS_LEFT | WS_GROUP},
};
constexpr int kDialogWidthUnits = 159;
constexpr int kDialogHeightUnits = 138;
// Dialog units become pixels by the font's average character size, rounded per edge.
constexpr double kPixelTolerance = 2.0;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ClearProgramRegistry()); }

    // Starts the program in a fresh install directory and waits for its dialog.
    HWND Open(VantorRun &run) {
        if (!run.ok() || !run.Start()) return nullptr;
        return run.WaitForDialog();
    }
};

TEST_F(ShellTest, DialogShowsTemplate102WithItsPlaceholders) {
    VantorRun run(L"shell_dialog");
    HWND dialog = Open(run);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Vantor", WindowText(dialog));

    LONG style = GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    // The template's sizes are client sizes, so the client area gives the unit scale.
    SIZE client = ClientSize(dialog);
    double perUnitX = static_cast<double>(client.cx) / kDialogWidthUnits;
    double perUnitY = static_cast<double>(client.cy) / kDialogHeightUnits;
    EXPECT_GT(perUnitX, 1.0);
    EXPECT_GT(perUnitY, 1.0);

    std::vector<Control> controls = ListControls(dialog);
    ASSERT_EQ(std::size(kTemplate), controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const ExpectedControl &expected = kTemplate[i];
        const Control &actual = controls[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(expected.id, actual.id);
        EXPECT_EQ(expected.className, actual.className);
        EXPECT_EQ(expected.text, actual.text);
        EXPECT_EQ(expected.style, actual.style & expected.styleMask);
        EXPECT_TRUE(actual.visible);
        EXPECT_NEAR(expected.units.left * perUnitX, actual.rect.left, kPixelTolerance);
        EXPECT_NEAR(expected.units.top * perUnitY, actual.rect.top, kPixelTolerance);
        EXPECT_NEAR(expected.units.right * perUnitX, actual.rect.right - actual.rect.left, kPixelTolerance);
        EXPECT_NEAR(expected.units.bottom * perUnitY, actual.rect.bottom - actual.rect.top, kPixelTolerance);
    }
    EXPECT_EQ(0, ProgressPosition(dialog));
    EXPECT_FALSE(run.Screenshot(dialog, L"shell_main_dialog").empty());

    PostClose(dialog);
    DWORD exitCode = 0;
    EXPECT_TRUE(run.WaitExit(&exitCode, 20000));
}

TEST_F(ShellTest, AboutBoxOpensFromTheSystemCommandAndReturnsToTheDialog) {
    VantorRun run(L"shell_about");
    HWND dialog = Open(run);
    ASSERT_NE(nullptr, dialog);
    const std::wstring statusBefore = ControlText(dialog, kStatusLine);

    // The About command with its low four bits set counts too; OK, Escape and the close
    // button each end the box.
    struct Way {
        WPARAM command;
        const char *name;
    };
    const Way ways[] = {{kAboutCommand, "OK"}, {kAboutCommand | 0x000F, "Escape"}, {kAboutCommand, "close"}};
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        PostMessageW(dialog, WM_SYSCOMMAND, way.command, 0);
        HWND about = WaitForAboutBox(run.process().Pid(), 20000);
        ASSERT_NE(nullptr, about);
        EXPECT_EQ(L"\x95DC\x65BC Vantor", WindowText(about));
        EXPECT_FALSE(IsWindowEnabled(dialog));  // modal over the main dialog

        bool versionLine = false;
        for (const Control &control : ListControls(about)) {
            versionLine = versionLine || control.text == L"Vantor, 1.0 \x7248";  // "Vantor, 1.0 版"
        }
        EXPECT_TRUE(versionLine);
        EXPECT_EQ(L"\x78BA\x5B9A", ControlText(about, IDOK));  // "確定"

        if (std::string(way.name) == "OK") {
            EXPECT_FALSE(run.Screenshot(about, L"shell_about_box").empty());
            EXPECT_TRUE(PressOk(about));
        } else if (std::string(way.name) == "Escape") {
            PressEscape(about);
        } else {
            PostClose(about);
        }
        EXPECT_TRUE(WaitForWindowGone(about, 10000));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != 0; }, 10000));
        EXPECT_TRUE(run.process().Running());
        EXPECT_EQ(statusBefore, ControlText(dialog, kStatusLine));
    }
    PostClose(dialog);
    DWORD exitCode = 0;
    EXPECT_TRUE(run.WaitExit(&exitCode, 20000));
}

TEST_F(ShellTest, SystemMenuEndsWithTheAboutEntry) {
    VantorRun run(L"shell_system_menu");
    HWND dialog = Open(run);
    ASSERT_NE(nullptr, dialog);
    // From the first item, up wraps to the last: the entry the program appended.
    ASSERT_TRUE(OpenSystemMenu(dialog, 10000));
    PressKey(dialog, VK_UP);
    PressKey(dialog, VK_RETURN);
    HWND about = WaitForAboutBox(run.process().Pid(), 20000);
    ASSERT_NE(nullptr, about);
    EXPECT_TRUE(PressOk(about));
    EXPECT_TRUE(WaitForWindowGone(about, 10000));
    EXPECT_TRUE(run.process().Running());
    PostClose(dialog);
    DWORD exitCode = 0;
    EXPECT_TRUE(run.WaitExit(&exitCode, 20000));
}

TEST_F(ShellTest, SecondCopyEndsAtOnceWithoutAWindow) {
    VantorRun first(L"shell_first_copy");
    HWND dialog = Open(first);
    ASSERT_NE(nullptr, dialog);

    VantorRun second(L"shell_second_copy");
    ASSERT_TRUE(second.Start());
    bool sawWindow = false;
    bool ended = WaitUntil([&] {
        sawWindow = sawWindow || !FindDialogs(second.process().Pid(), L"Vantor").empty();
        return !second.process().Running();
    }, 20000, 5);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(sawWindow);

    // The first copy is untouched and still answers.
    EXPECT_TRUE(first.process().Running());
    EXPECT_EQ(dialog, FindMainDialog(first.process().Pid()));
    EXPECT_EQ(L"Update", ControlText(dialog, kUpdateButton));
    PostClose(dialog);
    DWORD exitCode = 0;
    EXPECT_TRUE(first.WaitExit(&exitCode, 20000));
}

TEST_F(ShellTest, OfTwoCopiesStartedTogetherExactlyOneShowsTheDialog) {
    VantorRun one(L"shell_race_one");
    VantorRun other(L"shell_race_other");
    ASSERT_TRUE(one.Start());
    ASSERT_TRUE(other.Start());
    HWND dialog = WaitForMainDialog(0, kDialogTimeoutMs);
    ASSERT_NE(nullptr, dialog);
    VantorRun &winner = FindMainDialog(one.process().Pid()) ? one : other;
    VantorRun &loser = &winner == &one ? other : one;
    EXPECT_TRUE(loser.process().WaitExit(20000));
    EXPECT_TRUE(FindDialogs(loser.process().Pid(), L"Vantor").empty());
    EXPECT_TRUE(winner.process().Running());
    PostClose(dialog);
    DWORD exitCode = 0;
    EXPECT_TRUE(winner.WaitExit(&exitCode, 20000));
}

TEST_F(ShellTest, ClosingOrEscapeEndsTheProcess) {
    for (const char *way : {"close", "Escape"}) {
        SCOPED_TRACE(way);
        VantorRun run(std::wstring(L"shell_end_") + (way[0] == 'c' ? L"close" : L"escape"));
        HWND dialog = Open(run);
        ASSERT_NE(nullptr, dialog);
        if (way[0] == 'c') {
            PostClose(dialog);
        } else {
            PressEscape(dialog);
        }
        DWORD exitCode = STILL_ACTIVE;
        EXPECT_TRUE(run.WaitExit(&exitCode, 20000));
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), exitCode);
        EXPECT_FALSE(IsWindow(dialog));
    }
}

}  // namespace

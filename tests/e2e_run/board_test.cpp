#include "tests/e2e_run/board_test.h"

#include <gmock/gmock.h>

#include "tests/e2e_support/dialog_driver.h"

namespace e2e {

std::string Flow::Name() const { return std::string(TransportName(transport)) + (silent ? ", -f" : ", interactive"); }

std::wstring Flow::Tag() const { return std::to_wstring(static_cast<int>(transport)) + (silent ? L"_f" : L""); }

std::vector<Flow> EveryFlow() {
    std::vector<Flow> flows;
    for (Transport transport : {Transport::kUsb, Transport::kSmbusIntel, Transport::kSmbusOther})
        for (bool silent : {false, true}) flows.push_back({transport, silent});
    return flows;
}

HWND BoardTest::Open(BoardRun &board) {
    EXPECT_TRUE(board.ok());
    if (!board.Start(L"")) return nullptr;
    return board.run().WaitForDialog();
}

std::wstring BoardTest::ClickAndAnswer(BoardRun &board, HWND dialog) {
    EXPECT_TRUE(ControlEnabled(dialog, kUpdateButton));
    EXPECT_TRUE(ClickUpdate(dialog));
    HWND box = WaitForMessageBox(board.run().process().Pid(), kDialogTimeoutMs);
    if (!box) return L"(no message box)";
    const std::wstring text = MessageBoxText(box);
    EXPECT_TRUE(PressOk(box));
    return text;
}

FlowStart BoardTest::StartFlow(BoardRun &board, const Flow &flow) {
    if (flow.silent) return {board.Start(L"-f"), nullptr, std::wstring()};
    HWND dialog = Open(board);
    if (!dialog) return {false, nullptr, std::wstring()};
    return {true, dialog, ClickAndAnswer(board, dialog)};
}

}  // namespace e2e

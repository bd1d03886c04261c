// The SMBus update flow on hosts whose PCI host bridge is Intel's: every block is checked
// through the sum the controller echoes back.
#include <algorithm>
#include <array>
#include <vector>

#include "app/vantor_dlg.h"
#include "board/driver_library.h"
#include "host/wait.h"
#include "update/smbus_command_set.h"
#include "update/smbus_flow_steps.h"

namespace {
constexpr bool kIntelHost = true;
constexpr DWORD kBeginUpdateWaitMs = 1000;
constexpr DWORD kRewriteWaitMs = 1000;
constexpr BYTE kErasedByte = 0xFF;
constexpr int kStatusEchoByte = 3;

using DataBlock = std::array<BYTE, kSmbusDataBlockShortLength>;

bool EchoMatches(const std::array<BYTE, kSmbusStatusBlockLength> &status, const DataBlock &block) {
    return status[kStatusEchoByte] == block[kSmbusGroupSize];
}

enum class GroupOutcome {
    kAccepted,
    kErasedEnd,  // sixteen 0xFF bytes whose echo is wrong: the erased end of the image, send no more
    kRefused,    // wrong echo after the re-send too
};

// Sends one group and checks its echo; a wrong one gets a single re-send after a pause.
GroupOutcome SendCheckedGroup(const DataBlock &block) {
    std::array<BYTE, kSmbusStatusBlockLength> status{};
    SendSmbusDataBlock(kSmbCmdWriteBlock, block.data(), kSmbusDataBlockShortLength);
    SmbusReadBlock(status.data());
    if (EchoMatches(status, block))
        return GroupOutcome::kAccepted;
    if (std::all_of(block.begin(), block.begin() + kSmbusGroupSize, [](BYTE b) { return b == kErasedByte; }))
        return GroupOutcome::kErasedEnd;

    WaitMs(kRewriteWaitMs);
    SendSmbusDataBlock(kSmbCmdRewriteBlock, block.data(), kSmbusDataBlockShortLength);
    SmbusReadBlock(status.data());  // not zeroed: a read that delivers nothing is judged by the first one
    return EchoMatches(status, block) ? GroupOutcome::kAccepted : GroupOutcome::kRefused;
}

// Every whole group of 16 within the first (size - 512) bytes, in file order. False when a
// group was refused twice.
bool StreamImage(CVantorDlg &dialog, const std::vector<BYTE> &image, bool interactive) {
    DataBlock block{};
    int fill = 0;
    const int count = static_cast<int>(image.size()) - kSmbusUnsentTail;
    for (int i = 0; i < count; ++i) {
        if (interactive && i > 0)
            ShowTransferProgress(dialog, i, count);
        block[fill] = image[i];
        if (fill < kSmbusGroupSize - 1) {
            ++fill;
        } else {
            block[kSmbusGroupSize] = DataBlockChecksum(block.data());
            const GroupOutcome outcome = SendCheckedGroup(block);
            if (outcome == GroupOutcome::kRefused)
                return false;
            if (outcome == GroupOutcome::kErasedEnd)
                return true;  // the read-back follows as after the last group
            block.fill(0);
            fill = 0;
        }
        if (interactive)
            DropQueuedMessage();
    }
    return true;
}
}  // namespace

void CVantorDlg::UpdateOverSmbusIntel() {
    CString directory;
    if (!StartSmbusFlow(*this, kIntelHost, directory))
        return;
    const bool interactive = m_strCmdLine.IsEmpty();

    std::vector<BYTE> image;
    const CString refusal = LoadAcceptedImage(*this, directory, image);
    if (!refusal.IsEmpty()) {
        Report(refusal);
        EndSmbusFlow(kIntelHost);
        return;
    }

    SendSmbusCommand(kSmbCmdBeginUpdate, kIntelHost);
    WaitMs(kBeginUpdateWaitMs);
    if (!StreamImage(*this, image, interactive)) {
        // The controller stays in its loader with part of the image; closing the window resumes it.
        Report(L"Update FW Error!");
        ReleaseDriverWhenReady();
        return;
    }

    ReadBackVersions(*this, kIntelHost);
    m_progress.SetPos(100);
    Report(L"Finish!");
    EndSmbusFlow(kIntelHost);
}

// The SMBus update flow on every other host: nothing is read back during the stream, which is
// paced instead by a pause after every eighth block.
#include <array>
#include <vector>

#include "app/vantor_dlg.h"
#include "host/wait.h"
#include "update/smbus_command_set.h"
#include "update/smbus_flow_steps.h"

namespace {
constexpr bool kIntelHost = false;
constexpr DWORD kDummyReadWaitMs = 500;
constexpr DWORD kBeginUpdateWaitMs = 1000;
constexpr DWORD kPauseWaitMs = 50;
constexpr int kBlocksPerPause = 8;

// Every whole group of 16 within the first (size - 512) bytes, in file order, as 31-byte blocks.
void StreamImage(CVantorDlg &dialog, const std::vector<BYTE> &image, bool interactive) {
    std::array<BYTE, kSmbusDataBlockLongLength> block{};
    int fill = 0;
    int pauseCounter = 1;
    const int count = static_cast<int>(image.size()) - kSmbusUnsentTail;
    for (int i = 0; i < count; ++i) {
        if (interactive && i > 0)
            ShowTransferProgress(dialog, i, count);
        block[fill] = image[i];
        if (fill == kSmbusGroupSize - 1) {
            block[kSmbusGroupSize] = DataBlockChecksum(block.data());
            SendSmbusDataBlock(kSmbCmdWriteBlock, block.data(), kSmbusDataBlockLongLength);
            if (pauseCounter == kBlocksPerPause) {
                WaitMs(kPauseWaitMs);
                pauseCounter = 1;
            } else {
                ++pauseCounter;
            }
            block.fill(0);
            fill = 0;
        } else {
            ++fill;
        }
        if (interactive)
            DropQueuedMessage();
    }
    WaitMs(kPauseWaitMs);
}
}  // namespace

void CVantorDlg::UpdateOverSmbusOther() {
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

    SmbusDummyRead();
    WaitMs(kDummyReadWaitMs);
    SendSmbusCommand(kSmbCmdBeginUpdate, kIntelHost);
    WaitMs(kBeginUpdateWaitMs);
    StreamImage(*this, image, interactive);

    ReadBackVersions(*this, kIntelHost);
    m_progress.SetPos(100);
    Report(L"Finish!");
    EndSmbusFlow(kIntelHost);
}

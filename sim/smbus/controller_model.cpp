#include "sim/smbus/controller_model.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "sim/smbus/test_image.h"
#include "sim/smbus/wire_format.h"

namespace {
constexpr LONGLONG kLoaderStartMs = 4500;
constexpr LONGLONG kApplicationStartMs = 500;
constexpr LONGLONG kConversationSettleMs = 500;
constexpr LONGLONG kEraseMs = 1000;
constexpr LONGLONG kRewriteRecoveryMs = 1000;
constexpr LONGLONG kBufferDrainQuietMs = 50;
constexpr size_t kInputBufferBlocks = 8;
constexpr size_t kFlashCapacity = 256 * 1024;
constexpr int kGroup = wire::kGroup;

TransferOutcome Taken(const std::string &detail = std::string()) {
    return {true, detail.empty() ? "taken" : "taken: " + detail};
}
TransferOutcome Lost(const std::string &why) { return {false, "lost: " + why}; }
TransferOutcome Ignored(const std::string &why) { return {false, "ignored: " + why}; }
TransferOutcome NoAnswer(const std::string &why) { return {false, "no answer: " + why}; }

BYTE Sum(const BYTE *bytes) {
    unsigned sum = 0;
    for (int i = 0; i < kGroup; ++i) sum += bytes[i];
    return static_cast<BYTE>(sum);
}

void AppendBlock(std::vector<BYTE> &flash, const BYTE *block) {
    if (flash.size() + kGroup <= kFlashCapacity) flash.insert(flash.end(), block, block + kGroup);
}
}  // namespace

LightingController::LightingController(const Scenario &scenario, const ControllerState &start)
    : m_scenario(scenario), m_state(start) {}

void LightingController::BeginSession(bool intelHost) {
    m_intelHost = intelHost;
    m_registersOpen = false;
    m_anyTransfer = false;
    m_lastWasDummy = false;
}

TransferOutcome LightingController::BlockWrite(LONGLONG now, BYTE address, BYTE command, const BYTE *data,
                                               DWORD length) {
    DrainInputBuffer(now);
    TransferOutcome outcome;
    if (address != wire::kLedAddress)
        outcome = NoAnswer("no device at this address");
    else if (!m_scenario.controllerPresent)
        outcome = NoAnswer("controller absent");
    else if (LoaderStarting(now))
        outcome = Lost("loader starting (4500 ms after 0x20)");
    else if (!data)
        outcome = Ignored("no data");
    else if (command == wire::kWriteBlock || command == wire::kRewriteBlock)
        outcome = DataBlock(now, command, data, length);
    else
        outcome = Command(now, command, data, length);
    NoteTransfer(now, false);
    return outcome;
}

TransferOutcome LightingController::BlockRead(LONGLONG now, BYTE address, BYTE command, BYTE *buffer) {
    DrainInputBuffer(now);
    TransferOutcome outcome{true, "answered"};
    if (address != wire::kLedAddress)
        outcome = NoAnswer("no device at this address");
    else if (!m_scenario.controllerPresent)
        outcome = NoAnswer("controller absent");
    else if (LoaderStarting(now))
        outcome = NoAnswer("loader starting (4500 ms after 0x20)");
    else if (command != wire::kReadStatus)
        outcome = NoAnswer("unknown read command");
    else if (!m_state.inLoader)
        outcome = NoAnswer("the application does not answer 0x25");
    else if (!m_inputBuffer.empty())
        outcome = NoAnswer("busy: blocks still in the input buffer (50 ms pause missing)");
    else if (MissesStatusRead())
        outcome = NoAnswer("status read " + std::to_string(m_statusReads) + " since 0x23 missed (scenario)");
    else if (buffer)
        FillStatus(buffer);
    NoteTransfer(now, false);
    return outcome;
}

TransferOutcome LightingController::ByteRead(LONGLONG now, BYTE address, BYTE reg, BYTE &value) {
    DrainInputBuffer(now);
    TransferOutcome outcome{true, "answered"};
    BYTE verF = 0, verS = 0;
    const bool dummyRead = address == wire::kDummyReadAddress;
    if (dummyRead)
        value = m_scenario.dummyValue;
    else if (address != wire::kLedAddress)
        outcome = NoAnswer("no device at this address");
    else if (!m_scenario.controllerPresent)
        outcome = NoAnswer("controller absent");
    else if (LoaderStarting(now))
        outcome = NoAnswer("loader starting (4500 ms after 0x20)");
    else if (m_state.inLoader)
        outcome = NoAnswer("the loader does not answer registers");
    else if (reg != wire::kRegVerF && reg != wire::kRegVerS)
        outcome = NoAnswer("unknown register");
    else if (!m_registersOpen)
        outcome = NoAnswer("registers shut: no 0x24 opened them");
    else if (now < m_registersFrom)
        outcome = NoAnswer("application starting (500 ms after 0x24)");
    else if (!FindApplicationVersion(m_state.flash, verF, verS))
        outcome = NoAnswer("no application in the flash");
    else if (reg == wire::kRegVerF && m_ffVerFReadsLeft > 0) {
        --m_ffVerFReadsLeft;
        value = 0xFF;
    } else
        value = reg == wire::kRegVerF ? verF : verS;
    NoteTransfer(now, dummyRead);
    return outcome;
}

TransferOutcome LightingController::Command(LONGLONG now, BYTE command, const BYTE *data, DWORD length) {
    if (command != wire::kEnterLoader && command != wire::kBeginUpdate && command != wire::kRunApplication)
        return Ignored("unknown command");
    std::string why;
    if (!CommandBlockValid(data, length, why)) return Ignored(why);
    if (command == wire::kEnterLoader) return EnterLoader(now);
    if (command == wire::kRunApplication) return RunApplication(now);
    return BeginUpdate(now);
}

TransferOutcome LightingController::EnterLoader(LONGLONG now) {
    const std::string dropped = DropWaitingBlocks();
    m_state.inLoader = true;
    m_state.updating = false;
    m_state.echo = 0;
    m_loaderReadyAt = now + kLoaderStartMs;
    m_registersOpen = false;
    return Taken("loader starting" + dropped);
}

TransferOutcome LightingController::RunApplication(LONGLONG now) {
    if (m_state.inLoader) {
        // The loader takes the resume without a dummy read, but not in the 500 ms one settles.
        if (m_lastWasDummy && now - m_lastTransferAt < kConversationSettleMs)
            return Lost("within 500 ms of the dummy read at 0xA0");
        const std::string dropped = DropWaitingBlocks();
        BYTE verF = 0, verS = 0;
        if (!FindApplicationVersion(m_state.flash, verF, verS))
            return Taken("no application in the flash, the loader stays" + dropped);
        m_state.inLoader = false;
        m_state.updating = false;
        OpenRegisters(now);
        return Taken("application starting" + dropped);
    }
    // Other hosts: without the dummy read the resume still reaches the running application,
    // but its registers stay shut, so a version read after it finds nothing. A run with a
    // command line other than "-f" or "-v" ends with just such a lone resume.
    if (!m_intelHost && !ConversationOpen(now)) {
        m_registersOpen = false;
        return Taken("registers shut: no dummy read at 0xA0 500 ms before");
    }
    OpenRegisters(now);
    return Taken("application resumed");
}

void LightingController::OpenRegisters(LONGLONG now) {
    m_registersOpen = true;
    m_registersFrom = now + kApplicationStartMs;
    m_ffVerFReadsLeft = m_scenario.ffVerFReads;
}

TransferOutcome LightingController::BeginUpdate(LONGLONG now) {
    if (!m_state.inLoader) return Ignored("the application does not take 0x23");
    if (!m_intelHost && !ConversationOpen(now)) return Lost("no dummy read at 0xA0 500 ms before");
    m_inputBuffer.clear();
    m_state.flash.clear();
    m_state.updating = true;
    m_state.echo = 0;
    m_blocksFrom = now + kEraseMs;
    m_blockNumber = 0;
    m_corruptionsLeft = m_scenario.wrongEchoTimes;
    m_dropsLeft = m_scenario.lostBlockTimes;
    m_lastBlockDropped = false;
    m_statusReads = 0;
    return Taken("flash erased");
}

TransferOutcome LightingController::DataBlock(LONGLONG now, BYTE command, const BYTE *data, DWORD length) {
    if (!m_state.inLoader) return Ignored("the application does not take blocks");
    if (!m_state.updating) return Ignored("no 0x23 before");
    std::string why;
    if (!DataBlockValid(data, length, why)) return Ignored(why);
    if (now < m_blocksFrom) return Lost("erase not finished (1000 ms after 0x23)");

    const bool rewrite = command == wire::kRewriteBlock;
    if (rewrite) {
        if (m_blockNumber == 0 || (!m_lastBlockDropped && m_state.flash.size() + m_inputBuffer.size() * kGroup == 0))
            return Ignored("no block to rewrite");
        if (now - m_lastBlockAt < kRewriteRecoveryMs) return Lost("rewrite within 1000 ms of the block");
    } else {
        ++m_blockNumber;
    }

    std::string detail = "block " + std::to_string(m_blockNumber) + (rewrite ? " rewritten" : "");
    if (m_blockNumber == m_scenario.lostBlock && m_dropsLeft > 0) {
        // Seen and thrown away: nothing stored, the echo stays that of the block before.
        --m_dropsLeft;
        m_lastBlockAt = now;
        m_lastBlockDropped = true;
        return Lost(detail + " dropped by the controller (scenario)");
    }
    Block block;
    std::memcpy(block.data(), data, kGroup);
    if (m_blockNumber == m_scenario.wrongEchoBlock && m_corruptionsLeft > 0) {
        --m_corruptionsLeft;
        block[0] ^= 0xFF;
        detail += ", corrupted in transfer";
    }

    // A rewrite replaces the last block stored, unless the controller dropped the block it
    // repeats: then it is stored as that block.
    const bool replace = rewrite && !m_lastBlockDropped;
    if (m_intelHost) {
        if (replace)
            std::memcpy(&m_state.flash[m_state.flash.size() - kGroup], block.data(), kGroup);
        else if (m_state.flash.size() + kGroup > kFlashCapacity)
            return Lost("flash full");
        else
            AppendBlock(m_state.flash, block.data());
    } else if (replace) {
        if (!m_inputBuffer.empty())
            m_inputBuffer.back() = block;
        else
            std::memcpy(&m_state.flash[m_state.flash.size() - kGroup], block.data(), kGroup);
    } else if (m_inputBuffer.size() >= kInputBufferBlocks) {
        return Lost(detail + ": input buffer overflow (no 50 ms pause after 8 blocks)");
    } else {
        m_inputBuffer.push_back(block);
    }
    m_lastBlockDropped = false;
    m_state.echo = Sum(block.data());
    m_lastBlockAt = now;
    return Taken(detail);
}

bool LightingController::MissesStatusRead() {
    if (!m_state.updating) return false;
    ++m_statusReads;
    const std::vector<int> &missed = m_scenario.unansweredStatusReads;
    return std::find(missed.begin(), missed.end(), m_statusReads) != missed.end();
}

void LightingController::FillStatus(BYTE *buffer) const {
    BYTE status[wire::kStatusBytes] = {7, 'L', 'D', 0, 0, 0, 0, 0xA5};
    const BYTE verF = m_state.loaderVerF;
    const BYTE verS = m_state.loaderVerS;
    switch (m_scenario.statusLayout) {
    case StatusLayout::kPlain:
        status[3] = m_state.echo;
        status[4] = verF;
        status[5] = verS;
        break;
    case StatusLayout::kShiftedUp:
        status[3] = m_state.echo;
        status[5] = verF;
        status[6] = verS;
        break;
    case StatusLayout::kShiftedDown:
        status[3] = verF;
        status[4] = verS;
        status[5] = 0xFF;
        break;
    }
    std::memcpy(buffer, status, wire::kStatusBytes);
}

ControllerState LightingController::Settled() const {
    ControllerState settled = m_state;
    for (const Block &block : m_inputBuffer) AppendBlock(settled.flash, block.data());
    return settled;
}

const std::vector<BYTE> &LightingController::FlashAt(LONGLONG now) {
    DrainInputBuffer(now);
    return m_state.flash;
}

bool LightingController::LoaderStarting(LONGLONG now) const { return m_state.inLoader && now < m_loaderReadyAt; }

bool LightingController::ConversationOpen(LONGLONG now) const {
    return m_anyTransfer && m_lastWasDummy && now - m_lastTransferAt >= kConversationSettleMs;
}

DWORD LightingController::BlockLength() const { return m_intelHost ? wire::kIntelBlockLength : wire::kOtherBlockLength; }

bool LightingController::CommandBlockValid(const BYTE *data, DWORD length, std::string &why) const {
    if (length != BlockLength()) {
        why = "command block of " + std::to_string(length) + " bytes, expected " + std::to_string(BlockLength());
        return false;
    }
    if (std::memcmp(data, wire::kPreamble, wire::kPreambleLength) != 0) {
        why = "foreign preamble";
        return false;
    }
    for (DWORD i = wire::kPreambleLength; i < length; ++i) {
        if (data[i] != 0) {
            why = "non-zero byte after the preamble";
            return false;
        }
    }
    return true;
}

bool LightingController::DataBlockValid(const BYTE *data, DWORD length, std::string &why) const {
    if (length != BlockLength()) {
        why = "data block of " + std::to_string(length) + " bytes, expected " + std::to_string(BlockLength());
        return false;
    }
    for (DWORD i = wire::kIntelBlockLength; i < length; ++i) {
        if (data[i] != 0) {
            why = "non-zero byte after the checksum";
            return false;
        }
    }
    return true;
}

void LightingController::DrainInputBuffer(LONGLONG now) {
    if (m_inputBuffer.empty() || now - m_lastTransferAt < kBufferDrainQuietMs) return;
    for (const Block &block : m_inputBuffer) AppendBlock(m_state.flash, block.data());
    m_inputBuffer.clear();
}

std::string LightingController::DropWaitingBlocks() {
    if (m_inputBuffer.empty()) return std::string();
    const size_t dropped = m_inputBuffer.size();
    m_inputBuffer.clear();
    return " (" + std::to_string(dropped) + " waiting blocks lost)";
}

void LightingController::NoteTransfer(LONGLONG now, bool dummyRead) {
    m_anyTransfer = true;
    m_lastWasDummy = dummyRead;
    m_lastTransferAt = now;
}

// The lighting controller on the SMBus, as the simulated SMBus library sees it: its modes,
// the waits each command needs, and what happens to a transfer that comes too early or out
// of order (README: "The controller model").
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "sim/smbus/controller_state.h"
#include "sim/smbus/scenario.h"

struct TransferOutcome {
    bool acknowledged;  // what the library returns: the controller took or answered it
    std::string note;   // "taken", "answered", or why not
};

class LightingController {
public:
    LightingController(const Scenario &scenario, const ControllerState &start);

    // A new host session (SMBusInitialization): the host kind; no 0x24 taken yet.
    void BeginSession(bool intelHost);
    bool IntelHost() const { return m_intelHost; }

    TransferOutcome BlockWrite(LONGLONG now, BYTE address, BYTE command, const BYTE *data, DWORD length);
    // Writes at most wire::kStatusBytes bytes of `buffer`, and nothing when it does not answer.
    TransferOutcome BlockRead(LONGLONG now, BYTE address, BYTE command, BYTE *buffer);
    TransferOutcome ByteRead(LONGLONG now, BYTE address, BYTE reg, BYTE &value);

    // The state as a later run finds it: a starting loader has started, waiting blocks are written.
    ControllerState Settled() const;
    // The flash at `now`: waiting blocks are written first when the bus has been quiet long enough.
    const std::vector<BYTE> &FlashAt(LONGLONG now);

private:
    using Block = std::array<BYTE, 16>;

    TransferOutcome Command(LONGLONG now, BYTE command, const BYTE *data, DWORD length);
    TransferOutcome DataBlock(LONGLONG now, BYTE command, const BYTE *data, DWORD length);
    TransferOutcome EnterLoader(LONGLONG now);
    TransferOutcome RunApplication(LONGLONG now);
    TransferOutcome BeginUpdate(LONGLONG now);
    void FillStatus(BYTE *buffer) const;
    // Counts a status read of the update in progress; true when the scenario leaves it unanswered.
    bool MissesStatusRead();
    void OpenRegisters(LONGLONG now);

    bool LoaderStarting(LONGLONG now) const;
    bool ConversationOpen(LONGLONG now) const;
    bool CommandBlockValid(const BYTE *data, DWORD length, std::string &why) const;
    bool DataBlockValid(const BYTE *data, DWORD length, std::string &why) const;
    DWORD BlockLength() const;
    void DrainInputBuffer(LONGLONG now);
    std::string DropWaitingBlocks();
    void NoteTransfer(LONGLONG now, bool dummyRead);

    Scenario m_scenario;
    ControllerState m_state;
    bool m_intelHost = true;

    LONGLONG m_loaderReadyAt = 0;     // the loader answers from here on
    bool m_registersOpen = false;     // a 0x24 opened the version registers in this session
    LONGLONG m_registersFrom = 0;     // the application answers 0xF2/0xF3 from here on
    int m_ffVerFReadsLeft = 0;        // answers of 0xF2 still to give 0xFF since the registers opened
    LONGLONG m_blocksFrom = 0;        // 0x23's erase is done from here on
    LONGLONG m_lastBlockAt = 0;
    int m_blockNumber = 0;            // 0x21 blocks since the last 0x23
    int m_corruptionsLeft = 0;        // faulty transfers still to come for the scenario's block
    int m_dropsLeft = 0;              // transfers of the scenario's lost block still to drop
    bool m_lastBlockDropped = false;  // the last 0x21/0x22 was dropped: a 0x22 stores its block
    int m_statusReads = 0;            // 0x25 reads since the last 0x23
    std::vector<Block> m_inputBuffer; // other hosts: blocks not yet in the flash

    bool m_anyTransfer = false;
    bool m_lastWasDummy = false;
    LONGLONG m_lastTransferAt = 0;
};

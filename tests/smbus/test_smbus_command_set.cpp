// The controller's SMBus command set: command blocks per host kind, the version registers'
// one re-read, the loader-version layouts and the data block sum.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "app/globals.h"
#include "board/driver_library.h"
#include "update/smbus_command_set.h"

namespace {
struct BlockWrite {
    BYTE address;
    BYTE command;
    std::vector<BYTE> data;
};

std::vector<BlockWrite> g_writes;
std::vector<std::pair<BYTE, BYTE>> g_byteReads;  // address, register
std::deque<BYTE> g_registerAnswers;

BOOL __stdcall FakeBlockWrite(BYTE address, BYTE command, const BYTE *data, DWORD length) {
    g_writes.push_back({address, command, std::vector<BYTE>(data, data + length)});
    return TRUE;
}

BOOL __stdcall FakeByteRead(BYTE *value, BYTE address, BYTE reg) {
    g_byteReads.emplace_back(address, reg);
    if (!g_registerAnswers.empty()) {
        *value = g_registerAnswers.front();
        g_registerAnswers.pop_front();
    }
    return TRUE;
}

// An initialised SMBus library record whose transfers the test sees.
class CommandSet : public ::testing::Test {
protected:
    void SetUp() override {
        g_smbusLibrary = new SmbusLibrary(CString(L"C:\\no-such-folder"));
        g_smbusLibrary->initialized = 1;
        g_smbusLibrary->SMB_BlockWrite3 = &FakeBlockWrite;
        g_smbusLibrary->SMB_ByteRead = &FakeByteRead;
        g_writes.clear();
        g_byteReads.clear();
        g_registerAnswers.clear();
        std::memset(g_smbusCmdBlockShort, 0, sizeof g_smbusCmdBlockShort);
        std::memset(g_smbusCmdBlockLong, 0, sizeof g_smbusCmdBlockLong);
    }
    void TearDown() override {
        delete g_smbusLibrary;
        g_smbusLibrary = nullptr;
    }
};

const std::vector<BYTE> kPreamble = {0x51, 0x56, 0x4E, 0x54, 0x52, 0x56, 0x31};

TEST_F(CommandSet, CommandBlocksAre17BytesOnIntelHostsAnd31WithZerosOnOthers) {
    WriteSmbusCommandPreamble();
    SendSmbusCommand(kSmbCmdEnterLoader, true);
    SendSmbusCommand(kSmbCmdBeginUpdate, false);

    ASSERT_EQ(2u, g_writes.size());
    std::vector<BYTE> intel = kPreamble;
    intel.resize(17, 0);
    EXPECT_EQ(kSmbLedAddress, g_writes[0].address);
    EXPECT_EQ(kSmbCmdEnterLoader, g_writes[0].command);
    EXPECT_EQ(intel, g_writes[0].data);

    std::vector<BYTE> other = kPreamble;
    other.resize(31, 0);
    EXPECT_EQ(kSmbLedAddress, g_writes[1].address);
    EXPECT_EQ(kSmbCmdBeginUpdate, g_writes[1].command);
    EXPECT_EQ(other, g_writes[1].data);
}

TEST_F(CommandSet, NothingIsSentOrReadWhileTheLibraryIsNotInitialised) {
    g_smbusLibrary->initialized = 0;
    g_registerAnswers = {0x1A};
    SendSmbusCommand(kSmbCmdRunApplication, false);
    const BYTE block[31] = {};
    SendSmbusDataBlock(kSmbCmdWriteBlock, block, 31);
    SmbusDummyRead();
    EXPECT_EQ(0, ReadLedVerF());
    EXPECT_EQ(0, ReadLedVerS());

    delete g_smbusLibrary;
    g_smbusLibrary = nullptr;
    SendSmbusCommand(kSmbCmdRunApplication, true);
    EXPECT_EQ(0, ReadLedVerF());

    EXPECT_TRUE(g_writes.empty());
    EXPECT_TRUE(g_byteReads.empty());
}

TEST_F(CommandSet, DataBlocksAndTheDummyReadGoOutAsGiven) {
    BYTE block[31] = {};
    for (int i = 0; i < 16; ++i) block[i] = static_cast<BYTE>(i);
    block[16] = DataBlockChecksum(block);
    SendSmbusDataBlock(kSmbCmdRewriteBlock, block, 17);
    SmbusDummyRead();

    ASSERT_EQ(1u, g_writes.size());
    EXPECT_EQ(kSmbCmdRewriteBlock, g_writes[0].command);
    EXPECT_EQ(std::vector<BYTE>(block, block + 17), g_writes[0].data);
    EXPECT_EQ((std::vector<std::pair<BYTE, BYTE>>{{0xA0, 0x00}}), g_byteReads);
}

TEST_F(CommandSet, VerFIsReadOnceMoreOnlyAfter0xFF) {
    struct Case {
        std::deque<BYTE> answers;
        BYTE verF;
        size_t reads;
    } cases[] = {{{0xFF, 0xFF}, 0xFF, 2}, {{0xFF, 0x01}, 0x01, 2}, {{0x1A, 0xFF}, 0x1A, 1}};
    for (const Case &c : cases) {
        g_byteReads.clear();
        g_registerAnswers = c.answers;
        EXPECT_EQ(c.verF, ReadLedVerF());
        EXPECT_EQ(c.reads, g_byteReads.size());
        for (const auto &read : g_byteReads) EXPECT_EQ(std::make_pair(kSmbLedAddress, kSmbRegVerF), read);
    }

    g_byteReads.clear();
    g_registerAnswers = {0xFF, 0x03};
    EXPECT_EQ(0xFF, ReadLedVerS());
    EXPECT_EQ((std::vector<std::pair<BYTE, BYTE>>{{kSmbLedAddress, kSmbRegVerS}}), g_byteReads);
}

TEST(LoaderVersionDecoding, FollowsTheHostKindsRule) {
    struct Case {
        BYTE b3, b4, b5, b6;
        bool intel;
        BYTE verF, verS;
    } cases[] = {
        {0x12, 0x00, 0xFF, 0x34, false, 0x12, 0x00},  // b5 = 0xFF: shifted down
        {0x99, 0x00, 0x02, 0x05, false, 0x02, 0x05},  // b4 = 0: shifted up
        {0x99, 0x01, 0x03, 0x07, false, 0x01, 0x03},  // as they stand
        {0x07, 0x01, 0x02, 0x09, false, 0x01, 0x02},
        {0x01, 0x02, 0xFF, 0x09, false, 0x01, 0x02},
        {0x05, 0x00, 0x01, 0x02, false, 0x01, 0x02},
        {0x00, 0x00, 0x00, 0x00, false, 0x00, 0x00},  // nothing read
        {0x12, 0x00, 0xFF, 0x34, true, 0x00, 0xFF},   // Intel: never shifted
        {0x99, 0x00, 0x02, 0x05, true, 0x00, 0x02},
    };
    for (const Case &c : cases) {
        BYTE status[256] = {};
        status[3] = c.b3;
        status[4] = c.b4;
        status[5] = c.b5;
        status[6] = c.b6;
        BYTE verF = 0xEE, verS = 0xEE;
        DecodeLoaderVersion(status, c.intel, verF, verS);
        EXPECT_EQ(c.verF, verF) << "case " << &c - cases;
        EXPECT_EQ(c.verS, verS) << "case " << &c - cases;
    }
}

TEST(DataBlockChecksum, IsTheLowByteOfTheSum) {
    BYTE tens[16], ffs[16], mixed[16];
    std::memset(tens, 0x10, sizeof tens);
    std::memset(ffs, 0xFF, sizeof ffs);
    for (int i = 0; i < 16; ++i) mixed[i] = static_cast<BYTE>(i * 3);
    EXPECT_EQ(0x00, DataBlockChecksum(tens));
    EXPECT_EQ(0xF0, DataBlockChecksum(ffs));
    EXPECT_EQ(0x68, DataBlockChecksum(mixed));  // 3 * 120 = 360
}
}  // namespace

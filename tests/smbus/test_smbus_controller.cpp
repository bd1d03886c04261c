// The stand-in libraries loaded by the program's own records from its directory, with the
// simulated controller following the command set: what the prescribed sequences get, and
// how a sequence that leaves out a step fails.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/globals.h"
#include "board/driver_library.h"
#include "host/wait.h"
#include "sim/smbus/sim_smbus_control.h"
#include "update/smbus_command_set.h"

namespace {
constexpr char kOtherHost[] = "host_bridge=0x14501022\n";
constexpr int kBlocksBeforePause = 8;

std::wstring ProgramDirectory() { return SimSmbusControl::ProgramDirectory(); }

// 512 + 20 blocks: more than two input buffers' worth, the version tag in block 2.
std::vector<BYTE> Image(BYTE verF, BYTE verS) { return MakeSmbusTestImage(verF, verS, 512 + 20 * 16); }

bool Contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

std::string ReadFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string TempPath(const std::string &name) {
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + "vantor-smbus-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

// The records as the start-up checks set them up, then the host kind.
bool SetUpLibraries() {
    const std::wstring directory = ProgramDirectory();
    g_driverLibrary = new DriverLibrary(SysAllocString(directory.c_str()), SysAllocString(L"Parvio_FWUpdate"));
    g_driverReady = g_driverLibrary->ready && g_driverLibrary->mutex;
    g_smbusLibrary = new SmbusLibrary(CString(directory.c_str()));
    if (g_smbusLibrary->module && g_smbusLibrary->SMBusInitialization)
        g_smbusLibrary->initialized = g_smbusLibrary->SMBusInitialization(g_driverLibrary, 0);
    g_smbusReady = g_smbusLibrary->initialized;
    WriteSmbusCommandPreamble();
    return IsIntelHostBridge();
}

void ClearLibraries() {
    g_driverLibrary = nullptr;
    g_smbusLibrary = nullptr;
    g_driverReady = 0;
    g_smbusReady = 0;
    std::memset(g_smbusCmdBlockShort, 0, sizeof g_smbusCmdBlockShort);
    std::memset(g_smbusCmdBlockLong, 0, sizeof g_smbusCmdBlockLong);
}

// The controller's conversations as the start-up checks and the flows hold them.
class ControllerConversation {
public:
    explicit ControllerConversation(bool intelHost) : m_intel(intelHost) {}

    void ReadLedVersion(BYTE &verF, BYTE &verS, bool dummyRead = true) const {
        if (!m_intel && dummyRead) {
            SmbusDummyRead();
            WaitMs(500);
        }
        SendSmbusCommand(kSmbCmdRunApplication, m_intel);
        WaitMs(500);
        verF = ReadLedVerF();
        verS = ReadLedVerS();
    }

    void ReadLoaderVersion(BYTE &verF, BYTE &verS, DWORD wait = 4500) const {
        SendSmbusCommand(kSmbCmdEnterLoader, m_intel);
        WaitMs(wait);
        ReadStatus(verF, verS);
    }

    BYTE ReadStatus(BYTE &verF, BYTE &verS) const {
        BYTE status[kSmbusStatusBlockLength] = {};
        SmbusReadBlock(status);
        DecodeLoaderVersion(status, m_intel, verF, verS);
        return status[3];
    }

    void BeginUpdate(bool dummyRead = true, DWORD wait = 1000) const {
        if (!m_intel && dummyRead) {
            SmbusDummyRead();
            WaitMs(500);
        }
        SendSmbusCommand(kSmbCmdBeginUpdate, m_intel);
        WaitMs(wait);
    }

    // Block n (from 0) of the image, with its sum, in the host's length.
    std::vector<BYTE> DataBlock(const std::vector<BYTE> &image, size_t n) const {
        std::vector<BYTE> block(m_intel ? kSmbusDataBlockShortLength : kSmbusDataBlockLongLength, 0);
        std::memcpy(block.data(), &image[n * kSmbusGroupSize], kSmbusGroupSize);
        block[16] = DataBlockChecksum(block.data());
        return block;
    }

    // Other hosts: every block, 50 ms after every eighth and after the last.
    void StreamPaced(const std::vector<BYTE> &image, bool pauses = true) const {
        const size_t blocks = (image.size() - kSmbusUnsentTail) / kSmbusGroupSize;
        for (size_t n = 0; n < blocks; ++n) {
            SendBlock(DataBlock(image, n));
            if (pauses && (n + 1) % kBlocksBeforePause == 0) WaitMs(50);
        }
        if (pauses) WaitMs(50);
    }

    // Intel hosts: every block with its echo checked; false when a block's echo stays wrong.
    bool StreamChecked(const std::vector<BYTE> &image) const {
        const size_t blocks = (image.size() - kSmbusUnsentTail) / kSmbusGroupSize;
        for (size_t n = 0; n < blocks; ++n) {
            const std::vector<BYTE> block = DataBlock(image, n);
            SendBlock(block);
            BYTE status[kSmbusStatusBlockLength] = {};
            SmbusReadBlock(status);
            if (status[3] == block[16]) continue;
            WaitMs(1000);
            SendBlock(block, kSmbCmdRewriteBlock);
            SmbusReadBlock(status);
            if (status[3] != block[16]) return false;
        }
        return true;
    }

    void SendBlock(const std::vector<BYTE> &block, BYTE command = kSmbCmdWriteBlock) const {
        SendSmbusDataBlock(command, block.data(), static_cast<int>(block.size()));
    }

private:
    bool m_intel;
};

class SimulatedController : public ::testing::Test {
protected:
    SimulatedController() : sim(ProgramDirectory()) {}

    // Configures the simulator, then sets the libraries up through the program's records.
    ControllerConversation Start(const std::string &scenario) {
        EXPECT_TRUE(sim.Configure(scenario));
        SetWaitRecorder([this](DWORD ms) { sim.AdvanceClock(ms); });
        return ControllerConversation(SetUpLibraries());
    }

    void TearDown() override {
        SetWaitRecorder(WaitRecorder());
        ClearLibraries();
    }

    static std::vector<BYTE> Sent(const std::vector<BYTE> &image, size_t blocks) {
        return std::vector<BYTE>(image.begin(), image.begin() + blocks * kSmbusGroupSize);
    }

    SimSmbusControl sim;
};

TEST_F(SimulatedController, IntelHostVersionsInTheApplicationAndInTheLoader) {
    ControllerConversation controller = Start("app_version=1A03\nloader_version=0205\n");
    EXPECT_TRUE(Contains(sim.Trace(), "SMBusInitialization")) << sim.Trace();
    EXPECT_TRUE(Contains(sim.Trace(), "host=intel"));

    BYTE verF = 0, verS = 0;
    controller.ReadLedVersion(verF, verS);
    EXPECT_EQ(0x1A, verF);
    EXPECT_EQ(0x03, verS);
    controller.ReadLoaderVersion(verF, verS);
    EXPECT_EQ(0x02, verF);
    EXPECT_EQ(0x05, verS);
    EXPECT_TRUE(Contains(sim.Trace(), "Corrant SMB_BlockWrite3 addr=52 cmd=20 len=17 data=51564E54525631000000"))
        << sim.Trace();
}

// Each layout the other-host rule covers decodes to the loader's version.
TEST_F(SimulatedController, OtherHostVersionsInEveryStatusLayout) {
    for (const char *layout : {"plain", "shifted_up", "shifted_down"}) {
        ClearLibraries();
        ControllerConversation controller =
            Start(std::string(kOtherHost) + "app_version=1A03\nloader_version=0205\nstatus_layout=" + layout);
        EXPECT_TRUE(Contains(sim.Trace(), "host=other"));
        BYTE verF = 0, verS = 0;
        controller.ReadLedVersion(verF, verS);
        EXPECT_EQ(0x1A, verF) << layout;
        EXPECT_EQ(0x03, verS) << layout;
        controller.ReadLoaderVersion(verF, verS);
        EXPECT_EQ(0x02, verF) << layout;
        EXPECT_EQ(0x05, verS) << layout;
    }
}

TEST_F(SimulatedController, IntelHostBlockIsWrittenAndEchoedThenTheNewFirmwareRuns) {
    ControllerConversation controller = Start("app_version=1A03\n");
    const std::vector<BYTE> image = Image(0x1A, 0x04);
    BYTE verF = 0, verS = 0;
    controller.ReadLoaderVersion(verF, verS);
    controller.BeginUpdate();

    const std::vector<BYTE> first = controller.DataBlock(image, 0);
    controller.SendBlock(first);
    EXPECT_EQ(first[16], controller.ReadStatus(verF, verS));
    EXPECT_EQ(Sent(image, 1), sim.Flash());

    ASSERT_TRUE(controller.StreamChecked(std::vector<BYTE>(image.begin() + 16, image.end())));
    EXPECT_EQ(Sent(image, 20), sim.Flash());
    controller.ReadLedVersion(verF, verS);
    EXPECT_EQ(0x1A, verF);
    EXPECT_EQ(0x04, verS);
}

TEST_F(SimulatedController, OtherHostPacedStreamWritesEveryBlock) {
    ControllerConversation controller = Start(std::string(kOtherHost) + "app_version=1A03\n");
    const std::vector<BYTE> image = Image(0x1A, 0x05);
    BYTE verF = 0, verS = 0;
    controller.ReadLedVersion(verF, verS);
    controller.ReadLoaderVersion(verF, verS);
    controller.BeginUpdate();
    controller.StreamPaced(image);
    controller.ReadStatus(verF, verS);
    EXPECT_EQ(0x02, verF);

    EXPECT_EQ(Sent(image, 20), sim.Flash());
    // Inside the conversation the resume needs no dummy read.
    controller.ReadLedVersion(verF, verS, false);
    EXPECT_EQ(0x1A, verF);
    EXPECT_EQ(0x05, verS);
    EXPECT_FALSE(Contains(sim.Trace(), "lost")) << sim.Trace();
}

// Once: the rewrite mends the block. Twice: the block stays corrupted and the stream fails.
TEST_F(SimulatedController, WrongEchoOnABlock) {
    const std::vector<BYTE> image = Image(0x1A, 0x04);
    for (int times : {1, 2}) {
        ClearLibraries();
        ControllerConversation controller =
            Start("wrong_echo_block=2\nwrong_echo_times=" + std::to_string(times) + "\n");
        BYTE verF = 0, verS = 0;
        controller.ReadLoaderVersion(verF, verS);
        controller.BeginUpdate();
        EXPECT_EQ(times == 1, controller.StreamChecked(image));
        EXPECT_TRUE(Contains(sim.Trace(), "block 2, corrupted in transfer"));
        EXPECT_TRUE(Contains(sim.Trace(), "block 2 rewritten"));

        std::vector<BYTE> expected = Sent(image, times == 1 ? 20 : 2);
        if (times == 2) expected[16] ^= 0xFF;
        EXPECT_EQ(expected, sim.Flash()) << times;
    }
}

TEST_F(SimulatedController, RewriteWithoutItsWaitIsLost) {
    ControllerConversation controller = Start("wrong_echo_block=1\n");
    const std::vector<BYTE> image = Image(0x1A, 0x04);
    BYTE verF = 0, verS = 0;
    controller.ReadLoaderVersion(verF, verS);
    controller.BeginUpdate();
    const std::vector<BYTE> block = controller.DataBlock(image, 0);
    controller.SendBlock(block);
    EXPECT_NE(block[16], controller.ReadStatus(verF, verS));
    controller.SendBlock(block, kSmbCmdRewriteBlock);
    EXPECT_NE(block[16], controller.ReadStatus(verF, verS));
    EXPECT_TRUE(Contains(sim.Trace(), "lost: rewrite within 1000 ms")) << sim.Trace();
}

TEST_F(SimulatedController, LoaderDoesNotAnswerBeforeItsStartingTime) {
    ControllerConversation controller = Start("loader_version=0205\n");
    BYTE verF = 0xEE, verS = 0xEE;
    controller.ReadLoaderVersion(verF, verS, 4000);
    EXPECT_EQ(0, verF);
    EXPECT_EQ(0, verS);
    EXPECT_TRUE(Contains(sim.Trace(), "no answer: loader starting")) << sim.Trace();
    // A command sent while it starts is lost as well.
    controller.BeginUpdate();
    EXPECT_TRUE(Contains(sim.Trace(), "cmd=23 len=17 data=51564E5452563100000000000000000000 -> 0 lost"))
        << sim.Trace();
}

TEST_F(SimulatedController, BlocksBeforeTheEraseEndsAreLost) {
    ControllerConversation controller = Start("");
    const std::vector<BYTE> image = Image(0x1A, 0x04);
    BYTE verF = 0, verS = 0;
    controller.ReadLoaderVersion(verF, verS);
    controller.BeginUpdate(true, 900);
    controller.SendBlock(controller.DataBlock(image, 0));
    EXPECT_TRUE(sim.Flash().empty());
    EXPECT_TRUE(Contains(sim.Trace(), "lost: erase not finished")) << sim.Trace();
}

TEST_F(SimulatedController, ApplicationAnswersOnly500MsAfterTheResume) {
    Start("app_version=1A03\n");
    SendSmbusCommand(kSmbCmdRunApplication, true);
    WaitMs(400);
    EXPECT_EQ(0, ReadLedVerF());
    WaitMs(100);
    EXPECT_EQ(0x1A, ReadLedVerF());
}

// The resume still reaches the running application (a run that only ends sends it alone),
// but without the dummy read and its wait the version registers stay shut.
TEST_F(SimulatedController, OtherHostResumeWithoutTheDummyReadOrItsWaitLeavesTheRegistersShut) {
    ControllerConversation controller = Start(std::string(kOtherHost) + "app_version=1A03\n");
    BYTE verF = 0xEE, verS = 0xEE;
    controller.ReadLedVersion(verF, verS, false);
    EXPECT_EQ(0, verF);
    EXPECT_EQ(0, verS);
    EXPECT_TRUE(Contains(sim.Trace(), "-> 1 taken: registers shut: no dummy read at 0xA0 500 ms before"))
        << sim.Trace();

    SmbusDummyRead();
    WaitMs(400);
    SendSmbusCommand(kSmbCmdRunApplication, false);
    WaitMs(500);
    EXPECT_EQ(0, ReadLedVerF());

    // Opened properly the registers answer; a lone resume after that shuts them again.
    controller.ReadLedVersion(verF, verS);
    EXPECT_EQ(0x1A, verF);
    SendSmbusCommand(kSmbCmdRunApplication, false);
    WaitMs(500);
    EXPECT_EQ(0, ReadLedVerF());
    EXPECT_TRUE(Contains(sim.State(), "mode=application")) << sim.State();
    EXPECT_FALSE(Contains(sim.Trace(), "lost")) << sim.Trace();
}

TEST_F(SimulatedController, OtherHostBeginUpdateWithoutTheDummyReadIsLost) {
    ControllerConversation controller = Start(kOtherHost);
    const std::vector<BYTE> image = Image(0x1A, 0x04);
    BYTE verF = 0, verS = 0;
    controller.ReadLoaderVersion(verF, verS);
    const std::vector<BYTE> before = sim.Flash();
    controller.BeginUpdate(false);
    controller.StreamPaced(image);
    EXPECT_EQ(before, sim.Flash());
    EXPECT_TRUE(Contains(sim.Trace(), "ignored: no 0x23 before")) << sim.Trace();
}

TEST_F(SimulatedController, OtherHostStreamWithoutPausesLosesBlocks) {
    ControllerConversation controller = Start(kOtherHost);
    const std::vector<BYTE> image = Image(0x1A, 0x04);
    BYTE verF = 0, verS = 0;
    controller.ReadLoaderVersion(verF, verS);
    controller.BeginUpdate();
    controller.StreamPaced(image, false);
    // Without the pause after the stream the loader is still busy and gives no status.
    EXPECT_EQ(0, controller.ReadStatus(verF, verS));
    EXPECT_EQ(0, verF);
    EXPECT_TRUE(Contains(sim.Trace(), "busy: blocks still in the input buffer")) << sim.Trace();

    // Only the first eight blocks got in; the flash lacks the rest.
    WaitMs(50);
    EXPECT_EQ(Sent(image, 8), sim.Flash());
    EXPECT_TRUE(Contains(sim.Trace(), "block 9: input buffer overflow"));
}

TEST_F(SimulatedController, CommandsWithoutTheSystemsPreambleAreIgnored) {
    ControllerConversation controller = Start("app_version=1A03\n");
    std::memset(g_smbusCmdBlockShort, 0, sizeof g_smbusCmdBlockShort);
    BYTE verF = 0xEE, verS = 0xEE;
    controller.ReadLedVersion(verF, verS);
    EXPECT_EQ(0, verF);
    EXPECT_TRUE(Contains(sim.Trace(), "ignored: foreign preamble")) << sim.Trace();
}

TEST_F(SimulatedController, ControllerThatDoesNotAnswerYieldsZeros) {
    ControllerConversation controller = Start("controller=absent\n");
    BYTE verF = 0xEE, verS = 0xEE;
    controller.ReadLedVersion(verF, verS);
    EXPECT_EQ(0, verF);
    EXPECT_EQ(0, verS);
    controller.ReadLoaderVersion(verF, verS);
    EXPECT_EQ(0, verF);
    EXPECT_EQ(0, verS);
}

TEST_F(SimulatedController, DriverAcceptsCallsAfterItsRelease) {
    Start("host_bridge=0x12348086\n");
    ReleaseDriverLibrary();
    EXPECT_TRUE(IsIntelHostBridge());
    ReleaseDriverLibrary();
    EXPECT_TRUE(Contains(sim.State(), "driver_releases=2")) << sim.State();
}

TEST_F(SimulatedController, StateCarriesOverToTheNextSession) {
    const std::string stateFile = TempPath("state.txt");
    DeleteFileA(stateFile.c_str());
    const std::vector<BYTE> image = Image(0x1B, 0x04);
    {
        ControllerConversation controller = Start(std::string(kOtherHost) + "state_file=" + stateFile + "\n");
        BYTE verF = 0, verS = 0;
        controller.ReadLoaderVersion(verF, verS);
        controller.BeginUpdate();
        controller.StreamPaced(image);
        controller.ReadStatus(verF, verS);
        controller.ReadLedVersion(verF, verS, false);
    }
    const std::string saved = ReadFile(stateFile);
    EXPECT_TRUE(Contains(saved, "mode=application\n")) << saved;
    EXPECT_TRUE(Contains(saved, "write_offset=320\n")) << saved;

    // A later run continues from the file, whatever the scenario's start state says.
    ClearLibraries();
    ControllerConversation controller =
        Start(std::string(kOtherHost) + "app_version=1A03\nstate_file=" + stateFile + "\n");
    BYTE verF = 0, verS = 0;
    controller.ReadLedVersion(verF, verS);
    EXPECT_EQ(0x1B, verF);
    EXPECT_EQ(0x04, verS);
    DeleteFileA(stateFile.c_str());
}

// Separate program runs configured only through the environment, on a virtual clock.
TEST(SimulatedControllerAcrossRuns, ScenarioStateAndTraceFilesAndTheVirtualClock) {
    const std::string scenario = TempPath("scenario.txt");
    std::ofstream(scenario) << "# an AMD host whose loader shifts its version up\n"
                               "host_bridge = 0x14501022\nstatus_layout = shifted_up\n"
                               "loader_version = 0205\napp_version = 1A03\n";
    DeleteFileA((scenario + ".state").c_str());
    DeleteFileA((scenario + ".trace").c_str());

    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring clock = L"VantorSmbusTestClock" + std::to_wstring(GetCurrentProcessId());
    for (const wchar_t *run : {L"update", L"read"}) {
        SetEnvironmentVariableA("VANTOR_SMBUS_SCENARIO", scenario.c_str());
        SetEnvironmentVariableW(L"VANTOR_VIRTUAL_CLOCK", clock.c_str());
        SetEnvironmentVariableW(L"VANTOR_SMBUS_CHILD_RUN", run);
        std::wstring command = std::wstring(L"\"") + program + L"\" --gtest_filter=SimulatedControllerChildRun.*";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        EXPECT_EQ(0u, exitCode);
        SetEnvironmentVariableA("VANTOR_SMBUS_SCENARIO", nullptr);
        SetEnvironmentVariableW(L"VANTOR_VIRTUAL_CLOCK", nullptr);
        SetEnvironmentVariableW(L"VANTOR_SMBUS_CHILD_RUN", nullptr);
    }

    const std::string trace = ReadFile(scenario + ".trace");
    // First run: versions before the update, the loader's shifted-up status, a written image.
    EXPECT_TRUE(Contains(trace, "reg=F2 -> 1 answered value=1A")) << trace;
    EXPECT_TRUE(Contains(trace, "cmd=25 -> 1 answered data=074C4400000205A5")) << trace;
    EXPECT_TRUE(Contains(trace, "taken: block 20\n")) << trace;
    // Second run: the application from the image written by the first.
    EXPECT_TRUE(Contains(trace, "reg=F2 -> 1 answered value=1B")) << trace;
    EXPECT_TRUE(Contains(trace, "reg=F3 -> 1 answered value=07")) << trace;
    EXPECT_FALSE(Contains(trace, "lost")) << trace;
    EXPECT_TRUE(Contains(ReadFile(scenario + ".state"), "mode=application")) << ReadFile(scenario + ".state");
    // Waits came from the virtual clock: the first run's time stamps reach past 4.5 s.
    EXPECT_TRUE(Contains(trace, "\n5500 Corrant SMB_BlockRead3")) << trace;

    DeleteFileA(scenario.c_str());
    DeleteFileA((scenario + ".state").c_str());
    DeleteFileA((scenario + ".trace").c_str());
}

// One program run of the test above; skipped unless that test started it.
TEST(SimulatedControllerChildRun, Run) {
    char run[16] = {};
    if (!GetEnvironmentVariableA("VANTOR_SMBUS_CHILD_RUN", run, sizeof run)) GTEST_SKIP();
    ControllerConversation controller(SetUpLibraries());
    BYTE verF = 0, verS = 0;
    controller.ReadLedVersion(verF, verS);
    if (std::string(run) == "update") {
        controller.ReadLoaderVersion(verF, verS);
        EXPECT_EQ(0x02, verF);
        EXPECT_EQ(0x05, verS);
        controller.BeginUpdate();
        controller.StreamPaced(Image(0x1B, 0x07));
        SendSmbusCommand(kSmbCmdRunApplication, false);
    }
    ClearLibraries();
}
}  // namespace

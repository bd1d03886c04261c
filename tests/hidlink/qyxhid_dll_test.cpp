// The stand-in "QyxHid.dll" under Wine: its exports, and the device steps run against it in
// separate program runs (hid_steps_runner.exe), with the controller's state carried from one
// run to the next in the state file and every exchange in the trace file.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
std::string ProgramDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.find_last_of('\\') + 1);
}

std::string ReadText(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream all;
    all << file.rdbuf();
    return all.str();
}

std::vector<std::string> ReadLines(const std::string &path) {
    std::vector<std::string> lines;
    std::istringstream text(ReadText(path));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Lines holding every one of `parts`.
int CountContaining(const std::vector<std::string> &lines, const std::vector<std::string> &parts) {
    int count = 0;
    for (const std::string &line : lines) {
        bool all = true;
        for (const std::string &part : parts) all = all && line.find(part) != std::string::npos;
        count += all;
    }
    return count;
}

int CountContaining(const std::vector<std::string> &lines, const std::string &part) {
    return CountContaining(lines, std::vector<std::string>{part});
}

// Image bytes carrying the version marker (VerF 3, VerS 4) at 0x200.
std::vector<uint8_t> TestImage(size_t size) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 31 + 7);
    const std::string marker = "VTRFWVER";
    std::copy(marker.begin(), marker.end(), image.begin() + 0x200);
    image[0x208] = 0x03;
    image[0x209] = 0x04;
    return image;
}

std::string Hex(const std::vector<uint8_t> &bytes) {
    std::string text;
    char digits[3];
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        text += digits;
    }
    return text;
}

// The trace's hexadecimal form of an application report and a loader packet.
std::string ApReportHex(uint8_t command, uint8_t fill) {
    std::vector<uint8_t> bytes(64, fill);
    bytes[0] = 0x01;
    bytes[1] = command;
    return "data=" + Hex(bytes);
}

std::string LoaderPacketHex(uint8_t command) {
    std::vector<uint8_t> bytes(65, 0x00);
    bytes[1] = command;
    return "data=" + Hex(bytes);
}

// A folder of its own per test for the scenario, state and trace files; the environment that
// names them is set for the runs this test starts.
class QyxHidDllTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_dir = std::string(temp) + "vantor_qyxhid_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++counter) + "\\";
        CreateDirectoryA(m_dir.c_str(), nullptr);
        SetEnvironmentVariableA("VANTOR_HID_SCENARIO", (m_dir + "scenario.txt").c_str());
        SetEnvironmentVariableA("VANTOR_HID_STATE", (m_dir + "state.txt").c_str());
        SetEnvironmentVariableA("VANTOR_HID_TRACE", (m_dir + "trace.txt").c_str());
        SetEnvironmentVariableA("VANTOR_VIRTUAL_CLOCK", ("vantor_qyxhid_clock_" + std::to_string(counter)).c_str());
    }

    void TearDown() override {
        for (const char *name : {"VANTOR_HID_SCENARIO", "VANTOR_HID_STATE", "VANTOR_HID_TRACE", "VANTOR_VIRTUAL_CLOCK"})
            SetEnvironmentVariableA(name, nullptr);
        for (const char *file : {"scenario.txt", "state.txt", "trace.txt", "runner.out", "LED_v0304.bin"})
            DeleteFileA((m_dir + file).c_str());
        RemoveDirectoryA(m_dir.c_str());
    }

    void Scenario(const std::string &text) { std::ofstream(m_dir + "scenario.txt", std::ios::binary) << text; }

    // Writes `image` as LED_v0304.bin in the test's folder; its path.
    std::string ImageFile(const std::vector<uint8_t> &image) {
        std::string path = m_dir + "LED_v0304.bin";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(image.data()), static_cast<std::streamsize>(image.size()));
        return path;
    }

    // One program run of the runner with `actions`; its output lines. The runner writes them to a
    // file: no handle of this process is handed down.
    std::vector<std::string> Run(const std::string &actions) {
        std::string outPath = m_dir + "runner.out";
        DeleteFileA(outPath.c_str());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::string command = "\"" + ProgramDirectory() + "hid_steps_runner.exe\" \"" + outPath + "\" " + actions;
        BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                      nullptr, &startup, &process);
        EXPECT_TRUE(started) << command;
        if (!started) return {};
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000));
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        EXPECT_EQ(0u, exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return ReadLines(outPath);
    }

    std::string StateText() { return ReadText(m_dir + "state.txt"); }
    std::vector<std::string> Trace() { return ReadLines(m_dir + "trace.txt"); }

    std::string m_dir;
};

TEST(QyxHidExportsTest, ExactlyTheFiveFunctionsUnderTheirPlainNames) {
    HMODULE library = LoadLibraryW(L"QyxHid.dll");
    ASSERT_NE(nullptr, library);
    auto base = reinterpret_cast<const BYTE *>(library);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + entry.VirtualAddress);
    auto names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
    std::vector<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) exported.push_back(reinterpret_cast<const char *>(base + names[i]));
    EXPECT_EQ((std::vector<std::string>{"CloseDevice", "IsDeviceConnect", "ReadDeviceInput", "WriteDeviceOutput",
                                        "openMyDevice_Read"}),
              exported);
    EXPECT_EQ(5u, exports->NumberOfFunctions);
    FreeLibrary(library);
}

TEST_F(QyxHidDllTest, StartUpReadsBothVersionsThroughBothIdentities) {
    Scenario("mode=application\nfw_version=0x12\nloader_version=0x14\nno_loader_version=1\n");
    std::vector<std::string> out = Run("detect loader enter wait:800 loader detect leave fw");
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "detect flag=0", "loader result=7 verF=0 verS=0",
                                        "enter result=1", "loader result=1 verF=1 verS=4", "detect flag=1",
                                        "leave result=1", "fw result=1 verF=1 verS=2"}),
              out);
    std::vector<std::string> trace = Trace();
    EXPECT_EQ(1, CountContaining(trace, ApReportHex(0xB6, 0xCC)));
    EXPECT_EQ(1, CountContaining(trace, ApReportHex(0xA0, 0x00)));
    EXPECT_EQ(1, CountContaining(trace, {"t=800 call=WriteDeviceOutput", "length=65 result=1", LoaderPacketHex(0xA6)}));
    EXPECT_EQ(1, CountContaining(trace, LoaderPacketHex(0xAB)));
    EXPECT_EQ(1, CountContaining(trace, ApReportHex(0xB0, 0xCC)));
    EXPECT_EQ(1, CountContaining(trace, "event=enumerate identity=loader"));
    EXPECT_EQ(0, CountContaining(trace, "protocol_error"));
    EXPECT_NE(std::string::npos, StateText().find("mode=application\n"));
}

TEST_F(QyxHidDllTest, AnUpdateSpreadOverTwoRunsLeavesTheNewImageRunning) {
    Scenario("mode=application\nfw_version=0x12\n");
    const std::vector<uint8_t> image = TestImage(700);
    const std::string imagePath = ImageFile(image);

    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "enter result=1", "erase result=1"}),
              Run("enter wait:800 erase wait:1"));
    std::string state = StateText();
    EXPECT_NE(std::string::npos, state.find("mode=loader\n")) << state;
    EXPECT_NE(std::string::npos, state.find("flash_state=erased\n")) << state;

    std::vector<std::string> out =
        Run("fw stream:" + imagePath + " reset wait:2000 leave loader fw");
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "fw result=3 verF=0 verS=0", "stream result=1 packets=13",
                                        "reset result=1", "leave result=1", "loader result=1 verF=1 verS=4",
                                        "fw result=1 verF=3 verS=4"}),
              out);
    state = StateText();
    EXPECT_NE(std::string::npos, state.find("mode=application\n")) << state;
    EXPECT_NE(std::string::npos, state.find("flash_state=valid\n")) << state;
    EXPECT_NE(std::string::npos, state.find("image=" + Hex(image) + "\n"));

    std::vector<std::string> trace = Trace();
    EXPECT_EQ(2, CountContaining(trace, "event=run_start"));
    EXPECT_EQ(1, CountContaining(trace, "event=run_start source=state"));
    EXPECT_EQ(1, CountContaining(trace, "event=flash image_complete length=700 version=0x34"));
    EXPECT_EQ(1, CountContaining(trace, LoaderPacketHex(0xAD)));
    EXPECT_EQ(0, CountContaining(trace, LoaderPacketHex(0xAB))) << "the reset already booted the application";
    EXPECT_EQ(0, CountContaining(trace, "protocol_error"));
}

TEST_F(QyxHidDllTest, StepsThatSkipTheirWaitFail) {
    Scenario("mode=application\n");
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "enter result=1", "loader result=3 verF=0 verS=0",
                                        "erase result=3"}),
              Run("enter loader erase"));
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "erase result=1", "stream result=0 packets=0"}),
              Run("erase stream:" + ImageFile(TestImage(600))));
    EXPECT_EQ(1, CountContaining(Trace(), "event=protocol_error reason=command_while_erasing"));
}

TEST_F(QyxHidDllTest, FaultsFromTheScenario) {
    Scenario("mode=none\nclose_zero_fails=1\n");
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "reset result=4"}), Run("reset"));
    EXPECT_EQ(1, CountContaining(Trace(), "call=CloseDevice handle=0x0 result=0 fault=injected"));

    DeleteFileA((m_dir + "state.txt").c_str());
    Scenario("mode=application\nfail_read=1\n");
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "fw result=7 verF=0 verS=0"}), Run("fw"));
}

TEST_F(QyxHidDllTest, ACablePulledMidStreamLeavesTheLoaderOnTheNextRun) {
    Scenario("mode=loader\nflash_state=erased\nvanish_at_packet=2\n");
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "stream result=0 packets=1"}),
              Run("stream:" + ImageFile(TestImage(600))));
    EXPECT_NE(std::string::npos, StateText().find("flash_state=partial\n"));
    // Plugged in again: the half-written application cannot run.
    Scenario("");
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "leave result=1", "detect flag=1"}), Run("leave detect"));
    EXPECT_EQ(1, CountContaining(Trace(), "event=run_refused flash=partial"));
}

TEST_F(QyxHidDllTest, ABrokenScenarioShowsNoDevice) {
    Scenario("mode=application\nmood=happy\n");
    EXPECT_EQ((std::vector<std::string>{"ids product=0x2C41", "fw result=3 verF=0 verS=0"}), Run("fw"));
    EXPECT_EQ(1, CountContaining(Trace(), "event=setup_error scenario line 2: unknown key \"mood\""));
}
}  // namespace

#include "tests/update_smbus/smbus_run_fixture.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <sstream>

namespace {

std::unique_ptr<SimSmbusControl> g_sim;

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// "<ms> <dll> <function> <arguments> -> <result> <outcome>": the call and its arguments.
std::string CallPart(const std::string &line) { return line.substr(0, line.find(" -> ")); }
std::string ResultPart(const std::string &line) {
    const size_t arrow = line.find(" -> ");
    return arrow == std::string::npos ? std::string() : line.substr(arrow + 4);
}
std::string Function(const std::string &line) {
    std::istringstream in(line);
    std::string ms, dll, function;
    in >> ms >> dll >> function;
    return function;
}
std::string Argument(const std::string &line, const std::string &key) {
    const std::string call = CallPart(line);
    const size_t at = call.find(" " + key + "=");
    if (at == std::string::npos) return std::string();
    const size_t first = at + key.size() + 2;
    return call.substr(first, call.find(' ', first) - first);
}

std::string EventOf(const std::string &line) {
    const std::string function = Function(line);
    if (function == "SMB_BlockWrite3") return "write " + Argument(line, "cmd") + "/" + Argument(line, "len");
    if (function == "SMB_BlockRead3") return "read " + Argument(line, "cmd");
    if (function == "SMB_ByteRead") return "byte " + Argument(line, "addr") + ":" + Argument(line, "reg");
    if (function == "PCIConfigRead") return "pci";
    if (function == "DriverRelease") return "release";
    if (function == "DriverInitialization") return "driver init";
    if (function == "SMBusInitialization") return "smbus init";
    return function;
}

std::vector<BYTE> HexBytes(const std::string &hex) {
    std::vector<BYTE> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<BYTE>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

}  // namespace

std::vector<BYTE> FirmwareImage(BYTE verF, BYTE verS, size_t size) { return MakeSmbusTestImage(verF, verS, size); }

std::vector<BYTE> ExpectedBlock(const std::vector<BYTE> &image, size_t index, size_t length) {
    std::vector<BYTE> block(length, 0);
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(index * 16), 16, block.begin());
    block[16] = static_cast<BYTE>(std::accumulate(block.begin(), block.begin() + 16, 0u) & 0xFF);
    return block;
}

void SmbusRunTest::SetUp() {
    DialogRunTest::SetUp();
    if (HasFatalFailure()) return;
    if (!g_sim) g_sim = std::make_unique<SimSmbusControl>(SimSmbusControl::ProgramDirectory());
    ASSERT_TRUE(g_sim->DriverLoaded() && g_sim->SmbusLoaded()) << "Wendil.dll and Corrant.dll belong beside the test";
    sim_ = g_sim.get();
    ServeBoard("QZ-2C30", "1.0");  // off the USB list: the SMBus transport
    Configure("");
}

void SmbusRunTest::TearDown() {
    for (const RecordedMessageBox &box : boxes_) {
        EXPECT_EQ(box.caption, L"Vantor") << box.text;
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_TOPMOST)) << box.text;
    }
    DialogRunTest::TearDown();
}

void SmbusRunTest::OnWait(DWORD ms) {
    TakeNewTraceLines();
    events_.push_back("wait " + std::to_string(ms));
    sim_->AdvanceClock(ms);
}

void SmbusRunTest::Configure(const std::string &scenario) {
    ASSERT_TRUE(sim_->Configure(scenario)) << scenario;
    traceLines_.clear();
    events_.clear();
    traceTaken_ = 0;
    markedEvent_ = 0;
    markedTraceLine_ = 0;
}

void SmbusRunTest::MarkTraffic() {
    TakeNewTraceLines();
    markedEvent_ = events_.size();
    markedTraceLine_ = traceLines_.size();
}

void SmbusRunTest::TakeNewTraceLines() {
    const std::vector<std::string> lines = Lines(sim_->Trace());
    for (; traceTaken_ < lines.size(); ++traceTaken_) {
        traceLines_.push_back(lines[traceTaken_]);
        events_.push_back(EventOf(lines[traceTaken_]));
    }
}

std::vector<std::string> SmbusRunTest::Traffic() {
    TakeNewTraceLines();
    return std::vector<std::string>(events_.begin() + static_cast<std::ptrdiff_t>(markedEvent_), events_.end());
}

std::vector<std::vector<BYTE>> SmbusRunTest::DataBlocks() {
    TakeNewTraceLines();
    std::vector<std::vector<BYTE>> blocks;
    for (size_t i = markedTraceLine_; i < traceLines_.size(); ++i)
        if (Function(traceLines_[i]) == "SMB_BlockWrite3" && Argument(traceLines_[i], "cmd") == "21")
            blocks.push_back(HexBytes(Argument(traceLines_[i], "data")));
    return blocks;
}

std::vector<std::string> SmbusRunTest::FailedTransfers() {
    TakeNewTraceLines();
    std::vector<std::string> failed;
    for (const std::string &line : traceLines_)
        if (Function(line).rfind("SMB_", 0) == 0 && ResultPart(line).rfind("1 ", 0) != 0) failed.push_back(line);
    return failed;
}

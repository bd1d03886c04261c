#include "tests/e2e_run/board_run.h"

#include <fstream>
#include <sstream>

#include "sim/qyxhid/firmware_image.h"
#include "sim/qyxhid/scenario_file.h"
#include "sim/smbus/test_image.h"
#include "tests/e2e_run/line_file.h"
#include "tests/e2e_support/log_file.h"
#include "tests/e2e_support/registry_values.h"
#include "tests/e2e_support/text_conversion.h"

namespace e2e {

namespace {

constexpr char kUsbBoard[] = "manufacturer=QYX\nproduct=B650 GAMING (QZ-2C41)\nversion=1.0\n";
constexpr char kSmbusBoard[] = "manufacturer=QYX\nproduct=X870 AERO (QZ-3B10)\nversion=1.0\n";
// Firmware 1.2 with loader 1.4 on the USB board.
constexpr char kUsbController[] = "mode=application\nproduct_id=0x2C41\nloader_version=0x14\nfw_version=0x12\n";
// Firmware 1A03 with loader 0205 on the SMBus, behind an Intel or an AMD host bridge.
constexpr char kSmbusIntelController[] = "host_bridge=0x3E308086\napp_version=1A03\nloader_version=0205\n";
constexpr char kSmbusOtherController[] = "host_bridge=0x14801022\napp_version=1A03\nloader_version=0205\n";

std::vector<uint8_t> HexBytes(const std::string &hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

bool IsUsb(Transport transport) { return transport == Transport::kUsb; }

}  // namespace

const char *TransportName(Transport transport) {
    switch (transport) {
    case Transport::kUsb: return "USB";
    case Transport::kSmbusIntel: return "SMBus, Intel host";
    case Transport::kSmbusOther: return "SMBus, other host";
    }
    return "?";
}

std::vector<uint8_t> UsbImage(uint8_t verF, uint8_t verS, size_t length) {
    std::vector<uint8_t> image(length);
    for (size_t i = 0; i < length; ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
    const std::vector<uint8_t> marker = MakeFirmwareImage(verF, verS);
    std::copy(marker.begin(), marker.end(), image.begin() + 100);
    return image;
}

std::vector<uint8_t> SmbusImage(uint8_t verF, uint8_t verS, size_t length) {
    const std::vector<BYTE> image = MakeSmbusTestImage(verF, verS, length);
    return std::vector<uint8_t>(image.begin(), image.end());
}

BoardRun::BoardRun(const std::wstring &name, const BoardSetup &setup) : setup_(setup) {
    const bool usb = IsUsb(setup.transport);
    // The program imports "QyxHid.dll" on every board.
    std::vector<std::wstring> binFiles = {L"QyxHid.dll"};
    if (!usb) {
        binFiles.push_back(L"Corrant.dll");
        if (setup.driverLibrary) binFiles.push_back(L"Wendil.dll");
    }
    run_ = std::make_unique<VantorRun>(name, binFiles, setup.program);
    Sandbox &box = run_->sandbox();
    ChildEnvironment &env = run_->env();
    ok_ = run_->ok() && ClearProgramRegistry() && box.CopyFromBin(L"wmi-standin\\wbemprox.dll", L"wbemprox.dll") &&
          box.WriteText(L"board.txt", usb ? kUsbBoard : kSmbusBoard);
    env.Set(L"VANTOR_SMBIOS_SCENARIO", box.PathOf(L"board.txt"));
    if (usb) {
        ok_ = box.WriteText(L"controller.txt", kUsbController + setup.controllerScenario) && ok_;
        env.Set(L"VANTOR_HID_SCENARIO", box.PathOf(L"controller.txt"));
        env.Set(L"VANTOR_HID_STATE", box.PathOf(L"controller.state"));
        env.Set(L"VANTOR_HID_TRACE", box.PathOf(L"controller.trace"));
    } else {
        const char *host = setup.transport == Transport::kSmbusIntel ? kSmbusIntelController : kSmbusOtherController;
        ok_ = box.WriteText(L"controller.txt", host + setup.controllerScenario) && ok_;
        env.Set(L"VANTOR_SMBUS_SCENARIO", box.PathOf(L"controller.txt"));
        env.Set(L"VANTOR_SMBUS_STATE", box.PathOf(L"controller.state"));
        env.Set(L"VANTOR_SMBUS_TRACE", box.PathOf(L"controller.trace"));
    }
    lighting_ = std::make_unique<LightingSoftware>(box.Dir(), setup.lightingWorkDir, setup.companionWorkDir);
    ok_ = lighting_->ok() && ok_;
}

bool BoardRun::PutImage(const std::wstring &name, const std::vector<uint8_t> &bytes) {
    return run_->sandbox().WriteFile(name, bytes);
}

bool BoardRun::Start(const std::wstring &args, const std::wstring &startDir) {
    return lighting_->Start(run_->env()) && run_->Start(args, startDir);
}

long BoardRun::WaitExit() {
    DWORD code = 0;
    return run_->WaitExit(&code) ? static_cast<long>(code) : -1;
}

ControllerState BoardRun::Controller() const {
    ControllerState state;
    std::ifstream file(run_->sandbox().PathOf(L"controller.state").c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (IsUsb(setup_.transport)) {
        HidSimScenario saved;
        std::string error;
        if (!ParseScenario(text.str(), std::string(), saved, &error)) return state;
        state.mode = HidSimModeName(saved.setup.mode);
        if (saved.setup.flash == HidSimFlash::Valid) state.flash.assign(saved.setup.image.begin(), saved.setup.image.end());
        return state;
    }
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("mode=", 0) == 0) state.mode = line.substr(5);
        if (line.rfind("flash=", 0) == 0) state.flash = HexBytes(line.substr(6));
    }
    return state;
}

std::vector<std::string> BoardRun::TraceLines(const std::string &part) const {
    std::vector<std::string> found;
    for (const std::string &line : ReadLines(run_->sandbox().PathOf(L"controller.trace")))
        if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
}

std::vector<std::string> BoardRun::LogMessages() const { return ReadLogMessages(run_->sandbox().Dir()); }

std::map<std::wstring, std::wstring> BoardRun::LedValues() {
    std::map<std::wstring, std::wstring> values;
    for (const auto &entry : ReadLedValues()) values[entry.first] = entry.second.Text();
    return values;
}

}  // namespace e2e

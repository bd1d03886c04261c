#include "sim/qyxhid/scenario_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/qyxhid/call_trace.h"
#include "sim/qyxhid/firmware_image.h"

namespace {
std::string Trim(const std::string &text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Decimal, or hexadecimal with a 0x prefix (a leading 0 alone does not mean octal).
bool ParseNumber(const std::string &text, long long &value) {
    if (text.empty()) return false;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    size_t used = 0;
    try {
        value = std::stoll(hex ? text.substr(2) : text, &used, hex ? 16 : 10);
    } catch (...) {
        return false;
    }
    return used == (hex ? text.size() - 2 : text.size());
}

bool ParseNumberList(const std::string &text, std::vector<int> &numbers) {
    numbers.clear();
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        long long value;
        if (!ParseNumber(Trim(item), value) || value < 1) return false;
        numbers.push_back(static_cast<int>(value));
    }
    return !numbers.empty();
}

bool ParseHexBytes(const std::string &text, std::vector<uint8_t> &bytes) {
    if (text.size() % 2) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        long long value;
        if (!ParseNumber("0x" + text.substr(i, 2), value)) return false;
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return true;
}

bool IsAbsolutePath(const std::string &path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

std::string HexByte(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
    return text;
}

std::string HexWord(int value) {
    char text[12];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
    return text;
}
}  // namespace

bool ReadWholeFile(const std::string &path, std::string &contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream all;
    all << file.rdbuf();
    contents = all.str();
    return true;
}

bool ParseScenario(const std::string &text, const std::string &baseDir, HidSimScenario &scenario,
                   std::string *error) {
    std::istringstream lines(text);
    std::string raw;
    int lineNumber = 0;
    bool flashStateGiven = false;
    HidSimFlash flashState = HidSimFlash::Valid;
    HidSimScenario result = scenario;
    auto fail = [&](const std::string &reason) {
        if (error) *error = "line " + std::to_string(lineNumber) + ": " + reason;
        return false;
    };
    while (std::getline(lines, raw)) {
        ++lineNumber;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) return fail("no '=' in \"" + line + "\"");
        std::string key = Trim(line.substr(0, equals));
        std::string value = Trim(line.substr(equals + 1));
        long long number = 0;
        bool isNumber = ParseNumber(value, number);
        auto numberIn = [&](long long low, long long high) { return isNumber && number >= low && number <= high; };
        HidSimControllerSetup &setup = result.setup;
        HidSimFaults &faults = result.faults;

        if (key == "mode") {
            if (value == "application") setup.mode = HidSimMode::Application;
            else if (value == "loader") setup.mode = HidSimMode::Loader;
            else if (value == "both") setup.mode = HidSimMode::Both;
            else if (value == "none") setup.mode = HidSimMode::None;
            else return fail("mode must be application, loader, both or none");
        } else if (key == "product_id") {
            if (!numberIn(0, 0xFFFF)) return fail("product_id must be 0 to 0xFFFF");
            setup.productId = static_cast<int>(number);
        } else if (key == "loader_version" || key == "fw_version") {
            if (!numberIn(0, 0xFF)) return fail(key + " must be one byte");
            if (key == "loader_version") {
                setup.loaderVersion = static_cast<uint8_t>(number);
            } else {
                setup.image = MakeFirmwareImage(static_cast<uint8_t>(number >> 4), static_cast<uint8_t>(number & 0x0F));
                setup.flash = HidSimFlash::Valid;
            }
        } else if (key == "flash_file") {
            std::string path = IsAbsolutePath(value) || baseDir.empty() ? value : baseDir + "/" + value;
            std::string bytes;
            if (!ReadWholeFile(path, bytes)) return fail("cannot read flash_file " + path);
            setup.image.assign(bytes.begin(), bytes.end());
            setup.flash = HidSimFlash::Valid;
        } else if (key == "image") {
            if (!ParseHexBytes(value, setup.image)) return fail("image must be hexadecimal bytes");
        } else if (key == "flash_state") {
            if (value == "valid") flashState = HidSimFlash::Valid;
            else if (value == "erased") flashState = HidSimFlash::Erased;
            else if (value == "partial") flashState = HidSimFlash::Partial;
            else return fail("flash_state must be valid, erased or partial");
            flashStateGiven = true;
        } else if (key == "enter_loader_ms" || key == "reset_ms" || key == "run_aprom_ms" || key == "erase_settle_ms") {
            if (!numberIn(0, 3600000)) return fail(key + " must be 0 to 3600000");
            uint32_t ms = static_cast<uint32_t>(number);
            if (key == "enter_loader_ms") setup.timing.enterLoaderMs = ms;
            else if (key == "reset_ms") setup.timing.resetMs = ms;
            else if (key == "run_aprom_ms") setup.timing.runApromMs = ms;
            else setup.timing.eraseSettleMs = ms;
        } else if (key == "fail_open" || key == "fail_write" || key == "fail_read" || key == "fail_close") {
            std::vector<int> &calls = key == "fail_open"    ? faults.failOpenCalls
                                      : key == "fail_write" ? faults.failWriteCalls
                                      : key == "fail_read"  ? faults.failReadCalls
                                                            : faults.failCloseCalls;
            if (!ParseNumberList(value, calls)) return fail(key + " must list call numbers from 1, such as 2,5");
        } else if (key == "vanish_at_packet") {
            if (!numberIn(0, 1 << 30)) return fail("vanish_at_packet must be a packet number");
            faults.vanishAtPacket = static_cast<int>(number);
        } else if (key == "no_loader_version" || key == "close_zero_fails") {
            if (!numberIn(0, 1)) return fail(key + " must be 0 or 1");
            (key == "no_loader_version" ? faults.noLoaderVersion : faults.closeZeroFails) = number == 1;
        } else if (key == "connect_count") {
            if (!numberIn(1, 255)) return fail("connect_count must be 1 to 255");
            faults.connectCount = static_cast<int>(number);
        } else if (key == "state") {
            result.statePath = value;
        } else if (key == "trace") {
            result.tracePath = value;
        } else {
            return fail("unknown key \"" + key + "\"");
        }
    }
    if (flashStateGiven) result.setup.flash = flashState;
    scenario = result;
    return true;
}

std::string FormatStateFile(const HidSimControllerSetup &setup) {
    std::string text = "# Simulated USB lighting controller, as the last run left it\n";
    text += std::string("mode=") + HidSimModeName(setup.mode) + "\n";
    text += "product_id=" + HexWord(setup.productId) + "\n";
    text += "loader_version=" + HexByte(setup.loaderVersion) + "\n";
    text += std::string("flash_state=") + HidSimFlashName(setup.flash) + "\n";
    if (!setup.image.empty()) text += "image=" + HexBytes(setup.image) + "\n";
    return text;
}

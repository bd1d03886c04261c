#include "sim/smbus/scenario.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "sim/smbus/test_image.h"

namespace {
constexpr size_t kDefaultFlashSize = 4096;
constexpr BYTE kDefaultAppVerF = 0x1A;
constexpr BYTE kDefaultAppVerS = 0x03;

std::string Trim(const std::string &text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ParseNumber(const std::string &text, unsigned long long maximum, unsigned long long &value) {
    if (text.empty()) return false;
    char *end = nullptr;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    value = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
    return end && *end == '\0' && value <= maximum;
}

// Four hexadecimal digits: VerF then VerS.
bool ParseVersion(const std::string &text, BYTE &verF, BYTE &verS) {
    if (text.size() != 4) return false;
    char *end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 16);
    if (!end || *end != '\0') return false;
    verF = static_cast<BYTE>(value >> 8);
    verS = static_cast<BYTE>(value & 0xFF);
    return true;
}

bool ReadWholeFile(const std::string &path, std::vector<BYTE> &bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// From the process's environment as it is now (a test may set it after the DLL loaded).
std::string Environment(const char *name) {
    char value[MAX_PATH * 2] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// "3" or "3,5": numbers from 1.
bool ParseNumberList(const std::string &text, std::vector<int> &numbers) {
    std::vector<int> parsed;
    std::istringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        unsigned long long number = 0;
        if (!ParseNumber(Trim(item), 0x7FFFFFFF, number) || number == 0) return false;
        parsed.push_back(static_cast<int>(number));
    }
    if (parsed.empty()) return false;
    numbers = parsed;
    return true;
}

bool ApplyLine(const std::string &key, const std::string &value, Scenario &s) {
    unsigned long long number = 0;
    if (key == "driver_init" && ParseNumber(value, 0xFF, number)) {
        s.driverInit = static_cast<BYTE>(number);
    } else if (key == "host_bridge" && ParseNumber(value, 0xFFFFFFFF, number)) {
        s.hostBridge = static_cast<DWORD>(number);
    } else if (key == "smbus_init" && ParseNumber(value, 0xFF, number)) {
        s.smbusInit = static_cast<BYTE>(number);
    } else if (key == "controller" && (value == "present" || value == "absent")) {
        s.controllerPresent = value == "present";
    } else if (key == "mode" && (value == "application" || value == "loader")) {
        s.startInLoader = value == "loader";
    } else if (key == "app_version") {
        BYTE verF = 0, verS = 0;
        if (!ParseVersion(value, verF, verS)) return false;
        s.startFlash = MakeSmbusTestImage(verF, verS, kDefaultFlashSize);
    } else if (key == "flash_file") {
        return ReadWholeFile(value, s.startFlash);
    } else if (key == "loader_version") {
        return ParseVersion(value, s.loaderVerF, s.loaderVerS);
    } else if (key == "status_layout") {
        if (value == "plain") s.statusLayout = StatusLayout::kPlain;
        else if (value == "shifted_up") s.statusLayout = StatusLayout::kShiftedUp;
        else if (value == "shifted_down") s.statusLayout = StatusLayout::kShiftedDown;
        else return false;
    } else if (key == "wrong_echo_block" && ParseNumber(value, 0x7FFFFFFF, number)) {
        s.wrongEchoBlock = static_cast<int>(number);
    } else if (key == "wrong_echo_times" && ParseNumber(value, 0x7FFFFFFF, number)) {
        s.wrongEchoTimes = static_cast<int>(number);
    } else if (key == "lost_block" && ParseNumber(value, 0x7FFFFFFF, number)) {
        s.lostBlock = static_cast<int>(number);
    } else if (key == "lost_block_times" && ParseNumber(value, 0x7FFFFFFF, number)) {
        s.lostBlockTimes = static_cast<int>(number);
    } else if (key == "unanswered_status_reads") {
        return ParseNumberList(value, s.unansweredStatusReads);
    } else if (key == "dummy_value" && ParseNumber(value, 0xFF, number)) {
        s.dummyValue = static_cast<BYTE>(number);
    } else if (key == "verf_ff_reads" && ParseNumber(value, 0x7FFFFFFF, number)) {
        s.ffVerFReads = static_cast<int>(number);
    } else if (key == "state_file") {
        s.stateFile = value;
    } else if (key == "trace_file") {
        s.traceFile = value;
    } else {
        return false;
    }
    return true;
}
}  // namespace

Scenario::Scenario() : startFlash(MakeSmbusTestImage(kDefaultAppVerF, kDefaultAppVerS, kDefaultFlashSize)) {}

bool ApplyScenarioText(const std::string &text, Scenario &scenario, std::string &error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const size_t comment = line.find('#');
        if (comment != std::string::npos) line.erase(comment);
        line = Trim(line);
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = equals == std::string::npos ? std::string() : Trim(line.substr(equals + 1));
        if (equals == std::string::npos || !ApplyLine(key, value, scenario)) {
            error = "scenario line " + std::to_string(number) + ": " + line;
            return false;
        }
    }
    return true;
}

Scenario LoadScenarioFromEnvironment(std::string &error) {
    Scenario scenario;
    const std::string path = Environment("VANTOR_SMBUS_SCENARIO");
    if (!path.empty()) {
        std::ifstream file(path);
        if (!file) {
            error = "scenario file not found: " + path;
        } else {
            std::stringstream text;
            text << file.rdbuf();
            ApplyScenarioText(text.str(), scenario, error);
        }
    }
    if (scenario.stateFile.empty()) {
        scenario.stateFile = Environment("VANTOR_SMBUS_STATE");
        if (scenario.stateFile.empty() && !path.empty()) scenario.stateFile = path + ".state";
    }
    if (scenario.traceFile.empty()) {
        scenario.traceFile = Environment("VANTOR_SMBUS_TRACE");
        if (scenario.traceFile.empty() && !path.empty()) scenario.traceFile = path + ".trace";
    }
    return scenario;
}

#include "sim/smbus/controller_state.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "sim/smbus/hex_text.h"

std::string StateText(const ControllerState &state) {
    char versions[64];
    std::snprintf(versions, sizeof versions, "loader_version=%02X%02X\nupdating=%d\nwrite_offset=%u\necho=%02X\n",
                  state.loaderVerF, state.loaderVerS, state.updating ? 1 : 0,
                  static_cast<unsigned>(state.flash.size()), state.echo);
    return std::string("mode=") + (state.inLoader ? "loader" : "application") + "\n" + versions +
           "flash=" + HexBytes(state.flash.data(), state.flash.size()) + "\n";
}

bool ParseStateText(const std::string &text, ControllerState &state) {
    std::istringstream lines(text);
    std::string line;
    ControllerState parsed;
    bool sawMode = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "mode") {
            parsed.inLoader = value == "loader";
            sawMode = true;
        } else if (key == "loader_version" && value.size() == 4) {
            const unsigned long version = std::strtoul(value.c_str(), nullptr, 16);
            parsed.loaderVerF = static_cast<BYTE>(version >> 8);
            parsed.loaderVerS = static_cast<BYTE>(version & 0xFF);
        } else if (key == "updating") {
            parsed.updating = value == "1";
        } else if (key == "echo") {
            parsed.echo = static_cast<BYTE>(std::strtoul(value.c_str(), nullptr, 16));
        } else if (key == "flash") {
            if (!ParseHexBytes(value, parsed.flash)) return false;
        }
    }
    if (!sawMode) return false;
    state = parsed;
    return true;
}

bool LoadStateFile(const std::string &path, ControllerState &state) {
    if (path.empty()) return false;
    std::ifstream file(path);
    if (!file) return false;
    std::stringstream text;
    text << file.rdbuf();
    return ParseStateText(text.str(), state);
}

void SaveStateFile(const std::string &path, const ControllerState &state) {
    if (path.empty()) return;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << StateText(state);
}

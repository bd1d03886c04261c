#include "sim/qyxhid/call_trace.h"

#include <cstdio>

namespace {
std::string HexNumber(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

// Names of the integer arguments of IsDeviceConnect and openMyDevice_Read, in call order.
const char *const kIdArgumentNames[] = {"vid", "pid", "reserved1", "reserved2", "mode"};
}  // namespace

std::string HexBytes(const std::vector<uint8_t> &bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

std::string FormatTraceLine(const HidSimCall &call) {
    std::string line = "t=" + std::to_string(call.timeMs) + " call=" + call.function;
    bool opensOrAsks = call.function == "IsDeviceConnect" || call.function == "openMyDevice_Read";
    if (opensOrAsks) {
        for (size_t i = 0; i < call.args.size() && i < 5; ++i) {
            line += ' ';
            line += kIdArgumentNames[i];
            line += '=';
            line += i < 2 ? HexNumber(static_cast<uint32_t>(call.args[i]), 4) : std::to_string(call.args[i]);
        }
    } else {
        line += " handle=" + HexNumber(call.handle, 1);
        if (call.function != "CloseDevice") line += " length=" + std::to_string(call.length);
    }
    if (call.function == "openMyDevice_Read")
        line += " result=" + HexNumber(static_cast<uintptr_t>(call.result), 1);
    else
        line += " result=" + std::to_string(call.result);
    if (call.faultInjected) line += " fault=injected";
    if (!opensOrAsks && call.function != "CloseDevice") line += " data=" + HexBytes(call.data);
    return line;
}

std::string FormatTraceLine(const HidSimEvent &event) {
    std::string line = "t=" + std::to_string(event.timeMs) + " event=" + event.kind;
    if (!event.detail.empty()) line += ' ' + event.detail;
    return line;
}

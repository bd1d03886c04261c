#include "sim/qyxhid/hid_simulator.h"

#include <algorithm>

#include "sim/qyxhid/call_trace.h"

HidSimulator::HidSimulator(const HidSimControllerSetup &setup, const HidSimFaults &faults, Clock clock,
                           LineSink sink)
    : m_clock(std::move(clock)),
      m_sink(std::move(sink)),
      m_faults(faults),
      m_controller(setup, m_clock, [this](const std::string &kind, const std::string &detail) { Note(kind, detail); }) {
    m_controller.SetAnswersLoaderVersion(!m_faults.noLoaderVersion);
}

void HidSimulator::SetFaults(const HidSimFaults &faults) {
    m_faults = faults;
    m_controller.SetAnswersLoaderVersion(!m_faults.noLoaderVersion);
}

bool HidSimulator::IsListed(const std::vector<int> &calls, int number) {
    return std::find(calls.begin(), calls.end(), number) != calls.end();
}

void HidSimulator::Note(const std::string &kind, const std::string &detail) {
    m_events.push_back(HidSimEvent{Now(), kind, detail});
    // What a call caused is written after the call's own line.
    if (!m_inCall) EmitLine(FormatTraceLine(m_events.back()));
}

void HidSimulator::EmitLine(const std::string &line) {
    m_lines.push_back(line);
    if (m_sink) m_sink(line);
}

void HidSimulator::Record(const HidSimCall &call) {
    m_calls.push_back(call);
    EmitLine(FormatTraceLine(call));
    for (size_t i = m_eventsBeforeCall; i < m_events.size(); ++i) EmitLine(FormatTraceLine(m_events[i]));
    m_inCall = false;
}

void HidSimulator::ClearTrace() {
    m_calls.clear();
    m_events.clear();
    m_lines.clear();
}

bool HidSimulator::ConstantArgumentsHold(const HidSimCall &call, bool hold) {
    // The updater passes only 0, 0 (and mode 1): other values would select something else.
    if (!hold) Note("protocol_error", "reason=bad_arguments function=" + call.function);
    return hold;
}

HidSimCall HidSimulator::Begin(const char *function) {
    m_inCall = true;
    m_eventsBeforeCall = m_events.size();
    HidSimCall call;
    call.timeMs = Now();
    call.function = function;
    return call;
}

int HidSimulator::IsDeviceConnect(int vendorId, int productId, int reserved1, int reserved2) {
    HidSimCall call = Begin("IsDeviceConnect");
    call.args = {vendorId, productId, reserved1, reserved2};
    if (!ConstantArgumentsHold(call, reserved1 == 0 && reserved2 == 0))
        call.result = 0;
    else
        call.result = m_controller.Connect(vendorId, productId) ? m_faults.connectCount : 0;
    Record(call);
    return static_cast<int>(call.result);
}

uintptr_t HidSimulator::OpenDevice(int vendorId, int productId, int reserved1, int reserved2, int mode) {
    HidSimCall call = Begin("openMyDevice_Read");
    call.args = {vendorId, productId, reserved1, reserved2, mode};
    call.faultInjected = IsListed(m_faults.failOpenCalls, ++m_openCalls);
    uintptr_t handle = 0;
    if (!call.faultInjected && ConstantArgumentsHold(call, reserved1 == 0 && reserved2 == 0 && mode == 1))
        handle = m_controller.Open(vendorId, productId);
    call.handle = handle;
    call.result = static_cast<intptr_t>(handle);
    Record(call);
    return handle;
}

int HidSimulator::WriteDeviceOutput(uintptr_t handle, const unsigned char *buffer, int length) {
    HidSimCall call = Begin("WriteDeviceOutput");
    call.handle = handle;
    call.length = length;
    if (buffer && length > 0) call.data.assign(buffer, buffer + length);
    call.faultInjected = IsListed(m_faults.failWriteCalls, ++m_writeCalls);
    if (!call.faultInjected) {
        if (m_controller.IsImagePacket(handle, buffer, length) && ++m_imagePackets == m_faults.vanishAtPacket)
            m_controller.Unplug();
        call.result = m_controller.Write(handle, buffer, length);
    }
    Record(call);
    return static_cast<int>(call.result);
}

int HidSimulator::ReadDeviceInput(uintptr_t handle, unsigned char *buffer, int length) {
    HidSimCall call = Begin("ReadDeviceInput");
    call.handle = handle;
    call.length = length;
    if (buffer && length > 0) call.bufferBefore.assign(buffer, buffer + length);
    call.faultInjected = IsListed(m_faults.failReadCalls, ++m_readCalls);
    if (!call.faultInjected) call.result = m_controller.Read(handle, buffer, length);
    if (buffer && length > 0) call.data.assign(buffer, buffer + length);
    Record(call);
    return static_cast<int>(call.result);
}

int HidSimulator::CloseDevice(uintptr_t handle) {
    HidSimCall call = Begin("CloseDevice");
    call.handle = handle;
    call.faultInjected = IsListed(m_faults.failCloseCalls, ++m_closeCalls) || (handle == 0 && m_faults.closeZeroFails);
    if (!call.faultInjected) call.result = m_controller.Close(handle);
    Record(call);
    return static_cast<int>(call.result);
}

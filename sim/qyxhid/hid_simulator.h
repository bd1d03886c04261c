// The library side of the simulated controller: what each of the five HID library functions
// does, with injected faults and a trace of every call. The DLL and the in-process fake both
// route the five functions here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/qyxhid/controller_model.h"
#include "sim/qyxhid/hid_sim_types.h"

class HidSimulator {
public:
    using Clock = HidController::Clock;
    using LineSink = std::function<void(const std::string &line)>;

    // `sink` receives each trace line as it is made (the DLL's trace file).
    HidSimulator(const HidSimControllerSetup &setup, const HidSimFaults &faults, Clock clock,
                 LineSink sink = LineSink());
    HidSimulator(const HidSimulator &) = delete;
    HidSimulator &operator=(const HidSimulator &) = delete;

    int IsDeviceConnect(int vendorId, int productId, int reserved1, int reserved2);
    uintptr_t OpenDevice(int vendorId, int productId, int reserved1, int reserved2, int mode);
    int WriteDeviceOutput(uintptr_t handle, const unsigned char *buffer, int length);
    int ReadDeviceInput(uintptr_t handle, unsigned char *buffer, int length);
    int CloseDevice(uintptr_t handle);

    void SetFaults(const HidSimFaults &faults);
    // An event of the simulation itself (start of a run, a scenario problem), traced in order.
    void Note(const std::string &kind, const std::string &detail);

    HidController &Controller() { return m_controller; }
    uint64_t Now() const { return m_clock(); }
    const std::vector<HidSimCall> &Calls() const { return m_calls; }
    const std::vector<HidSimEvent> &Events() const { return m_events; }
    const std::vector<std::string> &TraceLines() const { return m_lines; }
    void ClearTrace();

private:
    static bool IsListed(const std::vector<int> &calls, int number);
    // `hold`: the call's constant arguments are as the updater passes them; else a protocol error.
    bool ConstantArgumentsHold(const HidSimCall &call, bool hold);
    // Begin opens a call's record; Record closes it and traces the call, then its events.
    HidSimCall Begin(const char *function);
    void Record(const HidSimCall &call);
    void EmitLine(const std::string &line);

    Clock m_clock;
    LineSink m_sink;
    HidSimFaults m_faults;
    HidController m_controller;
    int m_openCalls = 0;
    int m_writeCalls = 0;
    int m_readCalls = 0;
    int m_closeCalls = 0;
    int m_imagePackets = 0;
    bool m_inCall = false;
    size_t m_eventsBeforeCall = 0;
    std::vector<HidSimCall> m_calls;
    std::vector<HidSimEvent> m_events;
    std::vector<std::string> m_lines;
};

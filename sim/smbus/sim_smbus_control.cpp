#include "sim/smbus/sim_smbus_control.h"

#include <cstring>

#include "sim/smbus/sim_exports.h"

namespace {
using ResetFn = void(__stdcall *)();
using ConfigureFn = BOOL(__stdcall *)(const char *);
using AdvanceClockFn = void(__stdcall *)(DWORD);
using TextFn = DWORD(__stdcall *)(char *, DWORD);
using FlashFn = DWORD(__stdcall *)(BYTE *, DWORD);

template <typename Fn>
Fn Lookup(HMODULE module, const char *name) {
    static_assert(sizeof(Fn) == sizeof(FARPROC), "control functions are plain function pointers");
    Fn function = nullptr;
    if (module) {
        const FARPROC address = GetProcAddress(module, name);
        std::memcpy(&function, &address, sizeof function);
    }
    return function;
}

std::string Text(HMODULE module, const char *name) {
    const TextFn read = Lookup<TextFn>(module, name);
    if (!read) return std::string();
    std::string text(read(nullptr, 0), '\0');
    read(&text[0], static_cast<DWORD>(text.size() + 1));
    return text;
}
}  // namespace

SimSmbusControl::SimSmbusControl(const std::wstring &directory)
    : m_driver(LoadLibraryW((directory + L"\\Wendil.dll").c_str())),
      m_smbus(LoadLibraryW((directory + L"\\Corrant.dll").c_str())) {}

// The code under test keeps its own references: the modules stay loaded for it.
SimSmbusControl::~SimSmbusControl() {
    if (m_smbus) FreeLibrary(m_smbus);
    if (m_driver) FreeLibrary(m_driver);
}

void SimSmbusControl::Reset() {
    for (HMODULE module : {m_driver, m_smbus})
        if (const ResetFn reset = Lookup<ResetFn>(module, kSimResetName)) reset();
}

bool SimSmbusControl::Configure(const std::string &scenarioText) {
    bool parsed = true;
    for (HMODULE module : {m_driver, m_smbus})
        if (const ConfigureFn configure = Lookup<ConfigureFn>(module, kSimConfigureName))
            parsed = configure(scenarioText.c_str()) && parsed;
    return parsed;
}

// One clock serves both libraries: advance it once.
void SimSmbusControl::AdvanceClock(DWORD milliseconds) {
    if (const AdvanceClockFn advance = Lookup<AdvanceClockFn>(m_smbus ? m_smbus : m_driver, kSimAdvanceClockName))
        advance(milliseconds);
}

std::string SimSmbusControl::Trace() const { return Text(m_smbus ? m_smbus : m_driver, kSimTraceTextName); }

std::vector<BYTE> SimSmbusControl::Flash() const {
    const FlashFn read = Lookup<FlashFn>(m_smbus, kSimFlashName);
    if (!read) return {};
    std::vector<BYTE> flash(read(nullptr, 0));
    read(flash.data(), static_cast<DWORD>(flash.size()));
    return flash;
}

std::string SimSmbusControl::State() const {
    return Text(m_driver, kSimStateTextName) + Text(m_smbus, kSimStateTextName);
}

std::wstring SimSmbusControl::ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    const size_t slash = directory.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : directory.substr(0, slash);
}

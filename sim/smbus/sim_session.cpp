#include "sim/smbus/sim_session.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "sim/real_time.h"
#include "sim/virtual_clock.h"

namespace {
constexpr DWORD kTraceCapacity = 16 * 1024 * 1024;

struct SharedSession {
    volatile LONG lock;
    volatile LONG manualClock;
    volatile LONGLONG manualMs;
    volatile LONGLONG realStartMs;
    volatile DWORD traceUsed;
    volatile LONG traceTruncated;
    char trace[kTraceCapacity];
};

SharedSession *OpenSession() {
    wchar_t name[64];
    swprintf(name, 64, L"Local\\VantorSimSmbusSession-%lu", GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedSession), name);
    if (!mapping) return nullptr;
    auto *session = static_cast<SharedSession *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (session) InterlockedCompareExchange64(&session->realStartMs, RealTimeMs(), 0);
    return session;  // the mapping stays open for the life of the process
}

SharedSession *Session() {
    static SharedSession *session = OpenSession();
    return session;
}

// The updater's shared clock, when a test build drives the one the run names; decided once.
VirtualClock *RunClock() {
    static VirtualClock *clock = DrivenVirtualClock();
    return clock;
}

class SessionLock {
public:
    explicit SessionLock(SharedSession *session) : m_session(session) {
        while (InterlockedCompareExchange(&m_session->lock, 1, 0) != 0) Sleep(0);
    }
    ~SessionLock() { InterlockedExchange(&m_session->lock, 0); }

private:
    SharedSession *m_session;
};
}  // namespace

LONGLONG SimNowMs() {
    SharedSession *session = Session();
    if (session && session->manualClock) return session->manualMs;
    if (VirtualClock *clock = RunClock()) return clock->elapsedMs;
    const LONGLONG start = session ? session->realStartMs : 0;
    return RealTimeMs() - start;
}

void SimSessionReset() {
    SharedSession *session = Session();
    if (!session) return;
    SessionLock lock(session);
    session->manualClock = 1;
    session->manualMs = 0;
    session->traceUsed = 0;
    session->traceTruncated = 0;
}

void SimAdvanceClock(DWORD milliseconds) {
    if (SharedSession *session = Session()) InterlockedExchangeAdd64(&session->manualMs, milliseconds);
}

void SimTrace(const char *dll, const std::string &text, const std::string &traceFile) {
    const std::string line = std::to_string(SimNowMs()) + " " + dll + " " + text + "\n";
    if (SharedSession *session = Session()) {
        SessionLock lock(session);
        if (session->traceUsed + line.size() <= kTraceCapacity) {
            std::memcpy(session->trace + session->traceUsed, line.data(), line.size());
            session->traceUsed += static_cast<DWORD>(line.size());
        } else {
            session->traceTruncated = 1;
        }
    }
    if (!traceFile.empty()) {
        if (FILE *file = std::fopen(traceFile.c_str(), "ab")) {
            std::fwrite(line.data(), 1, line.size(), file);
            std::fclose(file);
        }
    }
}

std::string SimTraceText() {
    SharedSession *session = Session();
    if (!session) return std::string();
    SessionLock lock(session);
    std::string text(session->trace, session->traceUsed);
    if (session->traceTruncated) text += "(trace full: later lines dropped)\n";
    return text;
}

std::string SimFormat(const char *format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

DWORD CopyText(const std::string &text, char *buffer, DWORD size) {
    if (buffer && size > text.size()) std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

std::string Utf8(const wchar_t *text) {
    if (!text) return "(null)";
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1) return std::string();
    std::string narrow(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], needed, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(needed - 1));
    return narrow;
}

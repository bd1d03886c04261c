// The virtual clock of one run, owned by the test: the program's waits are added to it
// instead of being slept, and the test reads how much time they made up.
#pragma once

#include <windows.h>

#include <string>

#include "host/virtual_clock.h"

namespace e2e {

constexpr wchar_t kVirtualClockVariable[] = L"VANTOR_VIRTUAL_CLOCK";

class TestClock {
public:
    TestClock();  // a section with a name unique to this process and object
    ~TestClock();
    TestClock(const TestClock &) = delete;
    TestClock &operator=(const TestClock &) = delete;

    bool ok() const { return clock_ != nullptr; }
    const std::wstring &Name() const { return name_; }  // the value for VANTOR_VIRTUAL_CLOCK
    LONGLONG ElapsedMs() const { return clock_ ? clock_->elapsedMs : 0; }
    LONG WaitCount() const { return clock_ ? clock_->waitCount : 0; }
    void Reset();

private:
    std::wstring name_;
    HANDLE section_ = nullptr;
    VirtualClock *clock_ = nullptr;
};

}  // namespace e2e

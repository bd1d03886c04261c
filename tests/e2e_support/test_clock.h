// The virtual clock of one run, owned by the test. The test variant of the program adds its
// waits to it instead of sleeping them, and the test reads how much time they made up; the
// shipped program never touches it.
#pragma once

#include <windows.h>

#include <string>

#include "sim/virtual_clock.h"

namespace e2e {

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

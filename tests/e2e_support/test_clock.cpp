#include "tests/e2e_support/test_clock.h"

namespace e2e {

TestClock::TestClock() {
    static LONG counter = 0;
    name_ = L"vantor_e2e_clock_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(InterlockedIncrement(&counter));
    section_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(VirtualClock),
                                  name_.c_str());
    if (section_) {
        clock_ = static_cast<VirtualClock *>(MapViewOfFile(section_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(VirtualClock)));
    }
    Reset();
}

TestClock::~TestClock() {
    if (clock_) UnmapViewOfFile(clock_);
    if (section_) CloseHandle(section_);
}

void TestClock::Reset() {
    if (!clock_) return;
    clock_->elapsedMs = 0;
    clock_->waitCount = 0;
    clock_->driven = 0;
}

}  // namespace e2e

// Milliseconds of real time for the simulated devices, from the performance counter:
// GetTickCount64 advances in coarse steps under Wine, so a program that slept 500 ms could
// be judged to have waited less.
#pragma once

#include <windows.h>

inline LONGLONG RealTimeMs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency;
}

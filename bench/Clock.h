#pragma once
// The benchmarks' clock: seconds from the performance counter.
#include <windows.h>

inline double Now() {
    static const LARGE_INTEGER frequency = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

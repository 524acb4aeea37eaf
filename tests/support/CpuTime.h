#pragma once
// CPU time this process has used, for tests and benchmarks that bound what a piece of work
// costs (unlike wall time, it does not grow when other programs share the machine).
#include <ctime>

inline double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

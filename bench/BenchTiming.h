// What the benchmarks share: seconds on the steady clock and the lists of
// sizes their options take.
#pragma once

#include <chrono>
#include <cstdlib>
#include <vector>

#include "BenchOptions.h"

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}


// What the benchmarks share: seconds on the steady clock and the lists of
// sizes their options take.
#pragma once

#include <chrono>
#include <cstdlib>
#include <vector>

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// "N,N,..." as numbers; stops at the first field that is none, skips those
// below 1.
inline std::vector<long> ReadList(const char* text)
{
    std::vector<long> out;
    for (const char* p = text; *p;) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p)
            break;
        if (n > 0)
            out.push_back(n);
        p = *end == ',' ? end + 1 : end;
    }
    return out;
}

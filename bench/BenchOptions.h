// What the benchmarks' command lines share.
#pragma once

#include <cstdlib>
#include <vector>

// The positive numbers of a list such as "1000,10000", up to the first item
// that is no number.
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

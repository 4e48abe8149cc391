// The generated order the benchmarks work on.
#pragma once

#include <string>
#include <utility>

#include "document/DCSProject.h"
#include "foundation/DProps.h"

inline DProps Row(std::initializer_list<std::pair<const char*, std::string>> entries)
{
    DProps row;
    for (const auto& e : entries)
        row.SetString(e.first, e.second);
    return row;
}

// An order as users type them: two stock lengths without limit (kerf 3),
// part rows whose lengths repeat (a few hundred kinds), labels and comments
// on every row.
inline void FillOrder(DCSProject& material, long parts)
{
    material.AppendRows({Row({{"length", "6000"}, {"quantity", "0"}, {"knife", "3"}, {"cost", "12.5"}}),
                         Row({{"length", "12000"}, {"quantity", "0"}, {"knife", "3"}, {"cost", "24"}})},
                        1);
    PropsList rows;
    rows.reserve(static_cast<size_t>(parts));
    for (long i = 0; i < parts; ++i) {
        const long length = 250 + (i * 37) % 2400;
        rows.push_back(Row({{"length", std::to_string(length)},
                            {"quantity", std::to_string(1 + i % 4)},
                            {"label", "Part " + std::to_string(i + 1)},
                            {"comment", "batch " + std::to_string(i / 100)}}));
    }
    material.AppendRows(rows, 2);
}

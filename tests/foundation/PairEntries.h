// Test view of a pair list: its pairs in order.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "foundation/UPairList.h"

using Pairs = std::vector<std::pair<std::string, std::string>>;

inline Pairs Contents(const UPairList& list)
{
    Pairs pairs;
    for (const UPairList::Pair& pair : list)
        pairs.emplace_back(pair.key.GetText(), pair.value.GetText());
    return pairs;
}

// Test view of a property bag: its entries as "key=value;comment" lines.
#pragma once

#include <string>
#include <vector>

#include "foundation/SProps.h"

using Lines = std::vector<std::string>;

inline Lines Entries(const SProps& bag)
{
    Lines out;
    for (int i = 0; i < bag.Count(); ++i)
        out.push_back(std::string(bag.GetKeyAt(i)) + "=" + bag.GetValueAt(i) + ";" +
                      bag.GetCommentAt(i));
    return out;
}

// Building property bags from tables and reading them back, for the tests.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "foundation/DProps.h"

using Entries = std::vector<std::pair<std::string, std::string>>;

// A bag holding the entries in order (an empty key is appended as it is).
inline DProps BagOf(const Entries& entries, const char* name = nullptr)
{
    DProps bag;
    for (const auto& e : entries)
        bag.SetString(e.first.c_str(), e.second, nullptr, true);
    if (name)
        bag.Name(name);
    return bag;
}

// A record of the given keys and values, each key once (a repeated key keeps
// its last value).
inline DProps RowOf(std::initializer_list<std::pair<const char*, const char*>> entries)
{
    DProps row;
    for (const auto& e : entries)
        row.Set(e.first, e.second);
    return row;
}

// Keys and values by position, comments left out.
inline Entries EntriesOf(const DProps& bag)
{
    Entries out;
    for (int i = 0; i < bag.Count(); ++i)
        out.emplace_back(bag.GetKeyAt(i), bag.GetValueAt(i));
    return out;
}

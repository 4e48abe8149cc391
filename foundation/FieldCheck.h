// Field validation against field descriptors, and the utilities that find,
// filter, merge, order and describe records held in lists of DProps.
//
// A field descriptor is a DProps with "type" ("text", "long", "double"),
// "min", "max", "min.warn", "max.warn", "default", "space" and "compact".
// A sort description is a DProps with "primary", "primary.type",
// "primary.less" and the same three for "secondary".
#pragma once

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/DProps.h"

// 0 invalid, 1 valid, 2 valid with a warning. A null descriptor checks nothing.
long ValidateValue(const char* value, const DProps* descriptor);
// The value in its stored form: defaulted, trimmed and cut, clamped, compacted.
std::string NormalizeValue(const char* value, const DProps* descriptor);

// True when record a goes before record b. Doubles count as equal within 1e-5,
// so this is no strict weak order: sort with PropsListSort (or another stable
// sort that tolerates it), never with std::sort.
bool CompareProps(const DProps* description, const DProps* a, const DProps* b);

// "(" + one "(name: value units)" item per entry whose key does not begin with
// "$", joined by separator, + ")"; "$name.K", "$units.K", "$format.K" and
// "$type.K" dress the entry K. An empty bag gives the empty text.
std::string PropsDescribe(const DProps* bag, const char* separator);

// ---- Record lists and maps ---------------------------------------------------------
// A record list is any sequence of DProps by value with size(), operator[] and
// push_back (the order rows' vectors, a document's sections); positions are
// indices, and "the end" is the list's size. A record map is ordered by a
// 32-bit key.

using PropsList = std::vector<DProps>;
using PropsMap = std::map<long, DProps>;

// The record at index, null when the list is null or the index is out of range.
template <class List>
auto PropsListAt(List* list, long index, long* position = nullptr) -> decltype(&(*list)[0])
{
    if (!list || index < 0 || static_cast<size_t>(index) >= list->size())
        return nullptr;
    if (position)
        *position = index;
    return &(*list)[static_cast<size_t>(index)];
}

// The first record that matches; position is set to the end first, and to
// the record's index when found.
template <class List, class Match>
auto PropsListFindIf(List* list, Match match, long* position) -> decltype(&(*list)[0])
{
    if (position)
        *position = list ? static_cast<long>(list->size()) : 0;
    if (!list)
        return nullptr;
    for (size_t i = 0; i < list->size(); ++i) {
        if (match((*list)[i])) {
            if (position)
                *position = static_cast<long>(i);
            return &(*list)[i];
        }
    }
    return nullptr;
}

// The first record whose value of key equals text byte for byte (an absent
// key reads as the empty text); null when none. position is set to the end
// first, and to the record's index when found.
template <class List>
auto PropsListFind(List* list, const char* key, const char* text, long* position = nullptr)
    -> decltype(&(*list)[0])
{
    const std::string wanted = text ? text : "";
    return PropsListFindIf(
        list, [&](const DProps& r) { return DProps::GetString(r, key, "") == wanted; }, position);
}

// Empties positions, then collects the indices of all records whose value of
// key equals text byte for byte; returns how many.
template <class List>
long PropsListFilter(const List* list, const char* key, const char* text,
                     std::vector<long>& positions)
{
    positions.clear();
    if (!list)
        return 0;
    const std::string wanted = text ? text : "";
    for (size_t i = 0; i < list->size(); ++i) {
        if (DProps::GetString((*list)[i], key, "") == wanted)
            positions.push_back(static_cast<long>(i));
    }
    return static_cast<long>(positions.size());
}

// The first record whose own name equals name byte for byte; null when none.
template <class List>
auto PropsListFindName(List* list, const char* name, long* position = nullptr)
    -> decltype(&(*list)[0])
{
    const std::string wanted = name ? name : "";
    return PropsListFindIf(list, [&](const DProps& r) { return r.Name() == wanted; }, position);
}

// Merges by "uid": a target record with the source record's uid is refilled
// with the source's entries in place; every other source record is appended
// as a copy. A record without a uid matches nothing and is appended. Merging
// a list into itself changes nothing. Returns the number appended.
template <class List>
long PropsListMerge(const List* source, List* target)
{
    if (!source || !target || static_cast<const void*>(source) == target)
        return 0;
    // The first target record of each uid, kept up to date as records are
    // appended, so a merge of long lists does not rescan the target per record.
    std::unordered_map<std::string, size_t> first;
    for (size_t i = 0; i < target->size(); ++i) {
        std::string uid = DProps::GetString((*target)[i], "uid", "");
        if (!uid.empty())
            first.emplace(std::move(uid), i);
    }
    long appended = 0;
    for (size_t i = 0; i < source->size(); ++i) {
        const DProps& record = (*source)[i];
        std::string uid = DProps::GetString(record, "uid", "");
        const auto found = uid.empty() ? first.end() : first.find(uid);
        if (found != first.end()) {
            DProps& into = (*target)[found->second];
            into.Reset();
            into.CopyFrom(&record, 0, -1);
        } else {
            target->push_back(record);
            ++appended;
            if (!uid.empty())
                first.emplace(std::move(uid), target->size() - 1);
        }
    }
    return appended;
}

// The record at position n in key order; null when the map is null or n is
// out of range.
DProps* PropsMapAt(PropsMap* map, long n);
// The record stored under key; null when absent or the map is null.
DProps* PropsMapFind(PropsMap* map, long key);

// Orders the list by CompareProps with a stable merge sort, which stays
// well-behaved although the tolerance makes the order intransitive.
void PropsListSort(PropsList& list, const DProps* description);

// Stable merge sort of items by less(a, b) = "a goes before b". It only ever
// asks less(right, left) and never reads outside the items, so a comparator
// that is not a strict weak order (one with a tolerance) costs at most an
// odd order, never a crash or an endless loop.
template <class T, class Less>
void StableSortTolerant(std::vector<T>& items, Less less)
{
    const size_t n = items.size();
    if (n < 2)
        return;
    std::vector<size_t> order(n), merged(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t l = lo, r = mid, out = lo;
            while (l < mid && r < hi)
                merged[out++] = less(items[order[r]], items[order[l]]) ? order[r++] : order[l++];
            while (l < mid)
                merged[out++] = order[l++];
            while (r < hi)
                merged[out++] = order[r++];
        }
        order.swap(merged);
    }
    std::vector<T> sorted;
    sorted.reserve(n);
    for (size_t i : order)
        sorted.push_back(std::move(items[i]));
    items.swap(sorted);
}

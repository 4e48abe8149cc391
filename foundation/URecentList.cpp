#include "foundation/URecentList.h"

#include <cstring>

#include "foundation/PathUtil.h"

URecentList::~URecentList() = default;

long URecentList::FromText(const char* text, bool onlyExisting)
{
    m_items.clear();
    UStringList pieces;
    UStringList::Split(&pieces, text, "|", true, true);
    for (const UString& piece : pieces) {
        if (onlyExisting && PathExistsA(piece.GetText()) != 1)
            continue;
        m_items.push_back(piece);
    }
    return m_items.Count();
}

UString URecentList::ToText() const
{
    return UStringList::Join(&m_items, false, "|");
}

void URecentList::AddPath(const char* path)
{
    if (!path || !*path)
        return;
    UString folder, base, joined;
    PathSplit(path, &folder, nullptr, nullptr);
    PathName(path, &base, nullptr);
    PathJoin(joined, folder.GetText(), base.GetText());
    AddFront(joined.GetText());
}

void URecentList::AddFront(const char* text)
{
    if (!text || !*text)
        return;
    long found = UStringList::Find(text, &m_items, false);
    if (found == 0)
        return;
    if (found > 0)
        UStringList::RemoveAt(&m_items, found);
    m_items.insert(m_items.begin(), UString(text));
    while (m_items.Count() > m_maxCount && !m_items.empty())
        m_items.pop_back();
}

UString URecentList::GetAt(long i) const
{
    return UStringList::At(&m_items, i);
}

UString URecentList::GetExistingAt(long i) const
{
    if (i < 0 || i >= m_items.Count())
        return UString();
    UString path = m_items[static_cast<size_t>(i)];
    UString extension = m_extension;
    extension.Trim();
    if (!extension.IsEmpty()) {
        path.Append(".");
        path.Append(m_extension.GetText());
    }
    return PathExistsA(path.GetText()) == 1 ? path : UString();
}

long URecentList::RemoveMissing()
{
    // Removing the first missing item again and again leaves the items that
    // exist, in their order: one pass asks each file once.
    UStringList kept;
    kept.reserve(m_items.size());
    for (long i = 0; i < m_items.Count(); ++i) {
        UString existing = GetExistingAt(i);
        existing.Trim();
        if (!existing.IsEmpty())
            kept.push_back(std::move(m_items[static_cast<size_t>(i)]));
    }
    m_items.swap(kept);
    return m_items.Count();
}

bool SplitCommandLineArg(const char* argument, UString& key, UString& value)
{
    key = "";
    value = "";
    if (!argument)
        return false;
    const char* text = argument;
    while (*text == '-')
        ++text;
    const char* colon = strchr(text, ':');
    if (!colon) {
        key = text;
        return true;
    }
    key = UString(text).Mid(0, static_cast<long>(colon - text));
    const char* next = strchr(colon + 1, ':');
    UString first = next ? UString(colon + 1).Mid(0, static_cast<long>(next - colon - 1))
                         : UString(colon + 1);
    first.Trim();
    if (first.IsEmpty())
        return true;
    const char* start = colon + 1;
    if (*start == '"')
        ++start;
    const char* end = strchr(start, '"');
    value = end ? UString(start).Mid(0, static_cast<long>(end - start)) : UString(start);
    return !key.IsEmpty();
}

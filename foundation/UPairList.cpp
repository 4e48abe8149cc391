#include "foundation/UPairList.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/DParser.h"
#include "foundation/StrUtil.h"

UPairList::UPairList() : m_marker("#") {}

UPairList::~UPairList() = default;

namespace {

// From this many pairs on, a list keeps its index.
const size_t kIndexFrom = 24;

// Keys compare as _stricmp compares them in the "C" locale: ASCII letters fold.
char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A blank key is never found: only some text can match.
bool IsBlankKey(const char* key)
{
    for (; key && *key; ++key)
        if (static_cast<unsigned char>(*key) > 32)
            return false;
    return true;
}

} // namespace

size_t UPairList::FoldedHash::operator()(std::string_view key) const noexcept
{
    // FNV-1a over the folded bytes.
    size_t h = static_cast<size_t>(1469598103934665603ULL);
    for (char c : key) {
        h ^= static_cast<unsigned char>(FoldAscii(c));
        h *= static_cast<size_t>(1099511628211ULL);
    }
    return h;
}

bool UPairList::FoldedEqual::operator()(std::string_view a, std::string_view b) const noexcept
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

UPairList::UPairList(const UPairList& other)
    : m_pairs(other.m_pairs), m_parent(other.m_parent), m_marker(other.m_marker)
{
    IndexAppended();
}

UPairList& UPairList::operator=(const UPairList& other)
{
    if (this == &other)
        return *this;
    m_pairs = other.m_pairs;
    m_parent = other.m_parent;
    m_marker = other.m_marker;
    Reindex();
    return *this;
}

void UPairList::Reindex()
{
    m_indexed = false;
    m_exact.clear();
    m_folded.clear();
    IndexAppended();
}

long UPairList::Find(const char* key, bool matchCase) const
{
    if (IsBlankKey(key))
        return -1;
    if (m_indexed) {
        const std::string_view text(key);
        if (matchCase) {
            const auto found = m_exact.find(text);
            return found == m_exact.end() ? -1 : static_cast<long>(found->second);
        }
        const auto found = m_folded.find(text);
        return found == m_folded.end() ? -1 : static_cast<long>(found->second);
    }
    for (size_t i = 0; i < m_pairs.size(); ++i)
        if (m_pairs[i].key.IsEqual(key, -1, matchCase))
            return static_cast<long>(i);
    return -1;
}

void UPairList::IndexAppended()
{
    const size_t size = m_pairs.size();
    if (!m_indexed && size < kIndexFrom)
        return;
    // Building the index the first time takes every pair so far; later only the new one.
    const size_t from = m_indexed ? size - 1 : 0;
    m_indexed = true;
    for (size_t i = from; i < size; ++i) {
        const UString& key = m_pairs[i].key;
        // A key without text never matches; of two equal keys the first is found.
        if (key.IsEmpty())
            continue;
        const std::string_view text(key.GetText(), static_cast<size_t>(key.GetLength()));
        m_exact.emplace(text, i);
        m_folded.emplace(text, i);
    }
}

void UPairList::Clear()
{
    m_pairs.clear();
    m_indexed = false;
    m_exact.clear();
    m_folded.clear();
}

UPairList::iterator UPairList::FindPos(const char* key, bool matchCase)
{
    const long i = Find(key, matchCase);
    return i < 0 ? m_pairs.end() : m_pairs.begin() + i;
}

UPairList::const_iterator UPairList::FindPos(const char* key, bool matchCase) const
{
    const long i = Find(key, matchCase);
    return i < 0 ? m_pairs.end() : m_pairs.begin() + i;
}

long UPairList::IndexOf(const char* key, bool matchCase) const
{
    return Find(key, matchCase);
}

UString UPairList::Get(const char* key, bool matchCase) const
{
    const_iterator found = FindPos(key, matchCase);
    return found == m_pairs.end() ? UString() : found->value;
}

UString UPairList::GetOr(const char* key, const char* def) const
{
    const_iterator found = FindPos(key, true);
    return found == m_pairs.end() || found->value.IsEmpty() ? UString(def) : found->value;
}

bool UPairList::Set(const char* key, const char* value, bool overwrite)
{
    if (!(key && strcmp(key, AppendedKey) == 0)) {
        iterator found = FindPos(key, true);
        if (found != m_pairs.end()) {
            if (!overwrite)
                return false;
            found->value = value;
            return true;
        }
    }
    Pair pair;
    pair.key = key;
    pair.value = value;
    m_pairs.push_back(std::move(pair));
    IndexAppended();
    return true;
}

UString UPairList::KeyAt(long i) const
{
    return i >= 0 && i < Count() ? m_pairs[static_cast<size_t>(i)].key : UString();
}

UString UPairList::ValueAt(long i, const char* def) const
{
    return i >= 0 && i < Count() ? m_pairs[static_cast<size_t>(i)].value : UString(def);
}

UPairList& UPairList::CopyTo(UPairList& target, bool clearFirst) const
{
    if (clearFirst) {
        // Only Set adds pairs, so every key here is there once but ";" and
        // blank keys, which Set appends each time: setting the pairs one by
        // one into an emptied list would give these very pairs. Copied whole,
        // a list of many keys is not looked up once per key.
        if (&target != this) {
            target.m_pairs = m_pairs;
            target.Reindex();
        }
        return target;
    }
    // A copy into this very list must not see its own appended pairs.
    const Pairs source = m_pairs;
    for (const Pair& pair : source)
        target.Set(pair.key.GetText(), pair.value.GetText(), true);
    return target;
}

UString UPairList::Join(const char* separator, bool quote) const
{
    std::string text;
    for (const Pair& pair : m_pairs) {
        if (&pair != &m_pairs.front())
            text += StrFromText(separator);
        text += pair.key.GetText();
        text += quote ? "=\"" : "=";
        text += pair.value.GetText();
        if (quote)
            text += '"';
    }
    return UString(text.c_str());
}

std::vector<const UPairList*> UPairList::Chain() const
{
    std::vector<const UPairList*> chain;
    for (const UPairList* list = this;
         list && std::find(chain.begin(), chain.end(), list) == chain.end(); list = list->m_parent)
        chain.push_back(list);
    return chain;
}

UString UPairList::GetInherited(const char* key, bool matchCase) const
{
    for (const UPairList* list : Chain()) {
        const_iterator found = list->FindPos(key, matchCase);
        if (found != list->end())
            return found->value;
    }
    return UString();
}

UString UPairList::Expand(const char* text, bool chain, bool dropUnknown) const
{
    std::string out = StrFromText(text);
    std::vector<const UPairList*> lists = Chain();
    if (!chain)
        lists.resize(1);
    // The parents keep what they do not know: a reference may belong to a
    // list further up, or to whoever expands the text after them.
    bool drop = dropUnknown;
    for (const UPairList* list : lists) {
        std::string trimmed = out;
        if (StrTrim(trimmed).empty())
            return UString();
        if (!list->IsEmpty())
            out = ExpandReferences(
                out,
                [list](const std::string& key, std::string& value) {
                    const_iterator found = list->FindPos(key.c_str(), false);
                    if (found == list->end())
                        return false;
                    value = found->value.ToStdString();
                    return true;
                },
                drop);
        drop = false;
    }
    return UString(out.c_str());
}

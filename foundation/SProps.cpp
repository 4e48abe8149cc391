#include "foundation/SProps.h"

#include <atomic>
#include <cstring>

#include "foundation/StrUtil.h"

namespace {

// From this many entries on, a bag keeps an index of its keys: below it a scan
// is as quick, and rows and option bags stay as light as they were.
const size_t kIndexFrom = 24;

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Keys fold ASCII letters only (the rule of the runtime's _stricmp in the
// "C" locale); other bytes compare as they are. The index folds by the same rule.
bool KeyEquals(const std::string& key, const char* text)
{
    const char* a = key.c_str();
    for (; *a && *text; ++a, ++text)
        if (FoldAscii(*a) != FoldAscii(*text))
            return false;
    return *a == *text;
}

bool KeyStartsWith(const std::string& key, const char* prefix, size_t length)
{
    if (key.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (FoldAscii(key[i]) != FoldAscii(prefix[i]))
            return false;
    return true;
}

std::string FoldedKey(const char* key)
{
    std::string folded(key);
    for (char& c : folded)
        c = FoldAscii(c);
    return folded;
}

bool IsEmptyText(const char* text)
{
    return text == nullptr || *text == '\0';
}

} // namespace

SProps::SProps() = default;

SProps::~SProps()
{
    // Our own clear, not an override: the derived part is already gone.
    SProps::Clear();
}

const SProps::Entry* SProps::EntryAt(int i) const
{
    if (i < 0 || i >= static_cast<int>(Size()))
        return nullptr;
    return m_entries->items[static_cast<size_t>(i)].get();
}

SProps::List& SProps::OwnList()
{
    if (!m_entries) {
        m_entries = std::make_shared<List>();
    } else if (m_entries.use_count() > 1) {
        // The nodes stay shared: texts read from them keep their place.
        m_entries = std::make_shared<List>(*m_entries);
    } else {
        // Whatever a former sharer on another thread did with the list is
        // complete before we write to it.
        std::atomic_thread_fence(std::memory_order_acquire);
    }
    return *m_entries;
}

void SProps::RebuildIndex(List& list)
{
    list.index.clear();
    list.indexed = list.items.size() >= kIndexFrom;
    if (!list.indexed)
        return;
    list.index.reserve(list.items.size());
    for (size_t i = 0; i < list.items.size(); ++i) {
        const std::string& key = list.items[i]->key;
        // An empty key is never found; after a renaming the first of two
        // equal keys is the one found.
        if (!key.empty())
            list.index.emplace(FoldedKey(key.c_str()), i);
    }
}

void SProps::IndexAppended(List& list)
{
    if (!list.indexed) {
        if (list.items.size() >= kIndexFrom)
            RebuildIndex(list);
        return;
    }
    const size_t last = list.items.size() - 1;
    const std::string& key = list.items[last]->key;
    if (!key.empty())
        list.index.emplace(FoldedKey(key.c_str()), last);
}

SProps::Entry& SProps::OwnEntry(size_t i)
{
    std::shared_ptr<Entry>& node = OwnList().items[i];
    if (node.use_count() > 1)
        node = std::make_shared<Entry>(*node);
    else
        std::atomic_thread_fence(std::memory_order_acquire);
    return *node;
}

void SProps::AssignEntries(const SProps& other)
{
    if (&other == this)
        return;
    if (other.Size() == 0) {
        m_entries.reset();
        return;
    }
    if (!other.m_entries->renamed) {
        // Keys are unique, so setting them one by one would rebuild the very same list.
        m_entries = other.m_entries;
        return;
    }
    m_entries.reset();
    const int count = other.Count();
    for (int i = 0; i < count; ++i)
        SProps::Set(other.GetKeyAt(i), other.GetValueAt(i), other.GetCommentAt(i), true);
}

const char* SProps::Get(const char* key, const char* def) const
{
    const Entry* e = EntryAt(IndexOf(key));
    return e ? e->value.c_str() : def;
}

int SProps::CopyFrom(const SProps* other, int first, int last)
{
    if (other == nullptr || other->Count() == 0)
        return 0;
    if (other == this)
        return Count();
    const int count = other->Count();
    if (last < 0 || last > count)
        last = count;
    if (first < 0)
        first = 0;
    if (first >= last)
        return 0;
    for (int i = first; i < last; ++i) {
        const char* key = other->GetKeyAt(i);
        if (IsEmptyText(key))
            break;
        SProps::Set(key, other->GetValueAt(i), other->GetCommentAt(i), true);
    }
    return Count();
}

bool SProps::Set(const char* key, const char* value, const char* comment, bool overwrite)
{
    const int i = IndexOf(key);
    if (i < 0) {
        auto e = std::make_shared<Entry>();
        e->key = StrFromText(key);
        e->value = StrFromText(value);
        e->comment = StrFromText(comment);
        List& list = OwnList();
        list.items.push_back(std::move(e));
        IndexAppended(list);
        return true;
    }
    if (!overwrite)
        return false;
    // The key keeps its first spelling; the comment goes with the old value.
    // Both texts are taken before either is replaced: they may point into
    // this very entry.
    std::string newValue = StrFromText(value);
    std::string newComment = StrFromText(comment);
    Entry& e = OwnEntry(static_cast<size_t>(i));
    e.value.swap(newValue);
    e.comment.swap(newComment);
    return true;
}

const char* SProps::GetComment(const char* key, const char* def) const
{
    const Entry* e = EntryAt(IndexOf(key));
    return e ? e->comment.c_str() : def;
}

int SProps::IndexOf(const char* key) const
{
    if (IsEmptyText(key))
        return -1;
    if (m_entries && m_entries->indexed) {
        const auto found = m_entries->index.find(FoldedKey(key));
        return found == m_entries->index.end() ? -1 : static_cast<int>(found->second);
    }
    const size_t size = Size();
    for (size_t i = 0; i < size; ++i) {
        if (KeyEquals(m_entries->items[i]->key, key))
            return static_cast<int>(i);
    }
    return -1;
}

const char* SProps::GetKeyAt(int i) const
{
    const Entry* e = EntryAt(i);
    return e ? e->key.c_str() : nullptr;
}

const char* SProps::GetValueAt(int i) const
{
    const Entry* e = EntryAt(i);
    return e ? e->value.c_str() : nullptr;
}

const char* SProps::GetCommentAt(int i) const
{
    const Entry* e = EntryAt(i);
    return e ? e->comment.c_str() : nullptr;
}

bool SProps::SetValueAt(int i, const char* value)
{
    if (EntryAt(i) == nullptr)
        return false;
    std::string text = StrFromText(value);
    OwnEntry(static_cast<size_t>(i)).value.swap(text);
    return true;
}

bool SProps::SetCommentAt(int i, const char* comment)
{
    if (EntryAt(i) == nullptr)
        return false;
    std::string text = StrFromText(comment);
    OwnEntry(static_cast<size_t>(i)).comment.swap(text);
    return true;
}

bool SProps::ReplaceKeyAt(int i, const char* key)
{
    if (EntryAt(i) == nullptr)
        return false;
    std::string text = StrFromText(key);
    OwnEntry(static_cast<size_t>(i)).key.swap(text);
    m_entries->renamed = true;
    if (m_entries->indexed)
        RebuildIndex(*m_entries);
    return true;
}

bool SProps::RemoveAt(int i)
{
    if (EntryAt(i) == nullptr)
        return false;
    List& list = OwnList();
    const size_t at = static_cast<size_t>(i);
    if (list.indexed && at + 1 == list.items.size()) {
        // The last entry has no later twin: its key leaves the index alone.
        const auto found = list.index.find(FoldedKey(list.items[at]->key.c_str()));
        if (found != list.index.end() && found->second == at)
            list.index.erase(found);
        list.items.pop_back();
        return true;
    }
    list.items.erase(list.items.begin() + i);
    if (list.indexed)
        RebuildIndex(list);
    return true;
}

void SProps::Clear()
{
    m_entries.reset();
}

int SProps::FindPrefix(const char* prefix, int n) const
{
    if (IsEmptyText(prefix))
        return Size() == 0 ? -1 : 0;
    if (n < 0)
        return -1;
    const size_t length = strlen(prefix);
    const size_t size = Size();
    for (size_t i = 0; i < size; ++i) {
        if (KeyStartsWith(m_entries->items[i]->key, prefix, length) && n-- == 0)
            return static_cast<int>(i);
    }
    return -1;
}

bool SProps::SetPrefixed(const char* prefix, const char* key, const char* value,
                         const char* comment, bool overwrite)
{
    if (key == nullptr || value == nullptr)
        return false;
    return Set((StrFromText(prefix) + key).c_str(), value, comment, overwrite);
}

int SProps::Count() const
{
    return static_cast<int>(Size());
}

SProps& SProps::Reset()
{
    Clear();
    return *this;
}

SProps& SProps::PutDouble(const char* key, double x, const char* comment, bool overwrite,
                          const char* format)
{
    std::string text;
    StrFormat(text, format ? format : "%.3f", x);
    return Put(key, text.c_str(), comment, overwrite);
}

SProps& SProps::PutLong(const char* key, long x, const char* comment, bool overwrite)
{
    return Put(key, StrFromLong(x).c_str(), comment, overwrite);
}

SProps& SProps::PutPointer(const char* key, const void* pointer, const char* comment,
                           bool overwrite)
{
    return Put(key, StrFromPointer(pointer).c_str(), comment, overwrite);
}

SProps& SProps::Put(const char* key, const char* value, const char* comment, bool overwrite)
{
    Set(key, value, comment, overwrite);
    return *this;
}

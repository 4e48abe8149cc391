#include "foundation/DProps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string.h>

#include "foundation/StrUtil.h"

namespace {

bool IsEmptyText(const char* text)
{
    return text == nullptr || *text == '\0';
}

} // namespace

DProps::DProps() = default;

DProps::DProps(const DProps& other) : SProps(), m_name(other.m_name), m_charset(other.m_charset)
{
    // No other thread can know a bag under construction: it is filled without
    // taking its lock, which would set the lock up for nothing.
    AssignEntries(other);
}

DProps::DProps(DProps&& other) noexcept
    : SProps(), m_name(std::move(other.m_name)), m_charset(std::move(other.m_charset))
{
    SwapEntries(other);
}

DProps& DProps::operator=(DProps&& other)
{
    if (&other == this)
        return *this;
    {
        DAutoLock guard(&m_lock);
        // The same clear as a copy makes, so a bag that owns what its
        // entries point to lets go of it first.
        Clear();
        SwapEntries(other);
    }
    m_name = std::move(other.m_name);
    m_charset = std::move(other.m_charset);
    return *this;
}

DProps& DProps::operator=(const DProps& other)
{
    if (&other == this)
        return *this;
    {
        // Held across the clear and the refill, so that no other thread sees
        // the bag half copied. The source is read by position, unlocked.
        DAutoLock guard(&m_lock);
        Clear();
        AssignEntries(other);
    }
    m_name = other.m_name;
    m_charset = other.m_charset;
    return *this;
}

DProps::~DProps()
{
    // A lock never taken has no holder to wait for.
    if (!m_lock.EverUsed()) {
        SProps::Clear();
        return;
    }
    // The lock's own destructor then waits until no other thread holds it.
    DAutoLock guard(&m_lock);
    SProps::Clear();
}

const char* DProps::Get(const char* key, const char* def) const
{
    DAutoLock guard(&m_lock);
    return SProps::Get(key, def);
}

int DProps::CopyFrom(const SProps* other, int first, int last)
{
    if (other == nullptr || other == this)
        return 0;
    DAutoLock guard(&m_lock);
    return SProps::CopyFrom(other, first, last);
}

bool DProps::Set(const char* key, const char* value, const char* comment, bool overwrite)
{
    if (IsEmptyText(key))
        return false;
    DAutoLock guard(&m_lock);
    return SProps::Set(key, value, comment, overwrite);
}

const char* DProps::GetComment(const char* key, const char* def) const
{
    DAutoLock guard(&m_lock);
    return SProps::GetComment(key, def);
}

int DProps::IndexOf(const char* key) const
{
    DAutoLock guard(&m_lock);
    return SProps::IndexOf(key);
}

bool DProps::SetValueAt(int i, const char* value)
{
    DAutoLock guard(&m_lock);
    return SProps::SetValueAt(i, value);
}

bool DProps::RemoveAt(int i)
{
    DAutoLock guard(&m_lock);
    return SProps::RemoveAt(i);
}

void DProps::Clear()
{
    DAutoLock guard(&m_lock);
    SProps::Clear();
}

int DProps::FindPrefix(const char* prefix, int n) const
{
    DAutoLock guard(&m_lock);
    return SProps::FindPrefix(prefix, n);
}

const char* DProps::GetInherited(const char* key, const char* def) const
{
    DAutoLock guard(&m_lock);
    const int i = SProps::IndexOf(key);
    if (i >= 0)
        return GetValueAt(i);
    return m_parent ? m_parent->GetInherited(key, def) : def;
}

int DProps::CopyPrefixed(const DProps* other, const char* prefix)
{
    if (other == nullptr || other == this || IsEmptyText(prefix) || other->Count() == 0)
        return 0;
    int set = 0;
    for (int n = 0; n < other->Count(); ++n) {
        const int i = other->FindPrefix(prefix, n);
        if (i < 0)
            break;
        if (SProps::Set(other->GetKeyAt(i), other->GetValueAt(i), other->GetCommentAt(i), true))
            ++set;
    }
    return set;
}

int DProps::CopyKeys(const DProps* other, const std::vector<std::string>* keys)
{
    if (other == nullptr || other == this)
        return 0;
    DAutoLock guard(&m_lock);
    if (keys == nullptr) {
        SProps::CopyFrom(other, 0, -1);
        return other->Count();
    }
    int set = 0;
    for (const std::string& key : *keys) {
        const int i = other->IndexOf(key.c_str());
        if (i < 0)
            continue;
        if (SProps::Set(other->GetKeyAt(i), other->GetValueAt(i), other->GetCommentAt(i), true))
            ++set;
    }
    return set;
}

bool DProps::SetString(const char* key, const std::string& value, const char* comment,
                       bool overwrite)
{
    DAutoLock guard(&m_lock);
    return SProps::Set(StrFromText(key).c_str(), value.c_str(), comment, overwrite);
}

bool DProps::SetPrefixed(const char* prefix, const char* key, const char* value, bool overwrite)
{
    if (key == nullptr || value == nullptr)
        return false;
    DAutoLock guard(&m_lock);
    return SProps::Set((StrFromText(prefix) + key).c_str(), value, nullptr, overwrite);
}

int DProps::RenamePrefix(const char* oldPrefix, const char* newPrefix)
{
    const bool byPrefix = !IsEmptyText(oldPrefix);
    if (byPrefix ? _stricmp(oldPrefix, StrFromText(newPrefix).c_str()) == 0 : newPrefix == nullptr)
        return 0;
    const size_t cut = byPrefix ? strlen(oldPrefix) : 0;
    const std::string front = StrFromText(newPrefix);
    int changed = 0;
    // A new prefix that begins with the old one is found again every round,
    // so the walk is bounded by the count rather than by the matches.
    for (int i = 0; i < Count(); ++i) {
        const int at = byPrefix ? FindPrefix(oldPrefix, 0) : i;
        if (at < 0)
            break;
        const std::string key = front + std::string(GetKeyAt(at)).substr(cut);
        if (key.empty())
            continue;
        ReplaceKeyAt(at, key.c_str());
        ++changed;
    }
    return changed;
}

int DProps::RemovePrefixed(const char* prefix, int n)
{
    if (n >= 0) {
        const int at = FindPrefix(prefix, n);
        return at >= 0 && RemoveAt(at) ? 1 : 0;
    }
    int removed = 0;
    for (int at = FindPrefix(prefix, 0); at >= 0 && RemoveAt(at); at = FindPrefix(prefix, 0))
        ++removed;
    return removed;
}

DProps& DProps::SetDouble(const char* key, double x, const char* format, const char* comment)
{
    // Lengths and costs are the usual callers; a missing format writes them
    // the way they are written everywhere else.
    return Set(key, StrFromDouble(x, format ? format : "%.5f").c_str(), comment);
}

DProps& DProps::SetInt64(const char* key, long long x, const char* comment)
{
    std::string text;
    StrFormat(text, "%I64d", x);
    return Set(key, text.c_str(), comment);
}

DProps& DProps::SetLong(const char* key, long x, const char* comment)
{
    return Set(key, StrFromLong(x).c_str(), comment);
}

DProps& DProps::SetPointer(const char* key, const void* pointer, const char* comment)
{
    return Set(key, StrFromPointer(pointer).c_str(), comment);
}

DProps& DProps::SetString(const char* key, const std::string& value, const char* comment)
{
    SetString(key, value, comment, true);
    return *this;
}

DProps& DProps::Set(const char* key, const char* value, const char* comment)
{
    Set(key, value, comment, true);
    return *this;
}

bool DProps::Equals(const DProps* other) const
{
    if (other == nullptr)
        return false;
    const int count = Count();
    if (count != other->Count())
        return false;
    for (int i = 0; i < count; ++i) {
        const char* theirs = other->Get(GetKeyAt(i), nullptr);
        if (theirs == nullptr || strcmp(theirs, GetValueAt(i)) != 0)
            return false;
    }
    return true;
}

std::string DProps::Name() const
{
    return m_name;
}

std::string DProps::Name(const char* newName)
{
    if (newName)
        m_name = newName;
    return m_name;
}

std::string DProps::Charset() const
{
    return m_charset;
}

std::string DProps::Charset(const char* newCharset)
{
    if (newCharset)
        m_charset = newCharset;
    return m_charset;
}

char* DProps::GetAnsi(const char* key) const
{
    std::string value;
    {
        DAutoLock guard(&m_lock);
        const char* text = SProps::Get(key, nullptr);
        if (text == nullptr)
            return nullptr;
        value = text;
    }
    const unsigned codePage = m_charset == "utf-8" ? 65001u : 0u;
    wchar_t* wide = TextToWide(nullptr, value.c_str(), codePage);
    if (wide == nullptr)
        return nullptr;
    char* ansi = WideToText(nullptr, 0, wide);
    free(wide);
    return ansi;
}

// ---- Typed reads ----------------------------------------------------------

namespace {

// Runs read on the bag's value of key (def when absent) while the bag's lock
// is held, so the text cannot change under the reader.
template <class Read>
auto ReadLocked(const DProps* bag, const char* key, const char* def, Read read)
{
    if (bag == nullptr)
        return read(def);
    DAutoLock guard(&bag->GetLock());
    return read(bag->Get(key, def));
}

} // namespace

long DProps::GetLong(const DProps* bag, const char* key)
{
    return ReadLocked(bag, key, nullptr, [](const char* v) { return StrToLong(v); });
}

long DProps::GetLong(const DProps* bag, const char* key, long def)
{
    const std::string text = StrFromLong(def);
    return ReadLocked(bag, key, text.c_str(), [](const char* v) { return StrToLong(v); });
}

double DProps::GetDouble(const DProps* bag, const char* key)
{
    return ReadLocked(bag, key, nullptr, [](const char* v) { return StrToDouble(v); });
}

double DProps::GetDouble(const DProps* bag, const char* key, double def)
{
    const std::string text = StrFromDouble(def, "%f");
    return ReadLocked(bag, key, text.c_str(), [](const char* v) { return StrToDouble(v); });
}

long long DProps::GetInt64(const DProps* bag, const char* key)
{
    return ReadLocked(bag, key, nullptr,
                      [](const char* v) { return v ? strtoll(v, nullptr, 10) : 0LL; });
}

std::string DProps::GetString(const DProps* bag, const char* key, const char* def)
{
    return ReadLocked(bag, key, def, [](const char* v) { return StrFromText(v); });
}

std::string DProps::GetString(const DProps* bag, const char* key, const std::string& def)
{
    if (bag == nullptr)
        return def;
    DAutoLock guard(&bag->GetLock());
    const char* v = bag->Get(key, nullptr);
    return v ? std::string(v) : def;
}

HFONT GetCommentFont(const DProps* bag, HFONT defaultFont)
{
    const std::string def = StrFromPointer(defaultFont);
    const std::string text = DProps::GetString(bag, "font.comment", def.c_str());
    return static_cast<HFONT>(StrToPointer(text.c_str()));
}

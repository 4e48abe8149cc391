// An ordered list of key/value texts, the model of key=value files (layout
// files, table styles, the properties file). A list may have a parent that
// answers for the keys it does not hold, so a table cell inherits its table's
// attributes. Not locked: one thread at a time.
#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/UString.h"

class UPairList
{
public:
    struct Pair {
        UString key;
        UString value;
    };
    using Pairs = std::vector<Pair>;
    using iterator = Pairs::iterator;
    using const_iterator = Pairs::const_iterator;

    // The key that is always appended, never replaced: one pair per
    // comment-only line of a settings file.
    static constexpr const char* AppendedKey = ";";

    UPairList();
    UPairList(const UPairList& other);
    UPairList(UPairList&& other) noexcept = default;
    UPairList& operator=(const UPairList& other);
    UPairList& operator=(UPairList&& other) noexcept = default;
    // The parent is never owned: it stays with whoever set it.
    virtual ~UPairList();

    // The value of the first pair whose whole key equals key; the empty text
    // when there is none. A blank key never matches.
    UString Get(const char* key, bool matchCase = true) const;
    // The value of key (case-sensitive), or def when there is none or it is empty.
    UString GetOr(const char* key, const char* def) const;
    // Appends a pair for a new key (and always for ";"); replaces the value of
    // the first pair of a present key with overwrite. False only when the key
    // is present and overwrite is off. A null value counts as the empty text.
    bool Set(const char* key, const char* value, bool overwrite = true);

    // The first pair whose key equals key, or end(). Keys must never be
    // changed through the iterators: the list's index follows Set alone.
    iterator FindPos(const char* key, bool matchCase = true);
    const_iterator FindPos(const char* key, bool matchCase = true) const;
    // Its index, -1 when none.
    long IndexOf(const char* key, bool matchCase = true) const;
    // The key of pair i; the empty text out of range.
    UString KeyAt(long i) const;
    // The value of pair i; def out of range.
    UString ValueAt(long i, const char* def = nullptr) const;

    // Sets every pair into target in order (overwriting, so ";" pairs are
    // appended), after emptying target when asked. Returns target.
    UPairList& CopyTo(UPairList& target, bool clearFirst) const;
    // key=value (key="value" with quote) for each pair, separator between pairs.
    UString Join(const char* separator, bool quote) const;
    // The value of key here, else the parent's answer, up the chain; the
    // empty text when no list holds it. A key held with an empty value
    // answers the empty text without asking further.
    UString GetInherited(const char* key, bool matchCase = true) const;
    // text with its "${key}" references replaced by the values of this list
    // (keys ignoring case, values scanned again); unknown references are
    // removed with dropUnknown and kept otherwise. With chain the result is
    // then expanded by the parent, keeping what it does not know, and so on up.
    UString Expand(const char* text, bool chain, bool dropUnknown) const;

    UPairList* GetParent() const { return m_parent; }
    void SetParent(UPairList* parent) { m_parent = parent; }
    // The comment marker of the key=value files read into the list ("#").
    const UString& Marker() const { return m_marker; }
    void SetMarker(const char* marker) { m_marker = marker; }

    long Count() const { return static_cast<long>(m_pairs.size()); }
    bool IsEmpty() const { return m_pairs.empty(); }
    void Clear();
    const Pairs& GetPairs() const { return m_pairs; }
    iterator begin() { return m_pairs.begin(); }
    iterator end() { return m_pairs.end(); }
    const_iterator begin() const { return m_pairs.begin(); }
    const_iterator end() const { return m_pairs.end(); }

private:
    // Parents up the chain, this list first, each at most once, so a parent
    // loop set by mistake cannot make a lookup run forever.
    std::vector<const UPairList*> Chain() const;
    // Index of the first pair of the key, -1 when none, by the index or a scan.
    long Find(const char* key, bool matchCase) const;
    // After an append: the index takes the new key, or is built once the list
    // has grown large enough to need one.
    void IndexAppended();
    // The index built again for pairs that were replaced wholesale.
    void Reindex();

    Pairs m_pairs;
    // Long lists (a properties file or a layout file of many keys) also know
    // the first position of every key, as written and with ASCII letters
    // folded, so that reading them is not a scan per key. Short lists (a
    // cell's attributes) scan: it is as quick, and keeps them light. The
    // index looks at the keys' own texts, which stay where they are while
    // the pairs move; a copy builds its own.
    struct FoldedHash {
        size_t operator()(std::string_view key) const noexcept;
    };
    struct FoldedEqual {
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };
    bool m_indexed = false;
    std::unordered_map<std::string_view, size_t> m_exact;
    std::unordered_map<std::string_view, size_t, FoldedHash, FoldedEqual> m_folded;
    UPairList* m_parent = nullptr;
    UString m_marker;
};

// Property bag: an ordered list of (key, value, comment) text entries with
// case-insensitive ASCII keys. Nearly every record of the program travels in
// one; the locked form in use everywhere is DProps.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class SProps {
public:
    SProps();
    virtual ~SProps();

    SProps(const SProps&) = delete;
    SProps& operator=(const SProps&) = delete;

    // The value of the first entry with the key, or def (which may be null).
    virtual const char* Get(const char* key, const char* def = nullptr) const;
    // Copies entries first .. last-1 of other (last < 0: all) with overwrite,
    // stopping at the first empty key; returns this bag's count afterwards.
    virtual int CopyFrom(const SProps* other, int first = 0, int last = -1);
    // Adds the key, or replaces value and comment when present and overwrite
    // is set (the comment is erased when none is given). True when changed.
    virtual bool Set(const char* key, const char* value, const char* comment, bool overwrite);
    virtual const char* GetComment(const char* key, const char* def = nullptr) const;
    // Position of the first entry with the key; -1 for absent, null or "".
    virtual int IndexOf(const char* key) const;
    // Reads by position; null when i is out of range.
    virtual const char* GetKeyAt(int i) const;
    virtual const char* GetValueAt(int i) const;
    virtual const char* GetCommentAt(int i) const;
    // Writes by position; false when i is out of range.
    virtual bool SetValueAt(int i, const char* value);
    virtual bool SetCommentAt(int i, const char* comment);
    virtual bool RemoveAt(int i);
    virtual void Clear();
    // Position of the n-th entry (from 0) whose key begins with prefix
    // (ignoring case), -1 when there are not that many. A null or empty
    // prefix gives 0 for a bag with entries.
    virtual int FindPrefix(const char* prefix, int n) const;
    // Set of prefix + key; false when key or value is null.
    virtual bool SetPrefixed(const char* prefix, const char* key, const char* value,
                             const char* comment, bool overwrite);
    virtual int Count() const;
    virtual SProps& Reset();
    // Numbers are stored as text; a double without format is written "%.3f".
    virtual SProps& PutDouble(const char* key, double x, const char* comment = nullptr,
                              bool overwrite = true, const char* format = nullptr);
    virtual SProps& PutLong(const char* key, long x, const char* comment = nullptr,
                            bool overwrite = true);
    virtual SProps& PutPointer(const char* key, const void* pointer, const char* comment = nullptr,
                               bool overwrite = true);
    virtual SProps& Put(const char* key, const char* value, const char* comment = nullptr,
                        bool overwrite = true);

protected:
    // Renames the key at position i in place (value, comment and position stay).
    bool ReplaceKeyAt(int i, const char* key);
    // Exchanges the entries of the two bags without copying any text; texts
    // handed out by reads stay valid and go with their entries.
    void SwapEntries(SProps& other) noexcept { m_entries.swap(other.m_entries); }
    // Replaces this bag's entries by other's, leaving exactly what setting
    // each of other's entries in turn into an empty bag would leave. Records
    // are copied by the million while their bags rarely change afterwards, so
    // the entries are shared until either bag writes.
    void AssignEntries(const SProps& other);

private:
    // Entries live in their own heap nodes so that a text handed out by a read
    // stays where it is while other entries are added or removed. Nodes and the
    // list are shared between copies and never written while shared: a bag
    // takes its own list, or its own node, before it writes.
    struct Entry {
        std::string key;
        std::string value;
        std::string comment;
    };
    struct List {
        std::vector<std::shared_ptr<Entry>> items;
        // Set once a key was renamed in place, which can leave two entries
        // with one key; a copy of such a list must merge them as Set does.
        bool renamed = false;
        // Large bags (settings sections, rows of a whole file) also know the
        // first position of every key, folded to lower case, so that filling
        // them does not rescan them for every key. Kept up to date by every
        // write, which owns the list alone; reads never touch it but to look.
        bool indexed = false;
        std::unordered_map<std::string, size_t> index;
    };
    std::shared_ptr<List> m_entries;  // null while empty

    const Entry* EntryAt(int i) const;
    size_t Size() const { return m_entries ? m_entries->items.size() : 0; }
    List& OwnList();
    Entry& OwnEntry(size_t i);
    // After an append, a removal or a renaming: the index follows the list.
    void IndexAppended(List& list);
    static void RebuildIndex(List& list);
};

// The property bag in use everywhere: an SProps with a name, a charset and a
// recursive lock that serialises every lookup and change by key, so worker
// threads and the UI can share one bag. Static getters read a key as a number.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "foundation/DLock.h"
#include "foundation/SProps.h"

class DProps : public SProps {
public:
    DProps();
    DProps(const DProps& other);
    DProps& operator=(const DProps& other);
    // Takes over the other's entries, name and charset, leaving it empty; like
    // a copy, the parent is not taken. The lock is never moved: each bag keeps
    // its own.
    DProps(DProps&& other) noexcept;
    DProps& operator=(DProps&& other);
    ~DProps() override;

    // Locked forms of the bag operations. Reads and comment writes by
    // position, Count and the prefixed/chaining setters of SProps take no
    // lock of their own (the setters lock through Set and Clear).
    const char* Get(const char* key, const char* def = nullptr) const override;
    // A null source or the bag itself gives 0 at once.
    int CopyFrom(const SProps* other, int first = 0, int last = -1) override;
    // Refuses a null or empty key; a null value is stored as "".
    bool Set(const char* key, const char* value, const char* comment, bool overwrite) override;
    const char* GetComment(const char* key, const char* def = nullptr) const override;
    int IndexOf(const char* key) const override;
    bool SetValueAt(int i, const char* value) override;
    bool RemoveAt(int i) override;
    void Clear() override;
    int FindPrefix(const char* prefix, int n) const override;

    // The 5-argument form stays reachable beside the 4-argument one below.
    using SProps::SetPrefixed;

    // The key's value, else the parent's (which the program never sets).
    virtual const char* GetInherited(const char* key, const char* def = nullptr) const;
    // Copies every entry of other whose key begins with prefix; returns how
    // many were set. Takes no lock on this bag.
    virtual int CopyPrefixed(const DProps* other, const char* prefix);
    // Copies the listed keys that other holds (all of other when keys is
    // null); returns how many were set (other's count for a null list).
    virtual int CopyKeys(const DProps* other, const std::vector<std::string>* keys);
    // Unlike Set, an empty key is not refused: it is appended every time.
    virtual bool SetString(const char* key, const std::string& value, const char* comment,
                           bool overwrite);
    // Set of prefix + key without comment; false when key or value is null.
    virtual bool SetPrefixed(const char* prefix, const char* key, const char* value,
                             bool overwrite = true);
    // Replaces oldPrefix by newPrefix at the start of keys; returns the
    // number of keys changed.
    virtual int RenamePrefix(const char* oldPrefix, const char* newPrefix);
    // n < 0 removes every entry with the prefix and returns how many; else
    // removes the n-th such entry and returns 1, or 0 when there is none.
    virtual int RemovePrefixed(const char* prefix, int n);
    // Chaining setters, always with overwrite. A double needs its format;
    // lengths and costs are written "%.5f".
    virtual DProps& SetDouble(const char* key, double x, const char* format,
                              const char* comment = nullptr);
    virtual DProps& SetInt64(const char* key, long long x, const char* comment = nullptr);
    virtual DProps& SetLong(const char* key, long x, const char* comment = nullptr);
    virtual DProps& SetPointer(const char* key, const void* pointer, const char* comment = nullptr);
    virtual DProps& SetString(const char* key, const std::string& value,
                              const char* comment = nullptr);
    virtual DProps& Set(const char* key, const char* value, const char* comment = nullptr);
    // Same count and, for each entry here, other's value of its key equal
    // byte for byte; comments are not compared.
    virtual bool Equals(const DProps* other) const;

    // The name (a copy); a non-null newName replaces it first.
    std::string Name() const;
    std::string Name(const char* newName);
    // The charset: "utf-8" marks UTF-8 values, anything else the ANSI code page.
    std::string Charset() const;
    std::string Charset(const char* newCharset);
    // The value converted to the ANSI code page, in a malloc'd text the
    // caller frees with free(); null when the key is absent.
    char* GetAnsi(const char* key) const;

    // CRC-32 of key, value and comment of every entry in order (defined
    // with the record text form).
    unsigned long Checksum() const;

    // The bag's lock, for a caller that holds it across several operations.
    DLock& GetLock() const { return m_lock; }

    // Typed reads. They take the bag's lock and copy the text before
    // releasing it; none consults the parent. A default applies only to an
    // absent key: a present empty value reads as 0, 0.0 or "". A null bag
    // reads as an empty one.
    static long GetLong(const DProps* bag, const char* key);
    static long GetLong(const DProps* bag, const char* key, long def);
    static double GetDouble(const DProps* bag, const char* key);
    // The default passes through its "%f" text, so it is rounded to six decimals.
    static double GetDouble(const DProps* bag, const char* key, double def);
    static long long GetInt64(const DProps* bag, const char* key);
    static std::string GetString(const DProps* bag, const char* key, const char* def = nullptr);
    static std::string GetString(const DProps* bag, const char* key, const std::string& def);

    static long GetLong(const DProps& bag, const char* key) { return GetLong(&bag, key); }
    static long GetLong(const DProps& bag, const char* key, long def) { return GetLong(&bag, key, def); }
    static double GetDouble(const DProps& bag, const char* key) { return GetDouble(&bag, key); }
    static double GetDouble(const DProps& bag, const char* key, double def) { return GetDouble(&bag, key, def); }
    static long long GetInt64(const DProps& bag, const char* key) { return GetInt64(&bag, key); }
    static std::string GetString(const DProps& bag, const char* key, const char* def = nullptr)
    {
        return GetString(&bag, key, def);
    }
    static std::string GetString(const DProps& bag, const char* key, const std::string& def)
    {
        return GetString(&bag, key, def);
    }

protected:
    // Consulted by GetInherited only; nothing in the program sets it.
    DProps* m_parent = nullptr;

private:
    std::string m_name;
    std::string m_charset;
    mutable DLock m_lock;
};

// The font named by "font.comment" of the bag, the default font when the key
// is absent; null when the value is empty.
HFONT GetCommentFont(const DProps* bag, HFONT defaultFont);

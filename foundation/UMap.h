// The program's ordered map: a standard map that carries its own recursive
// lock, a default value for missing keys and positions, and a hook through
// which a derived map disposes of the values it owns. Entries are also
// reached by position in key order, which is how callers enumerate them.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "foundation/DLock.h"
#include "foundation/UString.h"

template <class K, class V>
class UMap : public std::map<K, V> {
public:
    using Base = std::map<K, V>;

    UMap() : m_default() {}
    // Waits until no thread holds the lock (the lock's own destructor does
    // that). Values are not released: an owner that must dispose of them
    // calls Clear first.
    virtual ~UMap() = default;

    UMap(const UMap&) = delete;
    UMap& operator=(const UMap&) = delete;

    virtual void SetDefault(const V& value) { m_default = value; }
    virtual V* GetDefault() { return &m_default; }

    // Disposes of a value that leaves the map; this map owns nothing.
    virtual void ReleaseValue(V& value) { (void)value; }

    // Every value is released.
    virtual void Clear()
    {
        DAutoLock guard(&m_lock);
        while (!Base::empty())
            RemoveAt(0);
    }

    // Without overwrite a present key is kept (false). Otherwise the old
    // value is released and the new one stored. Storing the value the key
    // already holds changes nothing: releasing it would leave the map
    // holding a deleted object.
    virtual bool Set(const K& key, const V& value, bool overwrite)
    {
        DAutoLock guard(&m_lock);
        auto it = Base::find(key);
        if (it != Base::end()) {
            if (!overwrite)
                return false;
            if (it->second == value)
                return true;
            Remove(key);
        }
        Base::insert_or_assign(key, value);
        return true;
    }

    virtual bool Remove(const K& key)
    {
        DAutoLock guard(&m_lock);
        return EraseAndRelease(Base::find(key));
    }

    // A negative position counts as 0.
    virtual bool RemoveAt(long position)
    {
        DAutoLock guard(&m_lock);
        return EraseAndRelease(At(position));
    }

    virtual V Get(const K& key)
    {
        DAutoLock guard(&m_lock);
        auto it = Base::find(key);
        return it == Base::end() ? m_default : it->second;
    }

    virtual V GetValueAt(long position)
    {
        DAutoLock guard(&m_lock);
        auto it = At(position);
        return it == Base::end() ? m_default : it->second;
    }

    // True when the position is below the count; the key is copied out
    // when an output is given.
    virtual bool GetKeyAt(long position, K* key)
    {
        DAutoLock guard(&m_lock);
        auto it = At(position);
        if (it == Base::end())
            return false;
        if (key)
            *key = it->first;
        return true;
    }

    // A position past the end gives an empty key and the default value.
    virtual std::pair<K, V> GetPairAt(long position)
    {
        DAutoLock guard(&m_lock);
        auto it = At(position);
        if (it == Base::end())
            return std::pair<K, V>(K(), m_default);
        return *it;
    }

    virtual long IndexOfKey(const K& key)
    {
        return IndexWhere([&](const typename Base::value_type& e) { return e.first == key; });
    }

    virtual long IndexOfValue(const V& value)
    {
        return IndexWhere([&](const typename Base::value_type& e) { return e.second == value; });
    }

    // For a caller that holds the lock across several operations.
    DLock& GetLock() { return m_lock; }

protected:
    // Position of the first entry in key order that matches; -1 when none.
    template <class Match>
    long IndexWhere(Match match)
    {
        DAutoLock guard(&m_lock);
        long i = 0;
        for (auto it = Base::begin(); it != Base::end(); ++it, ++i)
            if (match(*it))
                return i;
        return -1;
    }

    // The entry leaves the map before its value is released, so a release
    // hook that looks at the map no longer finds it.
    bool EraseAndRelease(typename Base::iterator it)
    {
        if (it == Base::end())
            return false;
        V value = it->second;
        Base::erase(it);
        ReleaseValue(value);
        return true;
    }

    typename Base::iterator At(long position)
    {
        if (position < 0)
            position = 0;
        if (static_cast<unsigned long>(position) >= Base::size())
            return Base::end();
        auto it = Base::begin();
        std::advance(it, position);
        return it;
    }

    DLock m_lock;
    V m_default;
};

// Key of the GDI cache: a name, ordered byte by byte.
struct DAttr {
    DAttr() = default;
    DAttr(const char* text) : name(text ? text : "") {}
    DAttr(const std::string& text) : name(text) {}

    bool operator<(const DAttr& other) const { return name < other.name; }
    bool operator==(const DAttr& other) const { return name == other.name; }

    std::string name;
};

// Named fonts, pens and brushes. A handle is deleted when its entry is
// removed, replaced by another handle or cleared, and when the cache itself
// is destroyed: the cache is the one owner of what it holds.
class TGDIMap : public UMap<DAttr, void*> {
public:
    TGDIMap() = default;
    ~TGDIMap() override { Clear(); }

    void ReleaseValue(void*& value) override
    {
        if (value)
            DeleteObject(static_cast<HGDIOBJ>(value));
    }
};

// A registry that owns the objects it holds and deletes each one when its
// entry is removed, replaced by another object or cleared. Destroying the
// registry deletes none: its owner clears it first.
template <class T>
class TPTRMap : public UMap<UString, T> {
public:
    void ReleaseValue(T& value) override
    {
        if (value)
            delete value;
    }
};

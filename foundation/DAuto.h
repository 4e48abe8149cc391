// Owners of raw memory: DAuto holds a character array made with new[] (a
// conversion's or a file read's result) and frees it when it goes out of
// scope; UMemory is a growable byte buffer in global memory.
#pragma once

#include <cstddef>
#include <cstdint>

// Holder of a new[] character array (T is char or wchar_t). Never give it
// memory from malloc: it frees with delete[].
template <typename T>
class DAuto {
public:
    DAuto() = default;
    // Holds p (null holds nothing); count is for the filler's own use.
    explicit DAuto(T* p, int32_t count = 0) { Attach(p, count); }
    virtual ~DAuto() { Release(); }

    DAuto(const DAuto&) = delete;
    DAuto& operator=(const DAuto&) = delete;
    DAuto(DAuto&& other) noexcept { *this = static_cast<DAuto&&>(other); }
    DAuto& operator=(DAuto&& other) noexcept
    {
        if (this != &other) {
            Release();
            m_pointer = other.m_pointer;
            m_count = other.m_count;
            m_held = other.m_held;
            m_owns = other.m_owns;
            other.m_pointer = nullptr;
            other.m_held = false;
        }
        return *this;
    }

    // Frees the array when this holder owns it, then forgets it. Safe to
    // repeat: the array is freed once.
    virtual void Release()
    {
        if (m_pointer && m_owns)
            delete[] m_pointer;
        m_pointer = nullptr;
        m_held = false;
    }

    // Releases what is held, then holds p.
    void Attach(T* p, int32_t count = 0)
    {
        Release();
        m_pointer = p;
        m_count = count;
        m_held = p != nullptr;
    }
    // Gives the array up to the caller without freeing it.
    T* Detach()
    {
        T* p = m_pointer;
        m_pointer = nullptr;
        m_held = false;
        return p;
    }

    T* Get() const { return m_pointer; }
    bool IsHeld() const { return m_held; }
    int32_t GetCount() const { return m_count; }
    void SetCount(int32_t count) { m_count = count; }
    bool Owns() const { return m_owns; }
    // A holder told it does not own the array only forgets it on release.
    void SetOwns(bool owns) { m_owns = owns; }

private:
    T* m_pointer = nullptr;
    int32_t m_count = 0;
    bool m_held = false;
    bool m_owns = true;
};

// Growable byte buffer in fixed global memory whose capacity grows in whole
// granules. The bytes past the used ones are zero.
class UMemory {
public:
    explicit UMemory(int32_t granularity = 4096);
    virtual ~UMemory();

    UMemory(const UMemory&) = delete;
    UMemory& operator=(const UMemory&) = delete;

    // Frees the block; used and capacity become 0.
    virtual void Free();
    // Room for at least size bytes, kept bytes unchanged. Returns the
    // capacity, or 0 when memory ran out (the old block is then kept).
    int32_t Reserve(int32_t size);
    // Appends length bytes of text (0 or less: its string length). Returns the
    // new used size, or 0 for a null or empty text or when memory ran out.
    int32_t Append(int32_t length, const char* text);

    char* GetData() const { return m_block; }
    int32_t GetUsed() const { return m_used; }
    int32_t GetCapacity() const { return m_capacity; }
    int32_t GetGranularity() const { return m_granularity; }

private:
    char* m_block = nullptr;
    int32_t m_used = 0;
    int32_t m_capacity = 0;
    int32_t m_granularity;
};

// size zero bytes made with new[] (release with delete[] or a DAuto<char>),
// or null when memory ran out.
char* AllocZeroed(size_t size);

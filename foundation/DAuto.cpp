#include "foundation/DAuto.h"

#include "foundation/UString.h"

#include <windows.h>

#include <cstring>
#include <new>
#include <string>

UMemory::UMemory(int32_t granularity) : m_granularity(granularity > 0 ? granularity : 4096)
{
}

UMemory::~UMemory()
{
    Free();
}

void UMemory::Free()
{
    if (m_block)
        GlobalFree(m_block);
    m_block = nullptr;
    m_used = 0;
    m_capacity = 0;
}

int32_t UMemory::Reserve(int32_t size)
{
    if (size < m_capacity)
        return m_capacity;
    // Whole granules, at least one: a block of no bytes would be
    // indistinguishable from a failed allocation.
    const int64_t granules = size > 0 ? (static_cast<int64_t>(size) + m_granularity - 1) / m_granularity : 1;
    const int64_t capacity = granules * m_granularity;
    if (capacity > INT32_MAX)
        return 0;
    char* block = static_cast<char*>(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(capacity)));
    if (!block)
        return 0;
    std::memset(block, 0, static_cast<size_t>(capacity));
    if (m_block) {
        std::memcpy(block, m_block, static_cast<size_t>(m_used));
        GlobalFree(m_block);
    }
    m_block = block;
    m_capacity = static_cast<int32_t>(capacity);
    return m_capacity;
}

int32_t UMemory::Append(int32_t length, const char* text)
{
    if (!text)
        return 0;
    size_t count = length > 0 ? static_cast<size_t>(length) : std::strlen(text);
    if (count == 0)
        return 0;
    if (count > static_cast<size_t>(INT32_MAX - m_used))
        return 0;
    const int32_t needed = m_used + static_cast<int32_t>(count);
    if (Reserve(needed) == 0)
        return 0;
    std::memcpy(m_block + m_used, text, count);
    m_used = needed;
    return m_used;
}

char* AllocZeroed(size_t size)
{
    return new (std::nothrow) char[size]();
}

long UWString::GetLength()
{
    // A copy or an append leaves one form only; make the other from it so
    // that the narrow length describes the same text as the wide one.
    if (HasW() && !HasA()) {
        const std::wstring wide = GetW();
        SetW(wide.c_str());
    } else if (HasA() && !HasW()) {
        const std::string narrow = GetA();
        SetA(narrow.c_str());
    }
    return static_cast<long>(std::strlen(GetA()));
}

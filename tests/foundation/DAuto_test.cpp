#include "foundation/DAuto.h"
#include "foundation/UString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

// Array deletions are watched for one address at a time, so that a test can
// tell how often a holder freed its array.
namespace {
std::atomic<void*> g_watched{nullptr};
std::atomic<int> g_watchedFrees{0};

void NoteArrayDelete(void* p)
{
    if (p && p == g_watched.load())
        ++g_watchedFrees;
}

template <typename T>
T* WatchedArray(size_t count)
{
    T* p = new T[count]();
    g_watched = p;
    g_watchedFrees = 0;
    return p;
}

void StopWatching()
{
    g_watched = nullptr;
}
} // namespace

// The array forms of new and delete are replaced as a pair on top of malloc.
void* operator new[](size_t size)
{
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size ? size : 1);
}

void operator delete[](void* p) noexcept
{
    NoteArrayDelete(p);
    std::free(p);
}

void operator delete[](void* p, size_t) noexcept
{
    NoteArrayDelete(p);
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    NoteArrayDelete(p);
    std::free(p);
}

// --- DAuto ----------------------------------------------------------------------

TEST(DAuto, NewHolderIsEmptyAndOwning)
{
    DAuto<char> holder;
    EXPECT_EQ(nullptr, holder.Get());
    EXPECT_EQ(0, holder.GetCount());
    EXPECT_FALSE(holder.IsHeld());
    EXPECT_TRUE(holder.Owns());
    holder.Release();
    EXPECT_FALSE(holder.IsHeld());
}

TEST(DAuto, OwningHolderFreesOnceOnDestruction)
{
    {
        DAuto<wchar_t> holder(WatchedArray<wchar_t>(8), 7);
        EXPECT_TRUE(holder.IsHeld());
        EXPECT_EQ(7, holder.GetCount());
    }
    EXPECT_EQ(1, g_watchedFrees.load());
    StopWatching();
}

TEST(DAuto, ReleaseTwiceFreesOnce)
{
    DAuto<char> holder(WatchedArray<char>(16));
    holder.Release();
    EXPECT_EQ(nullptr, holder.Get());
    EXPECT_FALSE(holder.IsHeld());
    holder.Release();
    EXPECT_EQ(1, g_watchedFrees.load());
    StopWatching();
}

TEST(DAuto, HolderThatDoesNotOwnLeavesTheArrayAlone)
{
    char* array = WatchedArray<char>(4);
    {
        DAuto<char> holder(array, 3);
        holder.SetOwns(false);
        std::strcpy(holder.Get(), "abc");
    }
    EXPECT_EQ(0, g_watchedFrees.load());
    EXPECT_STREQ("abc", array);
    delete[] array;
    EXPECT_EQ(1, g_watchedFrees.load());
    StopWatching();
}

TEST(DAuto, AttachFreesWhatWasHeld)
{
    DAuto<char> holder(WatchedArray<char>(2));
    char* second = new char[2]();
    holder.Attach(second, 1);
    EXPECT_EQ(1, g_watchedFrees.load());
    EXPECT_EQ(second, holder.Get());
    StopWatching();
}

TEST(DAuto, DetachHandsTheArrayOver)
{
    char* array = WatchedArray<char>(2);
    char* given = nullptr;
    {
        DAuto<char> holder(array);
        given = holder.Detach();
        EXPECT_FALSE(holder.IsHeld());
    }
    EXPECT_EQ(array, given);
    EXPECT_EQ(0, g_watchedFrees.load());
    delete[] given;
    StopWatching();
}

TEST(DAuto, MoveLeavesOneOwner)
{
    DAuto<char> first(WatchedArray<char>(2), 2);
    {
        DAuto<char> second(std::move(first));
        EXPECT_FALSE(first.IsHeld());
        EXPECT_EQ(2, second.GetCount());
    }
    first.Release();
    EXPECT_EQ(1, g_watchedFrees.load());
    StopWatching();
}

// --- UMemory --------------------------------------------------------------------

TEST(UMemory, ReserveRoundsUpToWholeGranules)
{
    struct Case { int32_t granularity; int32_t size; int32_t capacity; };
    const Case cases[] = {
        {4096, 5000, 8192}, {4096, 4096, 4096}, {4096, 1, 4096},
        {4096, 4097, 8192}, {4096, 0, 4096},    {100, 250, 300},
    };
    for (const Case& c : cases) {
        UMemory memory(c.granularity);
        EXPECT_EQ(c.capacity, memory.Reserve(c.size)) << c.granularity << "/" << c.size;
        EXPECT_EQ(c.capacity, memory.GetCapacity());
        EXPECT_EQ(0, memory.GetUsed());
        ASSERT_NE(nullptr, memory.GetData());
        for (int32_t i = 0; i < c.capacity; ++i)
            ASSERT_EQ(0, memory.GetData()[i]) << "byte " << i;
    }
}

TEST(UMemory, SmallerReserveKeepsTheBlock)
{
    UMemory memory(4096);
    ASSERT_EQ(8192, memory.Reserve(5000));
    char* block = memory.GetData();
    EXPECT_EQ(8192, memory.Reserve(100));
    EXPECT_EQ(block, memory.GetData());
}

TEST(UMemory, ImpossibleReserveKeepsTheOldBlock)
{
    UMemory memory(4096);
    memory.Reserve(0);
    memory.Append(3, "abc");
    char* block = memory.GetData();
    EXPECT_EQ(0, memory.Reserve(INT32_MAX));
    EXPECT_EQ(block, memory.GetData());
    EXPECT_EQ(4096, memory.GetCapacity());
    EXPECT_EQ(3, memory.GetUsed());
}

TEST(UMemory, AppendTakesTheTextLengthWhenNoneIsGiven)
{
    struct Case { int32_t length; const char* text; int32_t used; const char* content; };
    const Case cases[] = {
        {0, "0123456789", 10, "0123456789"},
        {-1, "abc", 3, "abc"},
        {2, "abc", 2, "ab"},
        {4, "a\0bc", 4, "a\0bc"}, // an explicit length copies past a NUL
    };
    for (const Case& c : cases) {
        UMemory memory(4096);
        memory.Reserve(0);
        EXPECT_EQ(c.used, memory.Append(c.length, c.text));
        EXPECT_EQ(c.used, memory.GetUsed());
        EXPECT_EQ(0, std::memcmp(c.content, memory.GetData(), static_cast<size_t>(c.used)));
        EXPECT_EQ(0, memory.GetData()[c.used]);
    }
}

TEST(UMemory, AppendOfNothingReturnsZeroAndChangesNothing)
{
    UMemory memory(4096);
    memory.Reserve(0);
    memory.Append(0, "xy");
    EXPECT_EQ(0, memory.Append(5, nullptr));
    EXPECT_EQ(0, memory.Append(0, ""));
    EXPECT_EQ(0, memory.Append(-3, ""));
    EXPECT_EQ(2, memory.GetUsed());
}

TEST(UMemory, AppendGrowsBeyondAFullBlockKeepingTheBytes)
{
    UMemory memory(16);
    memory.Reserve(0);
    const std::string first = "0123456789ABCDEF";
    ASSERT_EQ(16, memory.Append(0, first.c_str()));
    EXPECT_EQ(16, memory.GetCapacity());
    EXPECT_EQ(21, memory.Append(0, "ghijk"));
    EXPECT_EQ(32, memory.GetCapacity());
    EXPECT_EQ(first + "ghijk", std::string(memory.GetData(), 21));
    for (int i = 21; i < 32; ++i)
        EXPECT_EQ(0, memory.GetData()[i]);
}

TEST(UMemory, AppendWithoutReserveStartsABlock)
{
    UMemory memory(4096);
    EXPECT_EQ(5, memory.Append(0, "hello"));
    EXPECT_EQ(4096, memory.GetCapacity());
    EXPECT_STREQ("hello", memory.GetData());
}

TEST(UMemory, FreeForgetsEverythingAndTheBufferCanBeUsedAgain)
{
    UMemory memory(4096);
    memory.Append(0, "abc");
    memory.Free();
    EXPECT_EQ(nullptr, memory.GetData());
    EXPECT_EQ(0, memory.GetUsed());
    EXPECT_EQ(0, memory.GetCapacity());
    memory.Free();
    EXPECT_EQ(2, memory.Append(0, "de"));
    EXPECT_STREQ("de", memory.GetData());
}

// --- AllocZeroed ----------------------------------------------------------------

TEST(AllocZeroed, GivesZeroBytesForADAuto)
{
    DAuto<char> holder(AllocZeroed(1000), 1000);
    ASSERT_NE(nullptr, holder.Get());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(0, holder.Get()[i]);
}

TEST(AllocZeroed, ExhaustedMemoryGivesNull)
{
    EXPECT_EQ(nullptr, AllocZeroed(static_cast<size_t>(-1) / 2));
}

// --- UWString::GetLength ----------------------------------------------------------

TEST(UWStringLength, BringsBothFormsInLineFirst)
{
    UWString empty;
    EXPECT_EQ(0, empty.GetLength());

    UWString set;
    set.SetA("abc\xE9");
    EXPECT_EQ(4, set.GetLength());

    UWString wideOnly(set); // a copy keeps the wide form only
    ASSERT_FALSE(wideOnly.HasA());
    EXPECT_EQ(4, wideOnly.GetLength());
    EXPECT_TRUE(wideOnly.HasA());
    EXPECT_STREQ("abc\xE9", wideOnly.GetA());

    UWString appended;
    appended.SetW(L"ab");
    appended.AppendW(L"\x20AC"); // the euro sign is one byte in code page 1252
    EXPECT_EQ(3, appended.GetLength());
    EXPECT_STREQ("ab\x80", appended.GetA());
    EXPECT_STREQ(L"ab\x20AC", appended.GetW());
}

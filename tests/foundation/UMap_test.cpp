#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/UMap.h"

namespace {

// Records every value it releases, and whether the map's lock was held by
// the releasing thread at that moment.
class RecordingMap : public UMap<long, int> {
public:
    void ReleaseValue(int& value) override
    {
        released.push_back(value);
        lockHeld = lockHeld && GetLock().GetOwnerThread() == GetCurrentThreadId();
    }
    std::vector<int> released;
    bool lockHeld = true;
};

class Layout {
public:
    explicit Layout(int* deaths) : m_deaths(deaths) {}
    virtual ~Layout() { ++*m_deaths; }

private:
    int* m_deaths;
};

std::vector<long> Keys(UMap<long, int>& map)
{
    std::vector<long> keys;
    long key = 0;
    for (long i = 0; map.GetKeyAt(i, &key); ++i)
        keys.push_back(key);
    return keys;
}

} // namespace

TEST(UMap, SetWithoutOverwriteKeepsThePresentValue)
{
    RecordingMap map;
    EXPECT_TRUE(map.Set(5, 50, false));
    EXPECT_FALSE(map.Set(5, 51, false));
    EXPECT_EQ(50, map.Get(5));
    EXPECT_TRUE(map.released.empty());

    EXPECT_TRUE(map.Set(5, 52, true));
    EXPECT_EQ(52, map.Get(5));
    EXPECT_EQ(std::vector<int>({50}), map.released);
}

// Storing the value a key already holds must not release it: the map would
// go on holding a deleted object.
TEST(UMap, OverwritingAKeyWithItsOwnValueReleasesNothing)
{
    RecordingMap map;
    map.Set(1, 10, true);
    EXPECT_TRUE(map.Set(1, 10, true));
    EXPECT_TRUE(map.released.empty());
    EXPECT_EQ(10, map.Get(1));
    EXPECT_EQ(1u, map.size());
}

TEST(UMap, PositionsFollowKeyOrder)
{
    UMap<DAttr, void*> names;
    int a = 0, b = 0;
    names.Set("beta", &b, true);
    names.Set("alpha", &a, true);
    names.Set("Zulu", nullptr, true); // upper case sorts first, byte for byte
    DAttr key;
    ASSERT_TRUE(names.GetKeyAt(1, &key));
    EXPECT_EQ("alpha", key.name);
    EXPECT_EQ(&a, names.GetValueAt(1));
    EXPECT_EQ(0, names.IndexOfKey("Zulu"));
    EXPECT_EQ(2, names.IndexOfKey("beta"));
    EXPECT_EQ(-1, names.IndexOfKey("BETA"));
    EXPECT_EQ(2, names.IndexOfValue(&b));
    EXPECT_EQ(-1, names.IndexOfValue(&key));
    auto pair = names.GetPairAt(2);
    EXPECT_EQ("beta", pair.first.name);
    EXPECT_EQ(&b, pair.second);
}

TEST(UMap, MissingKeysAndPositionsGiveTheDefault)
{
    RecordingMap map;
    map.SetDefault(-7);
    EXPECT_EQ(-7, *map.GetDefault());
    EXPECT_EQ(-7, map.Get(3));
    EXPECT_EQ(-7, map.GetValueAt(0));
    EXPECT_EQ(-1, map.IndexOfKey(3));
    EXPECT_FALSE(map.Remove(3));
    EXPECT_FALSE(map.RemoveAt(0));

    map.Set(3, 30, true);
    map.Set(1, 10, true);
    EXPECT_EQ(-7, map.GetValueAt(2)); // position equal to the count
    EXPECT_FALSE(map.GetKeyAt(2, nullptr));
    EXPECT_TRUE(map.GetKeyAt(1, nullptr));
    EXPECT_EQ(10, map.GetValueAt(-4)); // a negative position counts as 0
    EXPECT_EQ(-7, map.Get(2));
}

TEST(UMap, RemovingReleasesWhatLeaves)
{
    RecordingMap map;
    for (long k : {4, 2, 8, 6})
        map.Set(k, static_cast<int>(k * 10), true);

    EXPECT_TRUE(map.RemoveAt(-1)); // the first entry
    EXPECT_TRUE(map.Remove(8));
    EXPECT_FALSE(map.Remove(8));
    EXPECT_FALSE(map.RemoveAt(2));
    EXPECT_EQ(std::vector<long>({4, 6}), Keys(map));
    EXPECT_EQ(std::vector<int>({20, 80}), map.released);

    map.Clear();
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(std::vector<int>({20, 80, 40, 60}), map.released);
    EXPECT_TRUE(map.lockHeld);
}

TEST(UMap, AThreadHoldingTheLockMayCallFurtherOperations)
{
    RecordingMap map;
    map.Set(1, 10, true);
    map.Set(2, 20, true);
    DAutoLock guard(&map.GetLock());
    for (long i = 0; i < static_cast<long>(map.size()); ++i)
        map.Set(map.GetPairAt(i).first, map.GetValueAt(i) + 1, true);
    EXPECT_EQ(11, map.Get(1));
    EXPECT_EQ(21, map.Get(2));
}

TEST(TGDIMap, ReplacingAFontDeletesTheOldOne)
{
    TGDIMap fonts;
    HFONT first = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma");
    HFONT second = CreateFontA(-14, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma");
    fonts.Set("normal", first, true);
    EXPECT_FALSE(fonts.Set("normal", second, false));
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(first));

    EXPECT_TRUE(fonts.Set("normal", first, true)); // the same handle stays alive
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(first));

    EXPECT_TRUE(fonts.Set("normal", second, true));
    EXPECT_EQ(0u, GetObjectType(first));
    EXPECT_EQ(second, fonts.Get("normal"));

    fonts.Set("none", nullptr, true); // a null handle is simply removed
    EXPECT_TRUE(fonts.Remove("none"));
    fonts.Clear();
    EXPECT_EQ(0u, GetObjectType(second));
}

// The cache is the one owner of its handles: destroying it deletes them, and
// create/destroy cycles leave no GDI object behind.
TEST(TGDIMap, DestroyingTheCacheLeavesNoHandleBehind)
{
    DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::vector<HGDIOBJ> made;
    for (int round = 0; round < 50; ++round) {
        TGDIMap cache;
        made.push_back(CreatePen(PS_SOLID, 1, RGB(round, 0, 0)));
        made.push_back(CreateSolidBrush(RGB(0, round, 0)));
        cache.Set("pen", made[made.size() - 2], true);
        cache.Set("brush.back", made.back(), true);
        // Replacing gives the old brush up at once.
        made.push_back(CreateSolidBrush(RGB(0, 0, round)));
        cache.Set("brush.back", made.back(), true);
    }
    for (HGDIOBJ object : made)
        EXPECT_EQ(0u, GetObjectType(object));
    EXPECT_EQ(before, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

TEST(TPTRMap, ClearDeletesTheLayoutsAndDestructionDeletesNone)
{
    int deaths = 0;
    {
        TPTRMap<Layout*> layouts;
        layouts.Set("a", new Layout(&deaths), true);
        layouts.Set("b", new Layout(&deaths), true);
        layouts.Set("c", new Layout(&deaths), true);
        layouts.Clear();
        EXPECT_EQ(3, deaths);
    }
    deaths = 0;
    Layout* kept = new Layout(&deaths);
    {
        TPTRMap<Layout*> layouts;
        layouts.Set("kept", kept, true);
        EXPECT_TRUE(layouts.Set("kept", kept, true)); // not deleted by its own replacement
        EXPECT_EQ(0, deaths);
    }
    EXPECT_EQ(0, deaths);
    delete kept;
    EXPECT_EQ(1, deaths);
}

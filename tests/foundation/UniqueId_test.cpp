#include "foundation/UniqueId.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t Prime = 4294967291u;

uint64_t PowMod(uint64_t base, uint64_t exponent)
{
    uint64_t result = 1;
    base %= Prime;
    while (exponent) {
        if (exponent & 1)
            result = result * base % Prime;
        base = base * base % Prime;
        exponent >>= 1;
    }
    return result;
}

// The inverse of the permutation, through square roots modulo p (p = 3 mod 4,
// so a residue's root is its (p + 1) / 4-th power). Lets a test place any
// value it wants at the head of the sequence.
uint32_t Unpermute(uint32_t y)
{
    if (y >= Prime)
        return y;
    uint64_t root = PowMod(y, (uint64_t(Prime) + 1) / 4);
    if (root * root % Prime == y)
        return static_cast<uint32_t>(root <= Prime / 2 ? root : Prime - root);
    root = PowMod(Prime - y, (uint64_t(Prime) + 1) / 4);
    return static_cast<uint32_t>(root > Prime / 2 ? root : Prime - root);
}

// Arguments for SeedUniqueRandom that make the next draw give `value`.
void SeedSoNextDrawIs(uint32_t value)
{
    const uint32_t b = 12345;
    const uint32_t offset = UniquePermute(UniquePermute(b) + 0x46790905u);
    const uint32_t index = Unpermute((Unpermute(value) ^ 0x5BF03635u) - offset);
    const uint32_t a = Unpermute(Unpermute(index) - 0x682F0161u);
    SeedUniqueRandom(a, b);
}

} // namespace

TEST(UniqueId, PermutationValues)
{
    struct Case { uint32_t x, expected; };
    const Case cases[] = {
        {0, 0},
        {1, 1},
        {2, 4},
        {2147483645u, 1073741823u},
        {2147483646u, 3221225468u},
        {Prime - 1, Prime - 1},
        {4294967291u, 4294967291u},
        {4294967292u, 4294967292u},
        {4294967293u, 4294967293u},
        {4294967294u, 4294967294u},
        {4294967295u, 4294967295u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, UniquePermute(c.x)) << c.x;
}

TEST(UniqueId, PermutationIsOneToOne)
{
    // Around the half-way point and the top of the field, where a wrong
    // branch would map two inputs onto one output.
    std::set<uint32_t> seen;
    const uint32_t starts[] = {0u, 2147480000u, 4294960000u};
    for (uint32_t start : starts) {
        for (uint32_t x = start; x < start + 7295u; ++x) {
            uint32_t y = UniquePermute(x);
            EXPECT_TRUE(seen.insert(y).second) << x;
            EXPECT_EQ(x, Unpermute(y)) << x;
        }
    }
}

TEST(UniqueId, SeedingRestartsTheSequence)
{
    SeedUniqueRandom(17, 4711);
    std::vector<uint32_t> first;
    for (int i = 0; i < 1000; ++i)
        first.push_back(NextUniqueRandom());
    EXPECT_EQ(first.size(), std::set<uint32_t>(first.begin(), first.end()).size());

    SeedUniqueRandom(17, 4711);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(first[i], NextUniqueRandom()) << i;

    SeedUniqueRandom(18, 4711);
    EXPECT_NE(first[0], NextUniqueRandom());
}

TEST(UniqueId, IdsAreNeverZeroOrNegative)
{
    UniqueRandom(); // the one tick-count seeding happens here, not below

    // 0, the value without a positive magnitude, and negatives that share a
    // magnitude with some positive draw: each is drawn again.
    const uint32_t bad[] = {0u, 0x80000000u, 0xFFFFFFFFu, 0x80000001u};
    for (uint32_t value : bad) {
        SeedSoNextDrawIs(value);
        std::vector<uint32_t> draws;
        for (int i = 0; i < 64; ++i)
            draws.push_back(NextUniqueRandom());
        ASSERT_EQ(value, draws[0]);
        long expected = 0;
        for (uint32_t d : draws) {
            if (static_cast<int32_t>(d) > 0) {
                expected = static_cast<int32_t>(d);
                break;
            }
        }
        ASSERT_GT(expected, 0);

        SeedSoNextDrawIs(value);
        EXPECT_EQ(expected, UniqueRandom()) << std::hex << value;
    }
}

TEST(UniqueId, ThreadsDrawDistinctPositiveIds)
{
    constexpr int Threads = 4;
    constexpr int PerThread = 2000;
    std::vector<std::vector<long>> drawn(Threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t) {
        workers.emplace_back([&drawn, t] {
            for (int i = 0; i < PerThread; ++i)
                drawn[t].push_back(UniqueRandom());
        });
    }
    for (std::thread& w : workers)
        w.join();

    std::set<long> all;
    for (const auto& ids : drawn) {
        for (long id : ids) {
            EXPECT_GT(id, 0);
            all.insert(id);
        }
    }
    EXPECT_EQ(static_cast<size_t>(Threads * PerThread), all.size());
}

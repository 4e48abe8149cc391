#include "foundation/UniqueId.h"

#include <windows.h>

#include "foundation/DLock.h"

namespace {

constexpr uint32_t Prime = 4294967291u; // largest prime below 2^32, 3 mod 4

struct Sequence {
    uint32_t index = 0;
    uint32_t offset = 0;
    bool seeded = false;
};

// The UI thread and the calculation threads of several materials draw ids at
// once: seeding and every draw happen under this one lock.
DLock& SequenceLock()
{
    static DLock lock;
    return lock;
}

Sequence& State()
{
    static Sequence state;
    return state;
}

} // namespace

uint32_t UniquePermute(uint32_t x)
{
    if (x >= Prime)
        return x;
    uint32_t residue = static_cast<uint32_t>(static_cast<uint64_t>(x) * x % Prime);
    // Below p/2 the residue itself, above it the other root's image, so that
    // each residue is hit once from each half.
    return x <= Prime / 2 ? residue : Prime - residue;
}

void SeedUniqueRandom(uint32_t a, uint32_t b)
{
    DAutoLock guard(&SequenceLock());
    Sequence& s = State();
    s.index = UniquePermute(UniquePermute(a) + 0x682F0161u);
    s.offset = UniquePermute(UniquePermute(b) + 0x46790905u);
}

uint32_t NextUniqueRandom()
{
    DAutoLock guard(&SequenceLock());
    Sequence& s = State();
    uint32_t x = s.index++;
    return UniquePermute((UniquePermute(x) + s.offset) ^ 0x5BF03635u);
}

long UniqueRandom()
{
    DAutoLock guard(&SequenceLock());
    Sequence& s = State();
    if (!s.seeded) {
        s.seeded = true;
        DWORD t1 = GetTickCount();
        DWORD t2 = GetTickCount();
        SeedUniqueRandom(t2, ~t1);
    }
    // Only positive draws are ids: x and -x would share a magnitude, 0 is no
    // id, and 0x80000000 has no positive magnitude at all.
    for (;;) {
        int32_t value = static_cast<int32_t>(NextUniqueRandom());
        if (value > 0)
            return value;
    }
}

// What a stopped search hands over is destroyed, on a thread of its own.
#include "engine/LateRelease.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <vector>

namespace {

struct Watched {
    std::atomic<DWORD>* destroyedOn;
    explicit Watched(std::atomic<DWORD>* flag) : destroyedOn(flag) {}
    Watched(Watched&& other) noexcept : destroyedOn(other.destroyedOn) { other.destroyedOn = nullptr; }
    Watched(const Watched&) = delete;
    ~Watched()
    {
        if (destroyedOn)
            destroyedOn->store(GetCurrentThreadId());
    }
};

} // namespace

TEST(LateRelease, TheObjectIsDestroyedOnAnotherThread)
{
    std::atomic<DWORD> destroyedOn{0};
    std::vector<Watched> held;
    held.emplace_back(&destroyedOn);
    CUTTING::ReleaseLater(std::move(held));
    // The moved-from vector is empty: nothing is destroyed twice.
    EXPECT_TRUE(held.empty());
    for (int i = 0; i < 500 && destroyedOn.load() == 0; ++i)
        Sleep(10);
    ASSERT_NE(0u, destroyedOn.load()) << "never destroyed";
    EXPECT_NE(GetCurrentThreadId(), destroyedOn.load());
}

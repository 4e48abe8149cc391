#include "foundation/DLock.h"
#include "foundation/ULog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Polls a condition for up to ten seconds, serving the calling thread's
// messages meanwhile.
bool WaitFor(const std::function<bool()>& condition)
{
    const uint64_t end = TimeNowMs() + 10000;
    while (!condition()) {
        if (TimeNowMs() > end)
            return false;
        PumpMessageAndYield();
    }
    return true;
}

// A message-only window of the creating thread; every WM_APP it receives runs
// the handler and is counted.
class TestWindow {
public:
    TestWindow()
    {
        static const ATOM cls = [] {
            WNDCLASSEXA wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &TestWindow::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "DLockTestWindow";
            return RegisterClassExA(&wc);
        }();
        (void)cls;
        m_hwnd = CreateWindowExA(0, "DLockTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TestWindow() { DestroyWindow(m_hwnd); }

    HWND Handle() const { return m_hwnd; }
    int Received() const { return m_received.load(); }
    std::function<void()> onMessage;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_APP) {
            auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            if (self) {
                if (self->onMessage)
                    self->onMessage();
                ++self->m_received;
            }
            return 1;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    HWND m_hwnd = nullptr;
    std::atomic<int> m_received{0};
};

// A worker that takes a lock and keeps it until told to let go.
class Holder {
public:
    explicit Holder(DLock& lock)
        : m_thread([this, &lock] {
              m_id = GetCurrentThreadId();
              lock.Lock(-1);
              m_holding = true;
              while (!m_release)
                  Sleep(1);
              lock.Unlock();
              m_holding = false;
          })
    {
        EXPECT_TRUE(WaitFor([this] { return m_holding.load(); }));
    }
    ~Holder() { Release(); }

    void Release()
    {
        m_release = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    uint32_t Id() const { return m_id; }

private:
    std::atomic<bool> m_holding{false};
    std::atomic<bool> m_release{false};
    std::atomic<uint32_t> m_id{0};
    std::thread m_thread;
};

// Lets some time pass while serving the calling thread's messages.
void Pause(uint64_t ms)
{
    const uint64_t until = TimeNowMs() + ms;
    WaitFor([&] { return TimeNowMs() > until; });
}

// While another thread holds the lock, take() on a third thread must stay
// blocked; once the holder lets go it must get the lock. take() runs on the
// third thread, which releases whatever it holds when take() returns true.
void ExpectBlockedUntilReleased(DLock& lock, const std::function<bool()>& take)
{
    auto holder = std::make_unique<Holder>(lock);
    std::atomic<bool> done{false};
    bool taken = false;
    std::thread waiter([&] {
        taken = take();
        done = true;
        if (lock.GetOwnerThread() == GetCurrentThreadId())
            lock.Unlock();
    });
    Pause(30);
    EXPECT_FALSE(done.load());
    holder.reset();
    waiter.join();
    EXPECT_TRUE(taken);
    EXPECT_FALSE(lock.IsLocked());
}

// Runs one Lock call with a short limit on another thread.
bool LockFromOtherThread(DLock& lock, int32_t timeout = 1)
{
    bool taken = false;
    std::thread([&] {
        taken = lock.Lock(timeout);
        if (taken)
            lock.Unlock();
    }).join();
    return taken;
}

void ExpectFree(DLock& lock)
{
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_EQ(0u, lock.GetOwnerThread());
    EXPECT_TRUE(LockFromOtherThread(lock));
}

void ExpectHeldBy(DLock& lock, uint32_t owner)
{
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_EQ(owner, lock.GetOwnerThread());
    EXPECT_FALSE(LockFromOtherThread(lock));
}

} // namespace

// --- Locker base --------------------------------------------------------------

TEST(Locker, BaseIsAlwaysFreeAndTakenAtOnce)
{
    Locker base;
    EXPECT_TRUE(base.Lock(1));
    EXPECT_FALSE(base.IsLocked());
    EXPECT_EQ(0u, base.GetOwnerThread());
    base.Unlock();
}

// --- DLock ownership ----------------------------------------------------------

TEST(DLock, NewLockIsFree)
{
    DLock lock;
    ExpectFree(lock);
}

// The section is set up by whichever thread locks first; threads that race
// for a fresh lock must still exclude one another.
TEST(DLock, ThreadsRacingForAFreshLockExcludeEachOther)
{
    for (int round = 0; round < 20; ++round) {
        auto lock = std::make_unique<DLock>();
        std::atomic<int> ready{0};
        std::atomic<int> inside{0};
        std::atomic<int> overlaps{0};
        std::atomic<int> entered{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&] {
                ++ready;
                while (ready.load() < 4) {
                }
                for (int i = 0; i < 50; ++i) {
                    if (!lock->Lock(-1))
                        continue;
                    if (++inside != 1)
                        ++overlaps;
                    ++entered;
                    --inside;
                    lock->Unlock();
                }
            });
        }
        for (std::thread& t : threads)
            t.join();
        EXPECT_EQ(0, overlaps.load());
        EXPECT_EQ(200, entered.load());
        ExpectFree(*lock);
    }
}

TEST(DLock, NeverTakenLockIsDestroyedAtOnceAndNewLockIsUsable)
{
    {
        DLock untouched;
        ExpectFree(untouched);
    }
    DLock lock;
    EXPECT_TRUE(lock.Lock(1));
    ExpectHeldBy(lock, GetCurrentThreadId());
    lock.Unlock();
    ExpectFree(lock);
}

TEST(DLock, OwnerReentersAndOneUnlockReleasesEveryLevel)
{
    DLock lock;
    ASSERT_TRUE(lock.Lock(-1));
    EXPECT_TRUE(lock.Lock(-1));
    EXPECT_TRUE(lock.Lock(5));
    ExpectHeldBy(lock, GetCurrentThreadId());
    lock.Unlock();
    ExpectFree(lock);
}

TEST(DLock, UnlockByAnotherThreadLeavesTheOwnerHolding)
{
    DLock lock;
    ASSERT_TRUE(lock.Lock(-1));
    std::thread([&] { lock.Unlock(); }).join();
    ExpectHeldBy(lock, GetCurrentThreadId());
    lock.Unlock();
    ExpectFree(lock);
}

TEST(DLock, UnlockOfAFreeLockIsHarmless)
{
    DLock lock;
    lock.Unlock();
    EXPECT_FALSE(lock.IsLocked());
    ASSERT_TRUE(lock.Lock(1));
    lock.Unlock();
}

TEST(DLock, LockHeldElsewhereReportsItsOwner)
{
    DLock lock;
    Holder holder(lock);
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_EQ(holder.Id(), lock.GetOwnerThread());
    holder.Release();
    EXPECT_FALSE(lock.IsLocked());
}

TEST(DLock, TimeoutStoresOnlyValuesOfZeroOrMore)
{
    DLock lock;
    struct Case { int32_t value; int32_t expected; };
    const Case cases[] = {{-5, 0}, {250, 250}, {-1, 250}, {0, 0}, {7, 7}, {INT32_MIN, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, lock.Timeout(c.value)) << "value " << c.value;
}

TEST(DLock, StoredTimeoutDoesNotLimitLock)
{
    DLock lock;
    lock.Timeout(1);
    ExpectBlockedUntilReleased(lock, [&] { return lock.Lock(-1); });
}

// --- DLock waits --------------------------------------------------------------

TEST(DLock, ContendedShortLimitTimesOutWhilePumping)
{
    DLock lock;
    Holder holder(lock);
    TestWindow window;
    PostMessageA(window.Handle(), WM_APP, 0, 0);

    const uint64_t start = TimeNowMs();
    EXPECT_FALSE(lock.Lock(1));
    const uint64_t elapsed = TimeNowMs() - start;
    EXPECT_GE(elapsed, 1u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_EQ(1, window.Received());
    EXPECT_EQ(holder.Id(), lock.GetOwnerThread());
}

TEST(DLock, FreeLockIsTakenEvenWithTheSmallestLimit)
{
    DLock lock;
    EXPECT_TRUE(lock.Lock(1));
    EXPECT_EQ(GetCurrentThreadId(), lock.GetOwnerThread());
    lock.Unlock();
}

class DLockUnlimited : public ::testing::TestWithParam<int32_t> {};

TEST_P(DLockUnlimited, WaitsUntilTheHolderLetsGo)
{
    DLock lock;
    Holder holder(lock);
    std::atomic<HWND> waiterWindow{nullptr};
    std::atomic<int> served{0};
    std::atomic<bool> done{false};
    bool taken = false;
    std::thread waiter([&] {
        TestWindow window;
        window.onMessage = [&] { ++served; };
        waiterWindow = window.Handle();
        taken = lock.Lock(GetParam());
        done = true;
        lock.Unlock();
    });
    ASSERT_TRUE(WaitFor([&] { return waiterWindow.load() != nullptr; }));
    PostMessageA(waiterWindow.load(), WM_APP, 0, 0);
    // Only the wait inside Lock serves the waiter's messages.
    ASSERT_TRUE(WaitFor([&] { return served.load() == 1; }));
    Pause(30);
    EXPECT_FALSE(done.load());

    holder.Release();
    waiter.join();
    EXPECT_TRUE(taken);
}

INSTANTIATE_TEST_SUITE_P(MinusOneAndZero, DLockUnlimited, ::testing::Values(-1, 0));

TEST(DLock, HolderSendingToTheWaitersWindowDoesNotDeadlock)
{
    DLock lock;
    TestWindow window;
    std::atomic<uint32_t> ownerDuringMessage{0};
    window.onMessage = [&] { ownerDuringMessage = lock.GetOwnerThread(); };

    std::atomic<bool> holding{false};
    std::atomic<uint32_t> workerId{0};
    std::thread worker([&] {
        workerId = GetCurrentThreadId();
        lock.Lock(-1);
        holding = true;
        SendMessageA(window.Handle(), WM_APP, 0, 0);
        lock.Unlock();
    });
    ASSERT_TRUE(WaitFor([&] { return holding.load(); }));

    const bool taken = lock.Lock(10000);
    EXPECT_TRUE(taken);
    EXPECT_EQ(1, window.Received());
    EXPECT_EQ(workerId.load(), ownerDuringMessage.load());
    if (taken)
        lock.Unlock();
    else
        WaitFor([&] { return window.Received() > 0; }); // free the worker
    worker.join();
}

// --- DLock destruction ----------------------------------------------------------

TEST(DLock, DestructionByTheHolderDoesNotHang)
{
    auto* lock = new DLock;
    ASSERT_TRUE(lock->Lock(-1));
    ASSERT_TRUE(lock->Lock(-1));
    delete lock;
    SUCCEED();
}

TEST(DLock, DestructionWaitsForAnotherHolder)
{
    auto* lock = new DLock;
    TestWindow window;
    std::atomic<bool> heldDuringMessage{false};
    window.onMessage = [&] { heldDuringMessage = lock->IsLocked(); };

    std::atomic<bool> holding{false};
    std::atomic<bool> released{false};
    std::thread worker([&] {
        lock->Lock(-1);
        holding = true;
        // Answered only by the destructor's wait, which must still find the
        // lock held.
        SendMessageA(window.Handle(), WM_APP, 0, 0);
        lock->Unlock();
        released = true;
    });
    ASSERT_TRUE(WaitFor([&] { return holding.load(); }));
    delete lock;
    EXPECT_EQ(1, window.Received());
    EXPECT_TRUE(heldDuringMessage.load());
    worker.join();
    EXPECT_TRUE(released.load());
}

// --- DAutoLock ------------------------------------------------------------------

TEST(DAutoLock, OutermostGuardTakesAndReleases)
{
    DLock lock;
    {
        DAutoLock outer(&lock);
        EXPECT_TRUE(outer.IsAcquired());
        EXPECT_EQ(GetCurrentThreadId(), lock.GetOwnerThread());
        {
            DAutoLock inner(&lock);
            EXPECT_FALSE(inner.IsAcquired());
        }
        ExpectHeldBy(lock, GetCurrentThreadId());
    }
    ExpectFree(lock);
}

TEST(DAutoLock, GuardOfAnOwnerLeavesTheLockHeld)
{
    DLock lock;
    ASSERT_TRUE(lock.Lock(-1));
    { DAutoLock guard(&lock); }
    EXPECT_EQ(GetCurrentThreadId(), lock.GetOwnerThread());
    lock.Unlock();
}

TEST(DAutoLock, NullLockerIsANoOp)
{
    DAutoLock guard(nullptr);
    EXPECT_FALSE(guard.IsAcquired());
}

TEST(DAutoLock, WaitsForAnotherHolder)
{
    DLock lock;
    ExpectBlockedUntilReleased(lock, [&] {
        DAutoLock guard(&lock);
        return guard.IsAcquired() && lock.GetOwnerThread() == GetCurrentThreadId();
    });
}

// --- WaitAndLock ------------------------------------------------------------------

TEST(WaitAndLock, TakesAFreeLock)
{
    DLock lock;
    EXPECT_TRUE(WaitAndLock(&lock));
    EXPECT_EQ(GetCurrentThreadId(), lock.GetOwnerThread());
    lock.Unlock();
}

TEST(WaitAndLock, OwnerCountsAsAcquired)
{
    DLock lock;
    ASSERT_TRUE(lock.Lock(-1));
    EXPECT_TRUE(WaitAndLock(&lock));
    EXPECT_EQ(GetCurrentThreadId(), lock.GetOwnerThread());
    lock.Unlock();
}

TEST(WaitAndLock, WaitsForTheHolderWithoutLimit)
{
    DLock lock;
    ExpectBlockedUntilReleased(lock, [&] {
        return WaitAndLock(&lock) && lock.GetOwnerThread() == GetCurrentThreadId();
    });
}

TEST(WaitAndLock, NullLockerReturnsAtOnce)
{
    EXPECT_TRUE(WaitAndLock(nullptr));
}

// --- PumpMessageAndYield ----------------------------------------------------------

TEST(PumpMessageAndYield, DispatchesOnePendingMessagePerCall)
{
    TestWindow window;
    PostMessageA(window.Handle(), WM_APP, 0, 0);
    PostMessageA(window.Handle(), WM_APP, 0, 0);
    PumpMessageAndYield();
    EXPECT_EQ(1, window.Received());
    PumpMessageAndYield();
    EXPECT_EQ(2, window.Received());
    PumpMessageAndYield();
    EXPECT_EQ(2, window.Received());
}

TEST(PumpMessageAndYield, KeepsAQuitRequestForTheMessageLoop)
{
    PostQuitMessage(7);
    for (int i = 0; i < 3; ++i)
        PumpMessageAndYield();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

// --- ULock ------------------------------------------------------------------------

TEST(ULock, RecursiveForItsHolderAndExclusiveForOthers)
{
    ULock lock;
    EXPECT_TRUE(lock.Lock());
    EXPECT_TRUE(lock.Lock());
    EXPECT_EQ(GetCurrentThreadId(), lock.GetOwnerThread());

    std::atomic<bool> taken{false};
    std::thread other([&] {
        lock.Lock();
        taken = true;
        lock.Unlock();
    });
    lock.Unlock();
    EXPECT_TRUE(lock.IsLocked()); // one level left
    Pause(30);
    EXPECT_FALSE(taken.load());
    lock.Unlock();
    other.join();
    EXPECT_TRUE(taken.load());
    EXPECT_FALSE(lock.IsLocked());
}

TEST(ULock, UnlockByAnotherThreadIsIgnored)
{
    ULock lock;
    lock.Lock();
    std::thread([&] { lock.Unlock(); }).join();
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_EQ(GetCurrentThreadId(), lock.GetOwnerThread());
    lock.Unlock();
    EXPECT_FALSE(lock.IsLocked());
}

// --- FormatHex64 --------------------------------------------------------------------

TEST(FormatHex64, DigitsAndPadding)
{
    struct Case { int width; int64_t value; const char* text; };
    const Case cases[] = {
        {8, 0x1A2B, "00001A2B"},
        {0, 0, "0"},
        {2, 74565, "12345"},
        {8, 0, "00000000"},
        {-4, 255, "FF"},
        {1, 0xABCDEF, "ABCDEF"},
        {8, 0x7FFFFFFF, "7FFFFFFF"},
        {8, 0xFFFFFFFFLL, "FFFFFFFF"},
        {0, INT64_MAX, "7FFFFFFFFFFFFFFF"},
        {20, 0x10, "00000000000000000010"},
    };
    for (const Case& c : cases) {
        char buffer[32];
        EXPECT_EQ(buffer, FormatHex64(c.width, c.value, buffer, sizeof buffer));
        EXPECT_STREQ(c.text, buffer) << "width " << c.width << " value " << c.value;
        EXPECT_STREQ(c.text, FormatHex64(c.width, c.value)) << "shared buffer";
    }
}

TEST(FormatHex64, WidthBeyondAnyFixedBuffer)
{
    const std::string text = FormatHex64(5000, 0xF);
    ASSERT_EQ(5000u, text.size());
    EXPECT_EQ(std::string(4999, '0') + "F", text);
}

TEST(FormatHex64, TooSmallBufferGetsTheEmptyText)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(nullptr, FormatHex64(8, 1, buffer, sizeof buffer));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(buffer, FormatHex64(7, 1, buffer, sizeof buffer));
    EXPECT_STREQ("0000001", buffer);
}

TEST(FormatHex64, SharedBufferBelongsToTheCallingThread)
{
    const char* mine = FormatHex64(8, 0xAAAA);
    std::string theirs;
    const char* theirPointer = nullptr;
    std::thread([&] {
        theirPointer = FormatHex64(8, 0xBBBB);
        theirs = theirPointer;
    }).join();
    EXPECT_STREQ("0000AAAA", mine);
    EXPECT_EQ("0000BBBB", theirs);
    EXPECT_NE(static_cast<const void*>(mine), static_cast<const void*>(theirPointer));
}

// --- UThreadText ------------------------------------------------------------------

TEST(UThreadText, EachThreadAndEachHolderHasItsOwnText)
{
    static UThreadText first;
    static UThreadText second;
    first.Get() = "main first";
    second.Get() = "main second";
    std::string seenByWorker;
    std::thread([&] {
        seenByWorker = first.Get();
        first.Get() = "worker";
    }).join();
    EXPECT_EQ("", seenByWorker);
    EXPECT_EQ("main first", first.Get());
    EXPECT_EQ("main second", second.Get());
    EXPECT_EQ(&first.Get(), &first.Get());
}

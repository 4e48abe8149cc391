#include "foundation/DThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Polls cond, serving this thread's messages, for at most about ten seconds.
bool PollFor(const std::function<bool()>& cond)
{
    for (int i = 0; i < 10000; ++i) {
        if (cond())
            return true;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(1);
    }
    return cond();
}

// A real hidden window of the test thread that counts what reaches it.
class CountingWindow {
public:
    CountingWindow()
    {
        static const wchar_t* className = L"DThreadTestWindow";
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = className;
            registered = RegisterClassW(&wc) != 0;
        }
        m_hwnd = CreateWindowExW(0, className, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), this);
        // Messages of earlier tests left for this thread are not this test's.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        count = 0;
        finals = 0;
    }
    ~CountingWindow() { DestroyWindow(m_hwnd); }
    HWND Get() const { return m_hwnd; }

    std::atomic<int> count{0};   // WM_APP
    std::atomic<int> finals{0};  // WM_APP + 1

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == WM_APP) {
            ++self->count;
            return 1;
        }
        if (self && msg == WM_APP + 1) {
            ++self->finals;
            return 1;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND m_hwnd;
};

// A worker whose steps run until it is released or cancelled; it can report
// each step and its end to a window by SendMessage, holding its lock while it
// reports a step, as a calculation thread does when it publishes progress.
class Worker : public DThread {
public:
    ~Worker() override { StopAndWait(); }

    bool Prepare() override
    {
        ++prepares;
        return prepareResult;
    }
    bool Step() override
    {
        if (throwInStep)
            throw std::runtime_error("step failed");
        {
            DAutoLock guard(&m_lock);
            if (notify)
                SendMessageW(notify, WM_APP, 0, 0);
            ++steps;
        }
        if (ignoreCancel) {
            for (;;)
                Sleep(1);
        }
        Sleep(0);
        return !release.load();
    }
    void Finish() override
    {
        DThread::Finish();
        ++finishes;
        if (notify)
            SendMessageW(notify, WM_APP + 1, 0, 0);
    }

    std::atomic<int> prepares{0};
    std::atomic<int> steps{0};
    std::atomic<int> finishes{0};
    std::atomic<bool> release{false};
    bool prepareResult = true;
    bool throwInStep = false;
    bool ignoreCancel = false;
    HWND notify = nullptr;
};

TEST(DThreadLifecycle, SecondStartIsRefusedWhileRunningAndAcceptedAfterTheEnd)
{
    Worker worker;
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_FALSE(worker.Start(THREAD_PRIORITY_NORMAL));

    worker.release = true;
    ASSERT_TRUE(PollFor([&] { return !worker.IsRunning(); }));
    EXPECT_EQ(1, worker.GetResult());
    EXPECT_EQ(1, worker.finishes.load());

    worker.release = false;
    int stepsBefore = worker.steps.load();
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(PollFor([&] { return worker.steps.load() > stepsBefore; }));
    EXPECT_EQ(0, worker.GetResult()) << "a new run starts with result 0";
    worker.StopAndWait();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(2, worker.prepares.load());
    EXPECT_EQ(2, worker.finishes.load());
}

TEST(DThreadLifecycle, PrepareFalseSkipsEveryStepAndFinishes)
{
    Worker worker;
    worker.prepareResult = false;
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(PollFor([&] { return !worker.IsRunning(); }));
    EXPECT_EQ(0, worker.steps.load());
    EXPECT_EQ(1, worker.finishes.load());
    EXPECT_EQ(1, worker.GetResult());
}

TEST(DThreadLifecycle, TheBaseBodyRunsOneStepAndEndsWithResultOne)
{
    DThread thread;
    ASSERT_TRUE(thread.Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(PollFor([&] { return !thread.IsRunning(); }));
    EXPECT_EQ(1, thread.GetResult());
    EXPECT_FALSE(thread.IsCancelled());
}

TEST(DThreadStop, StopThenStopAndWaitEndsTheBodyWithResultZero)
{
    Worker worker;
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(PollFor([&] { return worker.steps.load() > 0; }));
    worker.Stop();
    worker.StopAndWait();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(0, worker.GetResult());
    EXPECT_EQ(1, worker.finishes.load());
    EXPECT_FALSE(worker.IsCancelled()) << "the body clears the flag on its way out";
}

TEST(DThreadStop, AStopRightAfterStartIsNotLost)
{
    for (int round = 0; round < 20; ++round) {
        Worker worker;
        ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
        worker.Stop();
        bool ended = PollFor([&] { return !worker.IsRunning(); });
        if (!ended)
            worker.release = true; // let a body that missed the stop end anyway
        EXPECT_TRUE(ended) << "round " << round;
        worker.StopAndWait();
        EXPECT_EQ(ended ? 0 : 1, worker.GetResult());
    }
}

TEST(DThreadStop, StopAndTerminateOnAnIdleObjectChangeNothing)
{
    Worker worker;
    worker.Stop();
    EXPECT_FALSE(worker.IsCancelled());
    EXPECT_FALSE(worker.IsRunning());
    worker.Terminate();
    EXPECT_EQ(0, worker.finishes.load());
    EXPECT_EQ(0, worker.GetResult());

    // After a run the result stays readable and a stop leaves it alone.
    worker.release = true;
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(PollFor([&] { return !worker.IsRunning(); }));
    worker.Stop();
    worker.Terminate();
    EXPECT_EQ(1, worker.GetResult());
    EXPECT_EQ(1, worker.finishes.load());
}

TEST(DThreadStop, StopAndWaitServesTheWorkersSendMessages)
{
    CountingWindow window;
    Worker worker;
    worker.notify = window.Get();
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    // The worker blocks in SendMessage until this thread serves it, and holds
    // its lock meanwhile: both the stop's wait for the lock and the wait for
    // the end must keep serving this thread's window.
    ASSERT_TRUE(PollFor([&] { return window.count.load() > 0; }));
    worker.StopAndWait();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_GT(window.count.load(), 0);
    EXPECT_EQ(window.count.load(), worker.steps.load());
    EXPECT_EQ(1, window.finals.load()) << "the final message of Finish was served";
    EXPECT_EQ(0, worker.GetResult());
}

TEST(DThreadStop, TerminateEndsABodyThatNeverPollsAndFinishesOnTheCaller)
{
    Worker worker;
    worker.ignoreCancel = true;
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(PollFor([&] { return worker.steps.load() > 0; }));
    worker.Terminate();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(1, worker.finishes.load());
    EXPECT_EQ(0, worker.GetResult()) << "a stop was asked for";
    worker.ignoreCancel = false;
    worker.release = true;
    EXPECT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL)) << "the object can run again";
    ASSERT_TRUE(PollFor([&] { return !worker.IsRunning(); }));
}

TEST(DThreadStop, AnExceptionInTheBodyEndsTheThread)
{
    Worker worker;
    worker.throwInStep = true;
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(PollFor([&] { return !worker.IsRunning(); }));
    worker.StopAndWait();
    EXPECT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    worker.StopAndWait();
}

// Steps use only state outside the object and the object does not stop in
// its own destructor, so the base destructor alone has to wait.
struct SpinState {
    std::atomic<int> steps{0};
    std::atomic<DWORD> threadId{0};
};

class Spinner : public DThread {
public:
    explicit Spinner(SpinState* state) : m_state(state) {}
    bool Step() override
    {
        m_state->threadId = GetCurrentThreadId();
        ++m_state->steps;
        Sleep(1);
        return true;
    }

private:
    SpinState* m_state;
};

TEST(DThreadDestruction, DestroyingARunningObjectWaitsForItsThreadToEnd)
{
    SpinState state;
    auto* spinner = new Spinner(&state);
    ASSERT_TRUE(spinner->Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(PollFor([&] { return state.steps.load() > 2; }));
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, state.threadId.load());
    ASSERT_NE(nullptr, thread);
    delete spinner;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0)) << "the thread had ended";
    CloseHandle(thread);
}

TEST(DThreadDestruction, DestroyingAnObjectWhoseBodyHasReturnedClosesItsThread)
{
    SpinState state;
    {
        Worker worker;
        worker.release = true;
        ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
        ASSERT_TRUE(PollFor([&] { return !worker.IsRunning(); }));
    }
    SUCCEED();
}

TEST(DThreadNames, NamingAThreadWithoutADebuggerIsHarmless)
{
    ASSERT_FALSE(IsDebuggerPresent());
    Worker worker;
    worker.SetName("calculation");
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    worker.SetName("renamed");
    worker.SetName(nullptr);
    worker.StopAndWait();
    EXPECT_FALSE(worker.IsRunning());
}

// The message-serving waits, observed through the messages they dispatch.
class DThreadWaits : public ::testing::Test {
protected:
    void Post(int n)
    {
        for (int i = 0; i < n; ++i)
            PostMessageW(window.Get(), WM_APP, 0, 0);
    }
    CountingWindow window;
    DThread thread;
};

TEST_F(DThreadWaits, PumpMessageServesOneMessage)
{
    Post(3);
    thread.PumpMessage(false);
    EXPECT_EQ(1, window.count.load());
    thread.PumpMessage(true);
    EXPECT_EQ(2, window.count.load());
}

TEST_F(DThreadWaits, WaitZeroServesOneMessage)
{
    Post(3);
    thread.Wait(0, 1);
    EXPECT_EQ(1, window.count.load());
}

TEST_F(DThreadWaits, WaitServesOneMessageBeforeAndOneAfterEachSleep)
{
    Post(20);
    thread.Wait(5, 1); // sleeps 3 and 2 ms
    EXPECT_EQ(3, window.count.load());
    thread.Wait(1, 1); // sleeps 1 ms
    EXPECT_EQ(5, window.count.load());
}

TEST_F(DThreadWaits, AQuitMetByAWaitStaysForTheMessageLoop)
{
    const std::vector<std::function<void(DThread&)>> waits = {
        [](DThread& t) { t.PumpMessage(false); },
        [](DThread& t) { t.PumpMessage(true); },
        [](DThread& t) { t.Wait(0, 1); },
        [](DThread& t) { t.Wait(5, 1); },
    };
    for (size_t i = 0; i < waits.size(); ++i) {
        PostQuitMessage(7 + static_cast<int>(i));
        waits[i](thread);
        MSG msg;
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "wait " << i;
        EXPECT_EQ(static_cast<WPARAM>(7 + i), msg.wParam) << "wait " << i;
    }
}

TEST_F(DThreadWaits, WaitWithEveryThreeActsOnOneCallInThree)
{
    Post(20);
    for (int i = 0; i < 3; ++i)
        thread.Wait(5, 3);
    EXPECT_EQ(3, window.count.load());
    for (int i = 0; i < 6; ++i)
        thread.Wait(5, 3);
    EXPECT_EQ(9, window.count.load());
}

} // namespace

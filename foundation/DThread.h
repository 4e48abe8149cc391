// The worker thread base of the program: one system thread at a time running
// prepare, repeated steps and finish, with a cooperative stop, a wait that
// keeps the waiting thread's window messages flowing, and a forced end for
// shutdown. An object may be started again once its thread has ended.
#pragma once

#include "foundation/DLock.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// The interface every thread of the program offers to its owner.
class Thread {
public:
    virtual ~Thread() = default;
    // Asks the thread to stop and returns once it has ended.
    virtual void StopAndWait() = 0;
    // The body; its result is the thread's exit code.
    virtual int32_t Run() = 0;
    virtual void Idle() {}
    virtual bool Start(int priority) = 0;
    // Asks the thread to stop without waiting for it.
    virtual void Stop() = 0;
    virtual bool IsRunning() { return false; }
    virtual int32_t GetResult() { return 0; }
};

class DThread : public Thread {
public:
    DThread();
    // Stops the thread and waits for it to end (serving this thread's window
    // messages meanwhile). A subclass whose steps use its own members stops
    // the thread in its own destructor, before those members go.
    ~DThread() override;

    DThread(const DThread&) = delete;
    DThread& operator=(const DThread&) = delete;

    void StopAndWait() override;
    int32_t Run() override;
    // False while a thread of this object runs, or when none can be made.
    bool Start(int priority = THREAD_PRIORITY_NORMAL) override;
    void Stop() override;
    bool IsRunning() override { return m_running.load(); }
    int32_t GetResult() override { return m_result.load(); }

    // False ends the body at once, without any step.
    virtual bool Prepare() { return true; }
    // One unit of work; true asks to be called again.
    virtual bool Step();
    // Last call of the body, also after a forced end: the result is 1 when no
    // stop was asked for, 0 otherwise.
    virtual void Finish();
    virtual bool IsCancelled() { return m_cancel.load(); }
    // Serves at most one pending window message of the calling thread; with
    // throttle, also sleeps 1 ms on every 512th call of the process.
    virtual void PumpMessage(bool throttle);
    // Waits about ms milliseconds in halving sleeps (at most 1000), serving
    // one window message before and after each; ms <= 0 only yields. With
    // every > 1 only one call in every of the process does anything.
    virtual void Wait(int ms, int every);
    virtual void SetName(const char* name);

    // Asks the thread to stop and waits at most timeoutMs for its body to
    // end, serving the calling thread's window messages; true when it has
    // ended. One that has not is left running, not ended by force: it may
    // hold a lock the process still needs (the log's, the settings').
    bool StopWithin(DWORD timeoutMs);

    // Ends a thread that does not stop by itself: only at shutdown, after a
    // bounded wait. Finish then runs on the calling thread.
    void Terminate();

    // Waits until thread has ended, serving the calling thread's window
    // messages (and handing a WM_QUIT met meanwhile back to its queue), for
    // at most timeoutMs. True when the thread ended within it.
    static bool WaitForEnd(HANDLE thread, DWORD timeoutMs = INFINITE);

protected:
    // The thread's handle, owned by this object: closed by whoever waits for
    // the thread's end (StopAndWait, the destructor, the next Start), never
    // by the thread itself, so the object outlives its thread.
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancel{false};
    std::atomic<int32_t> m_result{0};
    // Taken by Start and Stop; subclasses publish state that other threads
    // read under it, so a stop never cuts a step in half.
    DLock m_lock;
    std::string m_name;   // under m_lock
    std::atomic<uint32_t> m_threadId{0};

private:
    static DWORD WINAPI StartRoutine(LPVOID parameter);
    // Waits for the ended or ending thread of this object and closes its
    // handle; from the thread itself it only lets go of the handle.
    void ReapThread();
    // Names the thread for an attached debugger.
    static void NameThread(const std::string& name, uint32_t threadId);
};

// Locks of the program: a recursive lock whose waits keep the waiting thread's
// window messages flowing, the scoped guard through which code takes it, and
// the plain polling lock of the log.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// The lock interface every locked object hands to DAutoLock.
class Locker {
public:
    virtual ~Locker() = default;
    // Timeout in milliseconds; true when the caller now holds the lock.
    virtual bool Lock(int32_t timeout) { (void)timeout; return true; }
    virtual void Unlock() {}
    virtual bool IsLocked() { return false; }
    // Id of the thread holding the lock, 0 when none.
    virtual uint32_t GetOwnerThread() { return 0; }
};

// Recursive lock around a critical section. A thread that waits for it keeps
// dispatching its own messages, so a holder may SendMessage to the waiter's
// windows without both threads hanging. One Unlock releases every level.
//
// The owner and the entry count are kept here rather than read out of the
// CRITICAL_SECTION, whose fields mean different things on different systems.
//
// The critical section is set up on the first Lock, not at construction:
// every property bag embeds a DLock and most bags are never shared, so records
// that are copied by the million must not each pay for a section.
class DLock : public Locker {
public:
    DLock();
    // Waits (pumping messages) until no other thread holds or waits for the
    // lock; a lock still held by the destroying thread counts as its own.
    ~DLock() override;

    DLock(const DLock&) = delete;
    DLock& operator=(const DLock&) = delete;

    // -1 or 0 waits without limit; any other value is a limit in milliseconds.
    // A free lock is always taken, even when the limit has already run out.
    bool Lock(int32_t timeout) override;
    // Releases every level when called by the owner; ignored from other threads.
    void Unlock() override;
    bool IsLocked() override;
    uint32_t GetOwnerThread() override;
    // Stores a value of 0 or more; returns the stored value in every case.
    virtual int32_t Timeout(int32_t value);

    // False while no thread has ever tried to take the lock, so that nobody
    // can hold it or wait for it.
    bool EverUsed() const { return m_state.load(std::memory_order_acquire) != SectionNone; }

private:
    void Release(); // owner only
    // Sets the section up once, whichever thread gets here first; the others
    // wait until it is ready.
    void EnsureSection();

    enum : int { SectionNone, SectionStarting, SectionReady };
    std::atomic<int> m_state{SectionNone};
    CRITICAL_SECTION m_section;
    std::atomic<bool> m_locked{false};
    int32_t m_timeout = 0;
    std::atomic<uint32_t> m_owner{0};   // thread id of the holder, 0 when free
    int32_t m_entries = 0;              // times the holder entered the section
    std::atomic<int32_t> m_waiters{0};  // threads inside a failed Lock attempt
};

// Scoped guard. A thread that already owns the locker neither locks nor
// unlocks, so guards nest freely and only the outermost one releases.
class DAutoLock {
public:
    explicit DAutoLock(Locker* locker);
    virtual ~DAutoLock();

    DAutoLock(const DAutoLock&) = delete;
    DAutoLock& operator=(const DAutoLock&) = delete;

    bool IsAcquired() const { return m_locked; }

private:
    Locker* m_locker;
    bool m_locked;
};

// Waits without limit until the locker is free and taken by the calling
// thread (pumping messages meanwhile); a locker the caller already owns counts
// as taken at once. A null locker is a no-op. Always returns true.
bool WaitAndLock(Locker* locker);

// The wait step of every busy wait: serve one pending message of the calling
// thread, then sleep 1 ms on every 64th call and yield on every 10th.
void PumpMessageAndYield();

// Plain polling lock of the log: retries every 10 ms, never dispatches
// messages. Recursive for its holder; Unlock leaves one level.
class ULock {
public:
    ULock();
    // Leaves the section only when the destroying thread holds it.
    virtual ~ULock();

    ULock(const ULock&) = delete;
    ULock& operator=(const ULock&) = delete;

    bool Lock();
    // Ignored unless the calling thread holds the lock.
    void Unlock();
    bool IsLocked() const { return m_locked.load(); }
    uint32_t GetOwnerThread() const { return m_owner.load(); }

private:
    CRITICAL_SECTION m_section;
    std::atomic<bool> m_locked{false};
    std::atomic<uint32_t> m_owner{0};
    int32_t m_entries = 0;
};

// A text of each thread's own, freed when its thread ends; the per-thread
// buffer behind functions that hand out a text that stays valid until the
// same thread's next call. It stands in for a thread_local std::string:
// in our MinGW build under Wine, thread_local objects with destructors
// corrupt the heap when their thread ends. Keep one as a function-static
// object; it is never destroyed.
class UThreadText {
public:
    UThreadText();
    UThreadText(const UThreadText&) = delete;
    UThreadText& operator=(const UThreadText&) = delete;

    // The calling thread's text, empty on its first use by that thread.
    std::string& Get();

private:
    DWORD m_index;
};

// Upper-case hexadecimal of a value that must not be negative, most
// significant digit first, at least one digit, padded on the left with "0" to
// width characters (a longer text is never cut). With a buffer, the text goes
// there when size (bytes, terminator included) holds it, otherwise the buffer
// gets the empty text and the result is null. Without a buffer, the text goes
// to a per-thread buffer valid until this thread's next such call.
char* FormatHex64(int width, int64_t value, char* buffer = nullptr, size_t size = 0);

#include "foundation/DLock.h"

#include "foundation/ULog.h"

#include <string>

// ---------------------------------------------------------------------------
// PumpMessageAndYield

void PumpMessageAndYield()
{
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // A quit taken out here would never reach the loop that must end;
            // hand it back to the queue for that loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    static std::atomic<uint32_t> calls{0};
    uint32_t count = calls.load();
    uint32_t next;
    do {
        next = count + 1;
        if (next >= 0x80000000u)
            next = 0;
    } while (!calls.compare_exchange_weak(count, next));

    if (next % 64 == 0)
        Sleep(1);
    else if (next % 10 == 0)
        Sleep(0);
}

// ---------------------------------------------------------------------------
// DLock

DLock::DLock()
{
}

void DLock::EnsureSection()
{
    if (m_state.load(std::memory_order_acquire) == SectionReady)
        return;
    int expected = SectionNone;
    if (m_state.compare_exchange_strong(expected, SectionStarting, std::memory_order_acq_rel)) {
        InitializeCriticalSection(&m_section);
        m_state.store(SectionReady, std::memory_order_release);
        return;
    }
    // Another thread is setting it up: that takes microseconds.
    while (m_state.load(std::memory_order_acquire) != SectionReady)
        Sleep(0);
}

DLock::~DLock()
{
    // A lock nobody ever tried to take has no section and no holder.
    if (m_state.load(std::memory_order_acquire) == SectionNone)
        return;
    EnsureSection();
    const uint32_t self = GetCurrentThreadId();
    // Our own hold would make the wait below endless; give it up so that any
    // waiter can finish before the section goes away.
    if (m_owner.load() == self)
        Release();
    // The owner id is cleared just before the holder leaves the section, so
    // only entering it ourselves proves that the holder is out.
    for (;;) {
        if (m_owner.load() == 0 && m_waiters.load() == 0 && TryEnterCriticalSection(&m_section)) {
            LeaveCriticalSection(&m_section);
            break;
        }
        PumpMessageAndYield();
    }
    DeleteCriticalSection(&m_section);
}

bool DLock::Lock(int32_t timeout)
{
    const uint32_t self = GetCurrentThreadId();
    if (m_owner.load() == self)
        return true;

    EnsureSection();
    const bool limited = timeout != -1 && timeout != 0;
    const int64_t deadline = static_cast<int64_t>(TimeNowMs()) + timeout;
    bool counted = false;
    for (;;) {
        if (TryEnterCriticalSection(&m_section)) {
            m_owner.store(self);
            ++m_entries;
            m_locked.store(true);
            if (counted)
                --m_waiters;
            return true;
        }
        if (!counted) {
            ++m_waiters;
            counted = true;
        }
        if (limited && static_cast<int64_t>(TimeNowMs()) > deadline) {
            --m_waiters;
            return false;
        }
        PumpMessageAndYield();
    }
}

void DLock::Release()
{
    int32_t entries = m_entries;
    m_entries = 0;
    m_locked.store(false);
    // Clear the owner before leaving: the next holder sets its own id the
    // moment it gets in.
    m_owner.store(0);
    while (entries-- > 0)
        LeaveCriticalSection(&m_section);
}

void DLock::Unlock()
{
    const uint32_t owner = m_owner.load();
    if (owner == 0) {
        m_locked.store(false);
        return;
    }
    if (owner != GetCurrentThreadId())
        return;
    Release();
}

bool DLock::IsLocked()
{
    return m_locked.load() || m_owner.load() != 0;
}

uint32_t DLock::GetOwnerThread()
{
    return m_owner.load();
}

int32_t DLock::Timeout(int32_t value)
{
    if (value >= 0)
        m_timeout = value;
    return m_timeout;
}

// ---------------------------------------------------------------------------
// DAutoLock and WaitAndLock

DAutoLock::DAutoLock(Locker* locker) : m_locker(locker), m_locked(false)
{
    if (!m_locker)
        return;
    if (m_locker->GetOwnerThread() == GetCurrentThreadId())
        return;
    m_locked = m_locker->Lock(-1);
}

DAutoLock::~DAutoLock()
{
    if (m_locked && m_locker)
        m_locker->Unlock();
    m_locker = nullptr;
}

bool WaitAndLock(Locker* locker)
{
    if (!locker)
        return true;
    const uint32_t self = GetCurrentThreadId();
    for (;;) {
        if (locker->GetOwnerThread() == self)
            return true;
        if (!locker->IsLocked() && locker->Lock(1))
            return true;
        PumpMessageAndYield();
    }
}

// ---------------------------------------------------------------------------
// ULock

ULock::ULock()
{
    InitializeCriticalSection(&m_section);
}

ULock::~ULock()
{
    if (m_owner.load() == GetCurrentThreadId()) {
        int32_t entries = m_entries;
        m_entries = 0;
        m_owner.store(0);
        m_locked.store(false);
        while (entries-- > 0)
            LeaveCriticalSection(&m_section);
    }
    m_locked.store(false);
    DeleteCriticalSection(&m_section);
}

bool ULock::Lock()
{
    while (!TryEnterCriticalSection(&m_section))
        Sleep(10);
    m_owner.store(GetCurrentThreadId());
    ++m_entries;
    m_locked.store(true);
    return true;
}

void ULock::Unlock()
{
    if (m_owner.load() != GetCurrentThreadId())
        return;
    if (--m_entries == 0) {
        m_owner.store(0);
        m_locked.store(false);
    }
    LeaveCriticalSection(&m_section);
}

// ---------------------------------------------------------------------------
// UThreadText

namespace {
void WINAPI DropThreadText(void* text)
{
    delete static_cast<std::string*>(text);
}
} // namespace

UThreadText::UThreadText() : m_index(FlsAlloc(&DropThreadText))
{
}

std::string& UThreadText::Get()
{
    if (m_index == FLS_OUT_OF_INDEXES) {
        // Only when the process has run out of slots: one shared text is
        // the best that is left.
        static std::string shared;
        return shared;
    }
    auto* text = static_cast<std::string*>(FlsGetValue(m_index));
    if (!text) {
        text = new std::string;
        FlsSetValue(m_index, text);
    }
    return *text;
}

// ---------------------------------------------------------------------------
// FormatHex64

char* FormatHex64(int width, int64_t value, char* buffer, size_t size)
{
    static DLock lock;
    WaitAndLock(&lock);

    // Callers never pass a negative value; should one arrive, its two's
    // complement bits are shown rather than some arbitrary text.
    static const char digits[] = "0123456789ABCDEF";
    uint64_t rest = static_cast<uint64_t>(value);
    char reversed[16];
    size_t count = 0;
    do {
        reversed[count++] = digits[rest & 0xF];
        rest >>= 4;
    } while (rest != 0);
    const size_t padding = width > 0 && static_cast<size_t>(width) > count
                               ? static_cast<size_t>(width) - count
                               : 0;

    std::string text(padding, '0');
    while (count > 0)
        text += reversed[--count];

    char* result = nullptr;
    if (buffer) {
        if (text.size() < size) {
            text.copy(buffer, text.size());
            buffer[text.size()] = '\0';
            result = buffer;
        } else if (size > 0) {
            buffer[0] = '\0';
        }
    } else {
        static UThreadText perThread;
        std::string& own = perThread.Get();
        own = std::move(text);
        result = &own[0];
    }
    lock.Unlock();
    return result;
}

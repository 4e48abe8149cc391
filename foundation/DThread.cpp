#include "foundation/DThread.h"

#include <exception>

namespace {

// Process-wide counters that only thin out sleeps; they wrap at 2^31.
std::atomic<uint32_t> g_pumpCalls{0};
std::atomic<uint32_t> g_waitCalls{0};

uint32_t NextCount(std::atomic<uint32_t>& counter)
{
    return (counter.fetch_add(1) + 1) & 0x7FFFFFFFu;
}

void DispatchOneMessage()
{
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return;
    if (msg.message == WM_QUIT) {
        // A quit taken out by a wait belongs to the loop that must end; it
        // goes back to the queue (the owner waits this way at shutdown).
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool IsCallingThread(HANDLE thread)
{
    return GetThreadId(thread) == GetCurrentThreadId();
}

const DWORD ThreadNameException = 0x406D1388;

LONG CALLBACK SwallowThreadName(EXCEPTION_POINTERS* pointers)
{
    return pointers->ExceptionRecord->ExceptionCode == ThreadNameException
               ? EXCEPTION_CONTINUE_EXECUTION
               : EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

DThread::DThread()
{
    SetName(nullptr);
}

DThread::~DThread()
{
    Stop();
    ReapThread();
    m_running = false;
}

void DThread::SetName(const char* name)
{
    DAutoLock guard(&m_lock);
    m_name = name ? name : "";
    if (m_thread && m_threadId.load() != 0 && !m_name.empty())
        NameThread(m_name, m_threadId.load());
}

void DThread::NameThread(const std::string& name, uint32_t threadId)
{
    // The naming exception ends a process that no debugger watches, and the
    // name is of use only to a debugger.
    if (!IsDebuggerPresent())
        return;
    Sleep(10);
    struct {
        DWORD type;
        LPCSTR name;
        DWORD threadId;
        DWORD flags;
    } info = {0x1000, name.c_str(), threadId, 0};
    PVOID handler = AddVectoredExceptionHandler(1, SwallowThreadName);
    RaiseException(ThreadNameException, 0, sizeof(info) / sizeof(ULONG_PTR),
                   reinterpret_cast<const ULONG_PTR*>(&info));
    if (handler)
        RemoveVectoredExceptionHandler(handler);
}

bool DThread::Start(int priority)
{
    DAutoLock guard(&m_lock);
    if (m_thread && m_thread != INVALID_HANDLE_VALUE) {
        if (m_running.load())
            return false;
        // The body has returned; its thread is about to end.
        ReapThread();
        if (m_thread)
            return false;
    }
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, StartRoutine, this, CREATE_SUSPENDED, &id);
    if (!thread)
        return false;
    m_thread = thread;
    m_threadId = id;
    m_cancel = false;
    m_running = true;
    m_result = 0;
    if (!m_name.empty())
        NameThread(m_name, id);
    SetThreadPriority(thread, priority);
    ResumeThread(thread);
    return true;
}

DWORD WINAPI DThread::StartRoutine(LPVOID parameter)
{
    if (!parameter)
        return 0;
    DThread* thread = static_cast<DThread*>(parameter);
    try {
        return static_cast<DWORD>(thread->Run());
    } catch (const std::exception& error) {
        OutputDebugStringA("ERR >> worker thread: ");
        OutputDebugStringA(error.what());
    } catch (...) {
        OutputDebugStringA("ERR >> worker thread: unknown exception");
    }
    // The owner waits for the handle, not the flag, so the object is still there.
    thread->m_cancel = false;
    thread->m_running = false;
    return static_cast<DWORD>(-1);
}

int32_t DThread::Run()
{
    // The cancel flag was cleared by Start; clearing it again here would lose
    // a stop asked for between Start and the first instruction of the body.
    m_running = true;
    m_result = 0;
    m_threadId = GetCurrentThreadId();
    {
        DAutoLock guard(&m_lock);
        if (m_thread && m_threadId.load() != 0 && !m_name.empty())
            NameThread(m_name, m_threadId.load());
    }
    if (Prepare() && IsRunning()) {
        while (!IsCancelled() && Step()) {
            PumpMessage(false);
            if (!IsRunning())
                break;
        }
    }
    Finish();
    int32_t result = m_result.load();
    m_cancel = false;
    // The last touch of the object: the owner may free it once the thread ends.
    m_running = false;
    return result;
}

bool DThread::Step()
{
    WaitAndLock(&m_lock);
    m_lock.Unlock();
    return false;
}

void DThread::Finish()
{
    m_result = m_cancel.load() ? 0 : 1;
}

void DThread::Stop()
{
    if (!m_running.load())
        return;
    m_cancel = true;
    // A step that holds the lock completes before the stop goes on.
    bool held = m_lock.GetOwnerThread() == GetCurrentThreadId();
    WaitAndLock(&m_lock);
    m_threadId = 0;
    if (!held)
        m_lock.Unlock();
}

void DThread::StopAndWait()
{
    Stop();
    if (m_thread && IsCallingThread(m_thread))
        return; // the body asked for its own end; it returns by itself
    ReapThread();
    m_running = false;
}

bool DThread::StopWithin(DWORD timeoutMs)
{
    Stop();
    const ULONGLONG start = GetTickCount64();
    while (IsRunning() && GetTickCount64() - start < timeoutMs)
        Wait(1, 1);
    return !IsRunning();
}

void DThread::Terminate()
{
    if (!m_thread || !m_running.load())
        return;
    Stop();
    TerminateThread(m_thread, 0);
    // Termination is asynchronous: the thread is gone once its handle is signalled.
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_running = false;
    m_threadId = 0;
    Finish();
}

void DThread::ReapThread()
{
    if (!m_thread || m_thread == INVALID_HANDLE_VALUE)
        return;
    if (!IsCallingThread(m_thread))
        WaitForEnd(m_thread);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

bool DThread::WaitForEnd(HANDLE thread, DWORD timeoutMs)
{
    bool quit = false;
    WPARAM quitCode = 0;
    const DWORD start = GetTickCount();
    DWORD woken = WAIT_TIMEOUT;
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeoutMs) {
                woken = WaitForSingleObject(thread, 0);
                break;
            }
            left = timeoutMs - spent;
        }
        woken = MsgWaitForMultipleObjectsEx(1, &thread, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 1)
            break; // the thread ended, the time is up, or the handle is no good
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    return woken == WAIT_OBJECT_0;
}

void DThread::PumpMessage(bool throttle)
{
    DispatchOneMessage();
    if (throttle && NextCount(g_pumpCalls) % 512 == 0)
        Sleep(1);
}

void DThread::Wait(int ms, int every)
{
    if (every > 1 && NextCount(g_waitCalls) % static_cast<uint32_t>(every) != 0)
        return;
    DispatchOneMessage();
    if (ms <= 0) {
        Sleep(0);
        return;
    }
    if (ms > 1000)
        ms = 1000;
    int passes = 0;
    do {
        ms = ms / 2 + 1;
        Sleep(static_cast<DWORD>(ms));
        DispatchOneMessage();
        ++passes;
    } while (passes < ms);
}

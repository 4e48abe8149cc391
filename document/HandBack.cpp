#include "document/HandBack.h"

#include <atomic>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <utility>

namespace {

// The one message of the hand-back windows: run the next work of the queue.
constexpr UINT kRunWorkMessage = WM_USER + 1;
const wchar_t* const kWindowClass = L"KORV.HandBack";

enum WorkState : int {
    Waiting,   // queued, not started
    Running,   // running on its home
    Ran,       // ended there (an exception ends it too)
    Dropped,   // never to run: its home closed or ended, or the sender gave up on it
};

struct Work {
    Work(std::function<void()> what, bool sent)
        : work(std::move(what)), done(sent ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr)
    {
    }
    ~Work()
    {
        if (done)
            CloseHandle(done);
    }
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

    std::function<void()> work;
    std::atomic<int> state{Waiting};
    // Sent work only: set once it has run or been dropped.
    HANDLE done;
};

// A thread that receives work. Shared: a sender that waits keeps it.
struct Home {
    Home() = default;
    ~Home()
    {
        if (ended)
            CloseHandle(ended);
        if (closed)
            CloseHandle(closed);
    }
    Home(const Home&) = delete;
    Home& operator=(const Home&) = delete;

    HWND window = nullptr;
    HANDLE ended = nullptr;    // the thread itself: signalled when it ends
    HANDLE closed = nullptr;   // set when it takes no more work
    SRWLOCK lock = SRWLOCK_INIT;
    bool closing = false;                      // under lock
    std::deque<std::shared_ptr<Work>> queue;   // under lock
};

// Exactly what the worker asked for; an exception must not cross the window
// procedure, nor end the worker's thread.
void RunGuarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        OutputDebugStringA("ERR >> handed-back work: ");
        OutputDebugStringA(error.what());
    } catch (...) {
        OutputDebugStringA("ERR >> handed-back work: unknown exception");
    }
}

void RunOnHome(Work& item)
{
    int expected = Waiting;
    if (item.state.compare_exchange_strong(expected, Running)) {
        RunGuarded(item.work);
        item.state = Ran;
    }
    if (item.done)
        SetEvent(item.done);
}

// The homes by thread. A window goes with its thread, so an entry may
// outlive both; Find checks before anyone posts.
SRWLOCK g_homesLock = SRWLOCK_INIT;
std::map<DWORD, std::shared_ptr<Home>>& Homes()
{
    static auto* homes = new std::map<DWORD, std::shared_ptr<Home>>();  // never destroyed: threads may end late
    return *homes;
}

bool IsWindowOfThread(HWND window, DWORD thread)
{
    return window && IsWindow(window) && GetWindowThreadProcessId(window, nullptr) == thread;
}

std::shared_ptr<Home> Find(DWORD thread)
{
    AcquireSRWLockShared(&g_homesLock);
    const auto found = Homes().find(thread);
    std::shared_ptr<Home> home = found == Homes().end() ? nullptr : found->second;
    ReleaseSRWLockShared(&g_homesLock);
    return home && IsWindowOfThread(home->window, thread) ? home : nullptr;
}

// The work leaves the queue unstarted; false when it has started already.
bool Withdraw(Home& home, const std::shared_ptr<Work>& item)
{
    int expected = Waiting;
    if (!item->state.compare_exchange_strong(expected, Dropped))
        return false;
    AcquireSRWLockExclusive(&home.lock);
    for (auto i = home.queue.begin(); i != home.queue.end(); ++i) {
        if (*i == item) {
            home.queue.erase(i);
            break;
        }
    }
    ReleaseSRWLockExclusive(&home.lock);
    return true;
}

// No more work for home: what waits is dropped and its senders released.
void Shut(Home& home)
{
    std::deque<std::shared_ptr<Work>> left;
    AcquireSRWLockExclusive(&home.lock);
    home.closing = true;
    left.swap(home.queue);
    ReleaseSRWLockExclusive(&home.lock);
    SetEvent(home.closed);
    for (const auto& item : left) {
        int expected = Waiting;
        item->state.compare_exchange_strong(expected, Dropped);
        if (item->done)
            SetEvent(item->done);
    }
}

// Queues the work and wakes its home; the home, or null when it cannot
// receive work.
std::shared_ptr<Home> Enqueue(DWORD thread, const std::shared_ptr<Work>& item)
{
    std::shared_ptr<Home> home = Find(thread);
    if (!home)
        return nullptr;
    AcquireSRWLockExclusive(&home->lock);
    const bool open = !home->closing;
    if (open)
        home->queue.push_back(item);
    ReleaseSRWLockExclusive(&home->lock);
    if (!open)
        return nullptr;
    if (PostMessageW(home->window, kRunWorkMessage, 0, 0))
        return home;
    // The window went with its thread, or the queue is full.
    Withdraw(*home, item);
    return nullptr;
}

LRESULT CALLBACK HandBackProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kRunWorkMessage)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    std::shared_ptr<Home> home = Find(GetCurrentThreadId());
    if (!home)
        return 0;
    std::shared_ptr<Work> next;
    AcquireSRWLockExclusive(&home->lock);
    if (!home->queue.empty()) {
        next = home->queue.front();
        home->queue.pop_front();
    }
    ReleaseSRWLockExclusive(&home->lock);
    if (next)
        RunOnHome(*next);
    return 0;
}

}  // namespace

DWORD PrepareHandBack()
{
    const DWORD self = GetCurrentThreadId();
    if (Find(self))
        return self;

    static const bool registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HandBackProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered)
        return self;
    auto home = std::make_shared<Home>();
    home->window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &home->ended, SYNCHRONIZE,
                    FALSE, 0);
    home->closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!home->window || !home->ended || !home->closed) {
        if (home->window)
            DestroyWindow(home->window);
        return self;
    }
    std::shared_ptr<Home> previous;
    AcquireSRWLockExclusive(&g_homesLock);
    std::shared_ptr<Home>& entry = Homes()[self];
    previous.swap(entry);
    entry = home;
    ReleaseSRWLockExclusive(&g_homesLock);
    // An ended thread that had the same id: its senders still waiting go.
    if (previous)
        Shut(*previous);
    return self;
}

void CloseHandBack()
{
    const DWORD self = GetCurrentThreadId();
    std::shared_ptr<Home> home;
    AcquireSRWLockExclusive(&g_homesLock);
    const auto found = Homes().find(self);
    if (found != Homes().end()) {
        home = found->second;
        Homes().erase(found);
    }
    ReleaseSRWLockExclusive(&g_homesLock);
    if (!home)
        return;
    Shut(*home);
    if (IsWindowOfThread(home->window, self))
        DestroyWindow(home->window);
}

bool PostHandBack(DWORD home, std::function<void()> work)
{
    return Enqueue(home, std::make_shared<Work>(std::move(work), false)) != nullptr;
}

bool SendHandBack(DWORD homeThread, const std::function<void()>& work)
{
    if (homeThread == GetCurrentThreadId()) {
        RunGuarded(work);
        return true;
    }
    auto item = std::make_shared<Work>(work, true);
    if (!item->done)
        return false;
    const std::shared_ptr<Home> home = Enqueue(homeThread, item);
    if (!home)
        return false;

    HANDLE handles[] = {item->done, home->ended, home->closed};
    DWORD count = 3;
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjectsEx(count, handles, INFINITE, QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0 + count) {
            // Another thread sends to a window of this one: served, as
            // SendMessage would, so that the two never wait for each other.
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        if (woken == WAIT_OBJECT_0)
            break;
        // Home ended or closed, or the wait itself failed: work that has not
        // started never will.
        if (Withdraw(*home, item))
            return false;
        if (woken == WAIT_OBJECT_0 + 1 || count == 2 || woken == WAIT_FAILED) {
            // It has started: its end, or its thread's, is near.
            WaitForMultipleObjects(2, handles, FALSE, INFINITE);
            break;
        }
        // Closed from within the work itself: only its end is awaited.
        count = 2;
    }
    return item->state.load() != Dropped;
}

void HandBack(DWORD home, const std::function<void()>& work)
{
    // A home that cannot receive, or one that ended while the work waited:
    // the work still runs, here.
    if (!SendHandBack(home, work))
        RunGuarded(work);
}

#include "document/HandBack.h"

#include <exception>
#include <map>

namespace {

// The one message of the hand-back windows; lParam is the work.
constexpr UINT kRunWorkMessage = WM_USER + 1;
const wchar_t* const kWindowClass = L"KORV.HandBack";

struct Work {
    const std::function<void()>* work;
    bool ran;
};

// Exactly what the worker asked for, on this thread; an exception must not
// cross the window procedure.
void RunWork(Work& item)
{
    item.ran = true;
    try {
        (*item.work)();
    } catch (const std::exception& error) {
        OutputDebugStringA("ERR >> handed-back work: ");
        OutputDebugStringA(error.what());
    } catch (...) {
        OutputDebugStringA("ERR >> handed-back work: unknown exception");
    }
}

LRESULT CALLBACK HandBackProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunWorkMessage && lParam != 0) {
        RunWork(*reinterpret_cast<Work*>(lParam));
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The hand-back window of each thread that prepared one. A window goes with
// its thread, so an entry may outlive both; HandBack checks before it sends.
SRWLOCK g_windowsLock = SRWLOCK_INIT;
std::map<DWORD, HWND>& Windows()
{
    static std::map<DWORD, HWND>* windows = new std::map<DWORD, HWND>();  // never destroyed: threads may end late
    return *windows;
}

HWND WindowOf(DWORD thread)
{
    AcquireSRWLockShared(&g_windowsLock);
    const auto found = Windows().find(thread);
    const HWND window = found == Windows().end() ? nullptr : found->second;
    ReleaseSRWLockShared(&g_windowsLock);
    return window;
}

bool IsWindowOfThread(HWND window, DWORD thread)
{
    return window && IsWindow(window) && GetWindowThreadProcessId(window, nullptr) == thread;
}

}  // namespace

DWORD PrepareHandBack()
{
    const DWORD self = GetCurrentThreadId();
    if (IsWindowOfThread(WindowOf(self), self))
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
    const HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return self;
    AcquireSRWLockExclusive(&g_windowsLock);
    Windows()[self] = window;
    ReleaseSRWLockExclusive(&g_windowsLock);
    return self;
}

void HandBack(DWORD home, const std::function<void()>& work)
{
    Work item{&work, false};
    if (home != GetCurrentThreadId()) {
        const HWND window = WindowOf(home);
        if (IsWindowOfThread(window, home))
            SendMessageW(window, kRunWorkMessage, 0, reinterpret_cast<LPARAM>(&item));
    }
    // Home itself, a home that cannot receive, or one that ended while the
    // work waited: the work still runs, here.
    if (!item.ran)
        RunWork(item);
}

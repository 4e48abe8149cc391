// Small pieces the window tests share: a window class of their own and
// message pumping with a bound.
#pragma once

#include <windows.h>

#include <functional>

// Registers (once) a class with the procedure and returns its name, which
// must stay valid for the whole run.
inline const char* TestWindowClass(const char* name, WNDPROC procedure)
{
    WNDCLASSA wc = {};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) {
        wc = {};
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = name;
        RegisterClassA(&wc);
    }
    return name;
}

// Dispatches whatever is waiting in the thread's queue.
inline void PumpWaiting()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Pumps messages until the condition holds; false when it did not within the bound.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD boundMs = 10000)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > boundMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpWaiting();
    }
    return true;
}

// Orders the calculation dialogs' tests run the real solver on: a small one
// that ends within a moment and a large one that runs long enough to be
// stopped, plus a watch over the windows that show up meanwhile.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"

inline DProps OrderRow(const char* length, long quantity)
{
    DProps row;
    row.Set("length", length);
    row.SetLong("quantity", quantity);
    return row;
}

// Stock of 6000 (unlimited unless a quantity is given) and three part lengths.
inline void SmallOrder(DCSProject& material, bool withParts = true, bool withStock = true)
{
    if (withStock)
        material.AppendRows({OrderRow("6000", 0)}, 1);
    if (withParts)
        material.AppendRows({OrderRow("2500", 4), OrderRow("1500", 6), OrderRow("1000", 3)}, 2);
}

// Many part lengths in many copies: seconds of work for the solver.
inline void LargeOrder(DCSProject& material)
{
    material.AppendRows({OrderRow("6000", 0), OrderRow("7500", 0)}, 1);
    PropsList parts;
    for (long i = 0; i < 90; ++i) {
        char length[32];
        snprintf(length, sizeof(length), "%ld", 397 + i * 37);
        parts.push_back(OrderRow(length, 40 + i % 7));
    }
    material.AppendRows(parts, 2);
}

// Records the caption of every visible dialog box of this thread, other than
// the main window, seen while it runs (polled every 10 ms by whichever
// message loop is pumping).
class VisibleDialogWatch {
public:
    explicit VisibleDialogWatch(HWND main)
    {
        s_main = main;
        s_seen.clear();
        m_timer = SetTimer(nullptr, 0, 10, &VisibleDialogWatch::Tick);
    }
    ~VisibleDialogWatch() { KillTimer(nullptr, m_timer); }
    VisibleDialogWatch(const VisibleDialogWatch&) = delete;
    VisibleDialogWatch& operator=(const VisibleDialogWatch&) = delete;
    const std::vector<std::string>& Seen() const { return s_seen; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM) -> BOOL {
                char cls[64] = "";
                GetClassNameA(window, cls, sizeof(cls));
                if (window != s_main && IsWindowVisible(window) && strcmp(cls, "#32770") == 0) {
                    char text[256] = "";
                    GetWindowTextA(window, text, sizeof(text));
                    s_seen.push_back(text);
                }
                return TRUE;
            },
            0);
    }
    UINT_PTR m_timer = 0;
    static inline HWND s_main = nullptr;
    static inline std::vector<std::string> s_seen;
};

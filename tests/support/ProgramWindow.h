// The main window of a started copy of the program: the visible top window
// of that process with a menu and the program's name at the start of its
// title. Null until the program shows it.
#pragma once

#include <windows.h>

#include <cstring>

struct ProgramWindowSearch {
    DWORD pid;
    HWND found;
};

// A window procedure's calling convention, which a lambda lacks on 32-bit.
inline BOOL CALLBACK ProgramWindowSearchProc(HWND window, LPARAM lParam)
{
    auto* s = reinterpret_cast<ProgramWindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != s->pid || !IsWindowVisible(window) || !GetMenu(window))
        return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (std::strncmp(title, "KORVA Bravik", 12) != 0)
        return TRUE;
    s->found = window;
    return FALSE;
}

inline HWND FindProgramMainWindow(DWORD processId)
{
    ProgramWindowSearch search = {processId, nullptr};
    EnumWindows(ProgramWindowSearchProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Holds back a window's drawing while its contents are replaced: a list view
// that draws after every row it receives spends far more time painting rows
// about to be replaced than taking them (seconds for a few hundred rows under
// Wine). The window is drawn once, whole, when the scope ends. UI thread only.
#pragma once

#include <windows.h>

class RedrawSuspended {
public:
    // Nothing happens for a handle that is not a window.
    explicit RedrawSuspended(HWND window);
    ~RedrawSuspended();
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    HWND m_window;
};

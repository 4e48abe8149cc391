#include "controls/RedrawSuspended.h"

RedrawSuspended::RedrawSuspended(HWND window) : m_window(window && ::IsWindow(window) ? window : nullptr)
{
    if (m_window)
        ::SendMessageW(m_window, WM_SETREDRAW, FALSE, 0);
}

RedrawSuspended::~RedrawSuspended()
{
    if (!m_window || !::IsWindow(m_window))
        return;
    ::SendMessageW(m_window, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_window, nullptr, TRUE);
}

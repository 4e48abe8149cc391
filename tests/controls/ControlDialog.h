// The test dialog of the control tests, created modeless from its template,
// and a stand-in panel window that answers the background query with a
// colour of its own.
#pragma once

#include <windows.h>

#include <vector>

#include "controls/ICControl.h"
#include "resource.h"

// What the test dialog's procedure saw of WM_COMMAND.
struct CommandSeen {
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<CommandSeen>& CommandsSeen()
{
    static std::vector<CommandSeen> seen;
    return seen;
}

inline INT_PTR CALLBACK ControlDialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND) {
        CommandsSeen().push_back(CommandSeen{wParam, lParam});
        return TRUE;
    }
    return FALSE;
}

class ControlDialog {
public:
    explicit ControlDialog(bool visible = false)
    {
        CommandsSeen().clear();
        m_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONTROLS), nullptr,
                                      ControlDialogProc, 0);
        if (m_dialog && visible) {
            ShowWindow(m_dialog, SW_SHOW);
            UpdateWindow(m_dialog);
        }
    }
    ~ControlDialog()
    {
        if (m_dialog && IsWindow(m_dialog))
            DestroyWindow(m_dialog);
    }
    ControlDialog(const ControlDialog&) = delete;
    ControlDialog& operator=(const ControlDialog&) = delete;

    HWND Get() const { return m_dialog; }
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
    // Gives the control an exact client size in pixels (the template's
    // dialog units depend on the font).
    HWND Sized(int id, int width, int height) const
    {
        HWND item = Item(id);
        SetWindowPos(item, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return item;
    }

private:
    HWND m_dialog = nullptr;
};

// A child window that answers WM_QUERY_BACKCOLOR with its colour (or not at
// all for CLR_INVALID) and counts the queries it received.
class TestPanel {
public:
    TestPanel(HWND parent, COLORREF colour, int x = 0, int y = 0, int width = 50, int height = 30)
    {
        m_window = CreateWindowExA(0, ClassName(), "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
        SetColour(colour);
    }
    ~TestPanel()
    {
        if (m_window && IsWindow(m_window))
            DestroyWindow(m_window);
    }
    TestPanel(const TestPanel&) = delete;
    TestPanel& operator=(const TestPanel&) = delete;

    HWND Get() const { return m_window; }
    void SetColour(COLORREF colour) { SetWindowLongA(m_window, 0, static_cast<LONG>(colour)); }
    long Queries() const { return GetWindowLongA(m_window, 4); }
    // The point of the last query.
    POINT LastPoint() const { return POINT{GetWindowLongA(m_window, 8), GetWindowLongA(m_window, 12)}; }

    static const char* ClassName()
    {
        static const char* name = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Procedure;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.cbWndExtra = 16;
            wc.lpszClassName = "KorvaTestPanel";
            RegisterClassA(&wc);
            return "KorvaTestPanel";
        }();
        return name;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_QUERY_BACKCOLOR) {
            SetWindowLongA(window, 4, GetWindowLongA(window, 4) + 1);
            BackColorQuery* query = reinterpret_cast<BackColorQuery*>(lParam);
            COLORREF colour = static_cast<COLORREF>(GetWindowLongA(window, 0));
            if (query) {
                SetWindowLongA(window, 8, query->x);
                SetWindowLongA(window, 12, query->y);
                if (colour != CLR_INVALID) {
                    query->colour = colour;
                    query->flags = 1;
                }
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
};

// Pixels compare within a small tolerance: blends round either way.
inline bool Near(COLORREF a, COLORREF b, int tolerance = 3)
{
    return abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
           abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
           abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

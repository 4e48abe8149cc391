// A C++ object bound to one window. The binding is a window property, so
// wrappers that take over a window's GWL_USERDATA and procedure later on
// leave it alone. Every message of a bound window passes through the
// object's virtual WindowProc; what it does not answer goes to the window's
// previous procedure through Default().
#pragma once

#include "classlib/MessageMap.h"

#include <windows.h>

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    // Unbinds first, then destroys the window if it still exists, so no
    // message of the destruction reaches a half-destroyed object.
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object bound to a window by this library, or null.
    static CWnd* FromHandle(HWND window);

    // Creates a window and binds it. A class registered by this library
    // binds at WM_NCCREATE; any other class is taken over (subclassed) right
    // after creation. False when the window was not created.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menuOrId = nullptr,
                  void* param = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, HWND parent, UINT id, void* param = nullptr);
    // Takes over an existing window that no object holds yet.
    BOOL SubclassWindow(HWND window);
    // Gives the window back to its previous procedure and forgets it.
    HWND UnsubclassWindow();
    BOOL DestroyWindow();

    // Every message of the bound window. The base answers from the message
    // map, then WM_COMMAND through OnCommand and WM_NOTIFY through OnNotify,
    // and hands everything else to Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Own command handlers; true when one ran.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY; true with *result set when handled. The base handles nothing.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Called once the window is gone and unbound; the object may delete itself here.
    virtual void PostNcDestroy() {}

    // The previous procedure's answer to the message being handled. May be
    // called before a handler's own work; the framework then does not call it
    // again for that message.
    LRESULT Default();
    // The previous procedure's answer to any message.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    // Showing through the object also tells a modal loop whether a dialog
    // wants to stay hidden.
    virtual BOOL ShowWindow(int command);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

protected:
    // Binds the object to a window whose procedure already is, or is made, ours.
    void Bind(HWND window, WNDPROC previous);
    void Unbind();
    // Puts our window procedure in front of the window's own (dialogs,
    // taken-over windows) and binds.
    void Subclass(HWND window);

    static LRESULT CALLBACK ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Frame {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool defaultDone;
        LRESULT defaultResult;
    };
    WNDPROC m_previous = nullptr;
    bool m_subclassed = false;
    Frame* m_frame = nullptr;

    friend class CDialog;
    friend const char* AfxRegisterWndClass(UINT, HCURSOR, HBRUSH, HICON);
};

// Registers (once per distinct set of values) a window class whose windows
// bind to a CWnd at creation, and returns its name, valid for the whole run.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);

// Writes "ERR >> " and the text to the application's error log and the
// debugger; what every Win32 callback of the library does with an exception.
void AfxLogError(const char* text);

#include "classlib/CWnd.h"

#include <cstdio>
#include <exception>
#include <mutex>
#include <set>
#include <string>

namespace {

// The object of a bound window, and the procedure our own stands in front of
// (kept past unbinding when another procedure was put in front of ours and
// ours cannot leave the chain).
const char* const kObjectProp = "KORVA.CWnd.object";
const char* const kPreviousProp = "KORVA.CWnd.previous";

// The object whose window is being created on this thread, taken by the
// window's first WM_NCCREATE.
thread_local CWnd* t_creating = nullptr;

std::string ExceptionText(UINT message)
{
    char head[96];
    snprintf(head, sizeof head, "Exception in the handler of message 0x%04X: ", message);
    try {
        throw;
    } catch (const std::exception& e) {
        return std::string(head) + e.what();
    } catch (...) {
        return std::string(head) + "unknown exception";
    }
}

} // namespace

CWnd::~CWnd()
{
    HWND window = m_hWnd;
    if (window) {
        Unbind();
        if (::IsWindow(window)) {
            ::DestroyWindow(window);
        }
    }
}

CWnd* CWnd::FromHandle(HWND window)
{
    return window ? static_cast<CWnd*>(GetPropA(window, kObjectProp)) : nullptr;
}

void CWnd::Bind(HWND window, WNDPROC previous)
{
    m_hWnd = window;
    m_previous = previous;
    SetPropA(window, kObjectProp, this);
}

void CWnd::Subclass(HWND window)
{
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetPropA(window, kPreviousProp, reinterpret_cast<HANDLE>(previous));
    Bind(window, previous);
    m_subclassed = true;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::ClassWindowProc));
}

void CWnd::Unbind()
{
    HWND window = m_hWnd;
    if (!window) {
        return;
    }
    if (::IsWindow(window)) {
        if (GetPropA(window, kObjectProp) == this) {
            RemovePropA(window, kObjectProp);
        }
        if (m_subclassed &&
            GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::ClassWindowProc)) {
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
            RemovePropA(window, kPreviousProp);
        }
    }
    m_hWnd = nullptr;
    m_subclassed = false;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menuOrId, void* param)
{
    if (m_hWnd) {
        return FALSE;
    }
    CWnd* outer = t_creating;
    t_creating = this;
    HWND window = CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                                  menuOrId, GetModuleHandleA(nullptr), param);
    t_creating = outer;
    if (!window) {
        return FALSE;
    }
    if (m_hWnd != window && ::IsWindow(window) && !FromHandle(window)) {
        Subclass(window);
    }
    return m_hWnd == window;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, HWND parent, UINT id, void* param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                    param);
}

BOOL CWnd::SubclassWindow(HWND window)
{
    if (m_hWnd || !::IsWindow(window) || FromHandle(window)) {
        return FALSE;
    }
    Subclass(window);
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    HWND window = m_hWnd;
    Unbind();
    return window;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

BOOL CWnd::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const CMessageEntry* e = GetMessageMap()->FindMessage(message)) {
        return e->call(*this, message, wParam, lParam);
    }
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            return 0;
        }
    } else if (message == WM_NOTIFY) {
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result)) {
            return result;
        }
    }
    return Default();
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), wParam, lParam);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd) {
        return 0;
    }
    if (m_previous) {
        return CallWindowProcA(m_previous, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    Frame* f = m_frame;
    if (!f) {
        return 0;
    }
    if (!f->defaultDone) {
        f->defaultResult = DefWindowProc(f->message, f->wParam, f->lParam);
        f->defaultDone = true;
    }
    return f->defaultResult;
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = m_hWnd;
    Frame frame{message, wParam, lParam, false, 0};
    Frame* outer = m_frame;
    m_frame = &frame;
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        AfxLogError(ExceptionText(message).c_str());
        result = Default();
    }
    m_frame = outer;
    if (message == WM_NCDESTROY && m_hWnd == window) {
        Unbind();
        try {
            PostNcDestroy();
        } catch (...) {
            AfxLogError(ExceptionText(message).c_str());
        }
    }
    return result;
}

LRESULT CALLBACK CWnd::ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandle(window);
    if (!wnd) {
        if (message == WM_NCCREATE && t_creating && !t_creating->m_hWnd) {
            wnd = t_creating;
            t_creating = nullptr;
            wnd->Bind(window, nullptr);
        } else {
            WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(window, kPreviousProp));
            if (previous) {
                return CallWindowProcA(previous, window, message, wParam, lParam);
            }
            return ::DefWindowProcA(window, message, wParam, lParam);
        }
    }
    return wnd->Dispatch(message, wParam, lParam);
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::mutex lock;
    static std::set<std::string> names;
    char name[96];
    snprintf(name, sizeof name, "KORVA:%X:%p:%p:%p", classStyle, static_cast<void*>(cursor),
             static_cast<void*>(background), static_cast<void*>(icon));
    std::lock_guard<std::mutex> guard(lock);
    auto found = names.find(name);
    if (found != names.end()) {
        return found->c_str();
    }
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::ClassWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    return names.insert(name).first->c_str();
}

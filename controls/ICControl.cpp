#include "controls/ICControl.h"

#include "classlib/CWinApp.h"
#include "classlib/CWnd.h"
#include "controls/WinUtil.h"

#include <exception>
#include <string>

namespace {

// The procedure that stood before ours, kept on the window as well: when our
// procedure cannot leave the chain (another one was put in front of it) or
// the object is gone, the control still reaches its own procedure.
const char* const kPreviousProp = "KORVA.ICControl.previous";

// One WM_SETTEXT at a time passes through the wrappers: the read-back of the
// text must not set it again.
bool g_inSetText = false;

std::string NarrowFromWide(const wchar_t* wide)
{
    if (!wide || !*wide)
        return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], size, nullptr, nullptr);
    text.resize(static_cast<size_t>(size - 1));
    return text;
}

ICControl* ObjectOf(HWND window)
{
    return reinterpret_cast<ICControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void LogException(UINT message)
{
    char text[160];
    try {
        throw;
    } catch (const std::exception& e) {
        snprintf(text, sizeof text, "Control procedure, message 0x%04X: %s", message, e.what());
    } catch (...) {
        snprintf(text, sizeof text, "Control procedure, message 0x%04X: unknown exception", message);
    }
    AfxLogError(text);
}

// A memory DC and the bitmap selected into it for one buffered paint.
class PaintBuffer {
public:
    PaintBuffer(HDC reference, int width, int height)
    {
        if (!reference || width <= 0 || height <= 0)
            return;
        m_dc = CreateCompatibleDC(reference);
        m_bitmap = CreateCompatibleBitmap(reference, width, height);
        if (m_dc && m_bitmap)
            m_old = SelectObject(m_dc, m_bitmap);
    }
    ~PaintBuffer()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
        if (m_bitmap)
            DeleteObject(m_bitmap);
        if (m_dc)
            DeleteDC(m_dc);
    }
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;

    HDC Get() const { return m_old ? m_dc : nullptr; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

} // namespace

HINSTANCE ICResourceModule()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_hInstance)
        return app->m_hInstance;
    return GetModuleHandleA(nullptr);
}

ICControl::ICControl() = default;

ICControl::~ICControl()
{
    ReleaseWindow();
}

bool ICControl::Attach(HWND window, long group, bool keepSize)
{
    if (!window || !IsWindow(window))
        return false;
    m_hWnd = window;
    m_id = GetWindowLongW(window, GWL_ID);
    m_group = group;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (current == &ICControl::StaticWindowProc) {
        // Already wrapped: the control's own procedure is the one kept on it.
        m_previous = reinterpret_cast<WNDPROC>(GetPropA(window, kPreviousProp));
    } else {
        m_previous = current;
        SetPropA(window, kPreviousProp, reinterpret_cast<HANDLE>(current));
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ICControl::StaticWindowProc));
    }
    if (keepSize && m_rect.right != 0)
        Resize(m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, false);
    else
        OnSize(-1, -1);
    GetClientRect(window, &m_rect);
    m_caption = WinGetText(1024, window, false).GetText();
    return true;
}

void ICControl::Detach()
{
    ReleaseWindow();
}

void ICControl::ReleaseWindow()
{
    HWND window = m_hWnd;
    if (window && IsWindow(window)) {
        WNDPROC current =
            reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        if (m_previous && current == &ICControl::StaticWindowProc) {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
            RemovePropA(window, kPreviousProp);
        }
        // No message may find this object through the window any more: it
        // may be deleted before the window.
        if (ObjectOf(window) == this)
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    SetOwnedObject(nullptr);
    m_id = 0;
    m_hWnd = nullptr;
    m_previous = nullptr;
    m_group = 0;
}

void ICControl::SetOwnedObject(HGDIOBJ object)
{
    if (m_gdiObject && m_gdiObject != object)
        DeleteObject(m_gdiObject);
    m_gdiObject = object;
}

RECT ICControl::ClientRect() const
{
    RECT rc = {0, 0, 0, 0};
    if (HasWindow()) {
        GetClientRect(m_hWnd, &rc);
    } else {
        rc.right = m_rect.right - m_rect.left;
        rc.bottom = m_rect.bottom - m_rect.top;
    }
    return rc;
}

bool ICControl::Paint(HDC dc, const RECT* dirty)
{
    if (!dc && !HasWindow())
        return false;
    ICWindowDC own(m_hWnd, !dc);
    HDC target = dc ? dc : own.Get();
    if (!target)
        return false;
    SetStretchBltMode(target, HALFTONE);
    if (m_doubleBuffer) {
        RECT client = ClientRect();
        int width = client.right - client.left;
        int height = client.bottom - client.top;
        ICWindowDC screen(nullptr, dc != nullptr);
        {
            PaintBuffer buffer(dc ? screen.Get() : target, width, height + 2);
            if (HDC memory = buffer.Get()) {
                DrawBackground(memory, dirty);
                DrawForeground(memory, dirty);
                const RECT& copy = dirty ? *dirty : client;
                BitBlt(target, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, memory,
                       copy.left, copy.top, SRCCOPY);
            }
        }
    } else {
        DrawBackground(target, dirty);
        DrawForeground(target, dirty);
    }
    AfterPaint(target);
    return true;
}

bool ICControl::FillBackgroundQuery(BackColorQuery* query)
{
    if (!query)
        return false;
    query->colour = GetSysColor(COLOR_BTNFACE);
    query->reserved = 0;
    query->flags = 3;
    return true;
}

void ICControl::SetText(const char* text, bool repaint)
{
    if (HasWindow()) {
        SetWindowTextA(m_hWnd, text ? text : "");
        if (repaint)
            Paint(nullptr, nullptr);
    } else {
        StoreCaption(text);
    }
}

BOOL ICControl::Resize(int width, int height, bool redraw)
{
    if (!HasWindow()) {
        OnSize(width, height);
        return TRUE;
    }
    UINT flags = SWP_NOMOVE | SWP_NOZORDER;
    if (!redraw)
        flags |= SWP_NOREDRAW;
    BOOL result = SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, flags);
    OnSize(width, height);
    return result;
}

void ICControl::OnSize(int width, int height)
{
    if (HasWindow()) {
        WinGetRectInParent(m_hWnd, &m_rect);
    } else {
        m_rect.right = m_rect.left + width;
        m_rect.bottom = m_rect.top + height;
    }
}

void ICControl::StoreCaption(const char* text)
{
    m_caption = text ? text : "";
}

void ICControl::AfterPaint(HDC dc)
{
    (void)dc;
}

bool ICControl::DrawForeground(HDC dc, const RECT* dirty)
{
    (void)dirty;
    CallWindowProcW(m_previous ? m_previous : DefWindowProcW, m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(dc),
                    PRF_CLIENT | PRF_ERASEBKGND);
    return false;
}

bool ICControl::DrawBackground(HDC dc, const RECT* dirty)
{
    if (!dc || !HasWindow())
        return false;
    COLORREF colour = GetParentBackgroundColor(GetParent(m_hWnd), m_rect.left, m_rect.top);
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return false;
    RECT area = dirty ? *dirty : ClientRect();
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    return true;
}

LRESULT ICControl::CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(m_previous ? m_previous : DefWindowProcW, window, message, wParam, lParam);
}

LRESULT ICControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return CallPrevious(window, message, wParam, lParam);
    case WM_SETTEXT: {
        if (g_inSetText)
            return 4;
        ICFlagScope guard(g_inSetText);
        LRESULT result = CallPrevious(window, message, wParam, lParam);
        m_caption = WinGetText(1024, window, false).GetText();
        StoreCaption(NarrowFromWide(reinterpret_cast<const wchar_t*>(lParam)).c_str());
        return result;
    }
    case WM_GETDLGCODE:
        // The wrapped control keeps the native control's answer: a control
        // that claimed every key would leave Tab, Enter and Escape to
        // nothing, and the dialog could not be worked from the keyboard.
        return CallPrevious(window, message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case BM_SETSTATE:
    case BM_SETSTYLE: {
        // The native control draws its pushed, focus and default looks
        // straight onto the screen; our face goes back over them at once.
        LRESULT result = CallPrevious(window, message, wParam, lParam);
        Paint(nullptr, nullptr);
        return result;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (dc)
            Paint(dc, &ps.rcPaint);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_NCPAINT: {
        ICWindowDC dc(window);
        if (dc.Get())
            Paint(dc.Get(), nullptr);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    default:
        return CallPrevious(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK ICControl::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ICControl* object = ObjectOf(window);
    if (object && object->m_hWnd == window && IsWindow(window)) {
        LRESULT result = 0;
        try {
            result = object->WindowProc(window, message, wParam, lParam);
        } catch (...) {
            LogException(message);
            result = object->CallPrevious(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY && object->m_hWnd == window) {
            // The window is gone: the object keeps its own resources and
            // forgets the handle, which the system may hand out again.
            RemovePropA(window, kPreviousProp);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            object->m_hWnd = nullptr;
            object->m_previous = nullptr;
        }
        return result;
    }
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(window, kPreviousProp));
    if (message == WM_NCDESTROY)
        RemovePropA(window, kPreviousProp);
    return CallWindowProcW(previous ? previous : DefWindowProcW, window, message, wParam, lParam);
}

COLORREF ICControl::GetParentBackgroundColor(HWND parent, long x, long y)
{
    COLORREF colour = GetSysColor(COLOR_BTNFACE);
    if (!parent || !IsWindow(parent))
        return colour;
    BackColorQuery query = {};
    query.window = parent;
    query.x = x;
    query.y = y;
    EnumChildWindows(parent, &ICControl::EnumBackgroundProc, reinterpret_cast<LPARAM>(&query));
    if (query.flags & 1)
        return query.colour;
    SendMessageW(parent, WM_QUERY_BACKCOLOR, 0, reinterpret_cast<LPARAM>(&query));
    return (query.flags & 1) ? query.colour : colour;
}

BOOL CALLBACK ICControl::EnumBackgroundProc(HWND child, LPARAM lParam)
{
    BackColorQuery* query = reinterpret_cast<BackColorQuery*>(lParam);
    if (!query)
        return FALSE;
    if (child == query->window)
        return TRUE;
    SendMessageW(child, WM_QUERY_BACKCOLOR, 0, lParam);
    return query->flags == 0;
}

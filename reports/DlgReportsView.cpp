#include "reports/DlgReportsView.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "appsvc/OXRApp.h"
#include "controls/ICControl.h"
#include "reports/OXRReport.h"

namespace {

OXRReport* Report()
{
    return GetApp() ? &AppReport() : nullptr;
}

long Width(const RECT& r)
{
    return r.right - r.left;
}

long Height(const RECT& r)
{
    return r.bottom - r.top;
}

double Clamp(double value, double low, double high)
{
    return value < low ? low : (value > high ? high : value);
}

} // namespace

DlgReportsView::DlgReportsView() = default;

DlgReportsView::~DlgReportsView() = default;

bool DlgReportsView::Create(HWND parent, const RECT& rect, UINT id, COLORREF background)
{
    const char* cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
    SetBackColor(background);
    if (!CreateEx(0, cls, "", WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP, rect, parent, id))
        return false;
    ::GetClientRect(m_hWnd, &m_client);
    return true;
}

void DlgReportsView::SetBackColor(COLORREF colour)
{
    m_background = colour;
    // The contrast colour is what stays readable on the background.
    const int sum = GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
    m_contrast = sum < 384 ? RGB(255, 255, 255) : RGB(0, 0, 0);
    m_brush.Reset(::CreateSolidBrush(colour));
    if (IsWindow())
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool DlgReportsView::SetFitMode(long mode)
{
    if (mode != FitWindow && mode != FitWidth)
        return false;
    m_fitMode = mode;
    if (IsRectEmpty(&m_pageRect))
        return true;
    // The scroll bars shown below resize the client area; that resize is
    // taken care of here, not fitted again from inside.
    ICFlagScope fitting(m_fitting);
    // Showing or hiding a scroll bar changes the client width, which a fit
    // by width depends on: fit again then, but only once, so a page that
    // fits with one bar and not without it cannot flip the bar forever.
    for (int pass = 0; pass < 2; ++pass) {
        RECT area = m_client;
        if (mode == FitWindow) {
            m_scrollX = 0;
            m_scrollY = 0;
            ::InflateRect(&area, -m_marginX, -m_marginY);
        } else {
            area.bottom = area.top + static_cast<long>(static_cast<double>(Height(m_pageRect)) /
                                                       Width(m_pageRect) * Width(m_client));
        }
        m_zoom = std::min(static_cast<double>(Height(area)) / Height(m_pageRect),
                          static_cast<double>(Width(area)) / Width(m_pageRect));
        if (m_zoom < 0)
            m_zoom = 0;
        m_display = {0, 0, static_cast<long>(m_zoom * Width(m_pageRect)),
                     static_cast<long>(m_zoom * Height(m_pageRect))};
        if (mode == FitWindow)
            ::OffsetRect(&m_display, (Width(m_client) - Width(m_display)) / 2,
                         (Height(m_client) - Height(m_display)) / 2);
        const RECT before = m_client;
        UpdateScrollBars();
        if (EqualRect(&before, &m_client))
            break;
    }
    if (IsWindow())
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

void DlgReportsView::UpdateScrollBars()
{
    if (!IsWindow())
        return;
    auto update = [this](int bar, long shown, long client, double& position, double& max) {
        if (shown > client && client > 0) {
            max = shown - client;
            position = Clamp(position, 0, max);
            SCROLLINFO info = {};
            info.cbSize = sizeof(info);
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
            info.nMin = 0;
            info.nMax = shown - 1;
            info.nPage = static_cast<UINT>(client);
            info.nPos = static_cast<int>(position);
            ::ShowScrollBar(m_hWnd, bar, TRUE);
            ::EnableScrollBar(m_hWnd, bar, ESB_ENABLE_BOTH);
            ::SetScrollInfo(m_hWnd, bar, &info, TRUE);
        } else {
            max = 0;
            position = 0;
            ::EnableScrollBar(m_hWnd, bar, ESB_DISABLE_BOTH);
            ::ShowScrollBar(m_hWnd, bar, FALSE);
        }
    };
    // Each bar's visibility changes the other direction's client size.
    ::GetClientRect(m_hWnd, &m_client);
    update(SB_HORZ, m_display.right, Width(m_client), m_scrollX, m_scrollMaxX);
    ::GetClientRect(m_hWnd, &m_client);
    update(SB_VERT, m_display.bottom, Height(m_client), m_scrollY, m_scrollMaxY);
    ::GetClientRect(m_hWnd, &m_client);
}

void DlgReportsView::Refresh()
{
    SetFitMode(m_fitMode);
    if (IsWindow())
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void DlgReportsView::TakePageRect()
{
    OXRReport* report = Report();
    m_pageRect = report ? report->GetPageRect() : RECT{0, 0, 0, 0};
}

void DlgReportsView::OnAppEvent(long code)
{
    if (code != kEventReportLayoutChanged && code != kEventReportPageChanged)
        return;
    if (!IsWindow())
        return;
    m_busy = true;
    TakePageRect();
    m_scrollX = 0;
    m_scrollY = 0;
    UpdateScrollBars();
    SetFitMode(m_fitMode);
    m_busy = false;
    ::SetFocus(m_hWnd);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void DlgReportsView::OnResize()
{
    ::GetClientRect(m_hWnd, &m_client);
    if (m_fitting)
        return;
    SetFitMode(m_fitMode);
    UpdateScrollBars();
}

void DlgReportsView::PaintPage(HDC dc)
{
    if (m_busy || !dc)
        return;
    UScreen screen(m_hWnd, static_cast<HBRUSH>(m_brush.Get()));
    HDC buffer = screen.GetDC();
    if (!buffer)
        return;
    OXRReport* report = Report();
    HBITMAP page = report && !IsRectEmpty(&m_pageRect) ? report->GetPageBitmap(-1) : nullptr;
    if (page) {
        BITMAP info = {};
        ::GetObjectA(page, sizeof(info), &info);
        HDC source = ::CreateCompatibleDC(buffer);
        if (source) {
            {
                USelect selected(source, page);
                ::SetStretchBltMode(buffer, HALFTONE);
                ::SetBrushOrgEx(buffer, 0, 0, nullptr);
                ::StretchBlt(buffer, m_display.left - static_cast<int>(m_scrollX),
                             m_display.top - static_cast<int>(m_scrollY),
                             static_cast<int>(std::lround(m_zoom * Width(m_pageRect))),
                             static_cast<int>(std::lround(m_zoom * Height(m_pageRect))), source, 0, 0,
                             info.bmWidth, info.bmHeight, SRCCOPY);
            }
            ::DeleteDC(source);
        }
    }
    screen.BlitTo(nullptr, dc);
}

double DlgReportsView::Scrolled(double position, double max, int request, int thumb, double line, double page)
{
    switch (request) {
    case SB_LINEUP: position -= line; break;
    case SB_LINEDOWN: position += line; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = max; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = thumb; break;
    default: break;
    }
    return Clamp(position, 0, max);
}

void DlgReportsView::OnHScroll(int request, int thumb)
{
    Scroll(SB_HORZ, request, thumb);
}

void DlgReportsView::OnVScroll(int request, int thumb)
{
    Scroll(SB_VERT, request, thumb);
}

void DlgReportsView::Scroll(int bar, int request, int thumb)
{
    const bool across = bar == SB_HORZ;
    double& current = across ? m_scrollX : m_scrollY;
    const double max = across ? m_scrollMaxX : m_scrollMaxY;
    if (max <= 0)
        return;
    const double page = static_cast<double>(across ? Width(m_client) : Height(m_client));
    const double position = Scrolled(current, max, request, thumb, across ? LineStepX : LineStepY, page);
    if (position == current)
        return;
    current = position;
    ::SetScrollPos(m_hWnd, bar, static_cast<int>(current), TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT DlgReportsView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        PaintPage(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        ::BeginPaint(m_hWnd, &paint);
        ::EndPaint(m_hWnd, &paint);
        return 0;
    }
    case WM_SIZE:
        OnResize();
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        // The 16-bit thumb of the message would cut off long pages.
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
        ::GetScrollInfo(m_hWnd, bar, &info);
        if (message == WM_HSCROLL)
            OnHScroll(LOWORD(wParam), info.nTrackPos);
        else
            OnVScroll(LOWORD(wParam), info.nTrackPos);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        const bool sideways = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
        for (int i = 0; i < std::abs(notches); ++i) {
            const int request = notches > 0 ? SB_LINEUP : SB_LINEDOWN;
            if (sideways)
                OnHScroll(request, 0);
            else
                OnVScroll(request, 0);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        ::SetFocus(m_hWnd);
        return 0;
    case WM_LBUTTONDBLCLK:
        SetFitMode(m_fitMode == FitWindow ? FitWidth : FitWindow);
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

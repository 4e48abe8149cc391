#include "controls/ICHint.h"

#include "controls/UDraw.h"
#include "controls/WinUtil.h"
#include "foundation/StrUtil.h"
#include "foundation/UString.h"

#include <cstdlib>
#include <vector>

namespace {

UINT g_hintMessage = 0;
// A query may pump messages (a window that waits on a lock); the timer must
// not start a second poll inside the first.
bool g_polling = false;

DProps& Registry()
{
    static DProps registry;
    return registry;
}

std::string HandleKey(HWND window)
{
    return StrFromPointer(window);
}

bool TickReached(DWORD now, DWORD when)
{
    // Tick counts wrap after 49 days; the difference keeps its sign.
    return static_cast<LONG>(now - when) >= 0;
}

// The size a text takes in a font, at the origin; empty for an empty text.
RECT MeasureText(UDraw& drawer, const std::string& text, HFONT font)
{
    RECT r = {0, 0, 0, 0};
    if (!text.empty()) {
        UWString wide;
        wide.SetA(text.c_str());
        drawer.MeasureTextW(wide.GetW(), font, &r);
    }
    return r;
}

void DrawHintText(HDC dc, const std::string& text, HFONT font, RECT r)
{
    if (text.empty()) {
        return;
    }
    UWString wide;
    wide.SetA(text.c_str());
    USelect select(dc, font);
    DrawTextW(dc, wide.GetW(), -1, &r, 0);
}

void ClearRecord(ICHintInfo& record)
{
    record.window = nullptr;
    record.data.Set("head", "");
    record.data.Set("text", "");
    record.showTime = 0;
    record.hideTime = 0;
}

} // namespace

// ---- Construction ----------------------------------------------------------------

ICHint::ICHint(HWND parent, const ICHintSettings* settings)
{
    HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    m_defaults.showDelay = 1500;
    m_defaults.displayTime = 5000;
    m_defaults.headFont = gui;
    m_defaults.textFont = gui;
    if (settings) {
        if (settings->showDelay >= 0) {
            m_defaults.showDelay = settings->showDelay;
        }
        if (settings->displayTime >= 0) {
            m_defaults.displayTime = settings->displayTime;
        }
        if (settings->headFont) {
            m_defaults.headFont = settings->headFont;
        }
        if (settings->textFont) {
            m_defaults.textFont = settings->textFont;
        }
    }
    ClearRecord(m_current);
    ClearRecord(m_probe);
    // Every hint window of the process answers to the number the first one
    // registered.
    if (g_hintMessage == 0) {
        const std::string name = "WM_HINT_INFO_" + StrFromPointer(this);
        g_hintMessage = RegisterWindowMessageA(name.c_str());
    }
    // It exists from the start, but off screen: a hint is never hidden with
    // ShowWindow, only moved out of sight.
    const char* className =
        AfxRegisterWndClass(CS_OWNDC, nullptr, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr);
    CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, className, "", WS_POPUP | WS_VISIBLE, -100,
             -100, 60, 60, parent);
    if (m_hWnd) {
        GetWindowRect(m_hWnd, &m_rcWindow);
        OffsetRect(&m_rcWindow, -m_rcWindow.left, -m_rcWindow.top);
        m_x = -100;
        m_y = -100;
    }
}

ICHint::~ICHint()
{
    if (IsWindow()) {
        Hide();
        if (m_timer) {
            KillTimer(m_timer);
        }
    }
    m_timer = 0;
    m_enabled = false;
    m_current.data.Clear();
    m_probe.data.Clear();
}

ICHint* ICHint::Create(HWND parent, const ICHintSettings* settings)
{
    return new ICHint(parent, settings);
}

UINT ICHint::GetHintMessage()
{
    return g_hintMessage;
}

void ICHint::Enable(UINT interval)
{
    m_enabled = true;
    if (IsWindow()) {
        m_timer = SetTimer(TimerId, interval);
    }
}

// ---- Texts and the registry ------------------------------------------------------

std::string ICHint::CutHintText(const std::string& text)
{
    if (text.size() <= MaxHintText) {
        return text;
    }
    return text.substr(0, MaxHintText - 3) + "...";
}

LRESULT ICHint::AnswerHint(ICHintInfo* record, const char* text)
{
    if (!record || !record->window || !::IsWindow(record->window)) {
        return 0;
    }
    std::string shown = CutHintText(StrFromText(text));
    record->data.Set("head", "");
    record->data.SetString("text", shown);
    record->data.Set("dyna", "0");
    return shown.empty() ? 0 : 1;
}

bool ICHint::SetWindowHint(HWND window, const char* text)
{
    if (!window || !::IsWindow(window)) {
        return false;
    }
    PurgeWindowHints();
    return Registry().Set(HandleKey(window).c_str(), StrFromText(text).c_str(), nullptr, true);
}

void ICHint::PurgeWindowHints()
{
    DProps& registry = Registry();
    DAutoLock hold(&registry.GetLock());
    for (int i = registry.Count() - 1; i >= 0; --i) {
        const char* key = registry.GetKeyAt(i);
        HWND window = key ? reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoul(key, nullptr, 16))) : nullptr;
        if (!window || !::IsWindow(window)) {
            registry.RemoveAt(i);
        }
    }
}

std::string ICHint::GetWindowHint(HWND window)
{
    return DProps::GetString(Registry(), HandleKey(window).c_str());
}

// ---- Settings in force -------------------------------------------------------------

long ICHint::ShowDelay() const
{
    const ICHintSettings* s = m_current.settings;
    return s && s->showDelay >= 0 ? s->showDelay : m_defaults.showDelay;
}

long ICHint::DisplayTime() const
{
    const ICHintSettings* s = m_current.settings;
    return s && s->displayTime >= 0 ? s->displayTime : m_defaults.displayTime;
}

HFONT ICHint::HeadFont() const
{
    const ICHintSettings* s = m_current.settings;
    HFONT font = s && s->headFont ? s->headFont : m_defaults.headFont;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HFONT ICHint::TextFont() const
{
    const ICHintSettings* s = m_current.settings;
    HFONT font = s && s->textFont ? s->textFont : m_defaults.textFont;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// ---- Polling ---------------------------------------------------------------------

void ICHint::Probe(bool& hit)
{
    hit = false;
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    m_probe.point = cursor;
    m_probe.settings = nullptr;
    m_probe.data.Set("head", "");
    m_probe.data.Set("text", "");
    HWND window = WindowFromPoint(cursor);
    if (window) {
        POINT inside = cursor;
        ScreenToClient(window, &inside);
        HWND child = RealChildWindowFromPoint(window, inside);
        if (child && child != window) {
            window = child;
        }
        ScreenToClient(window, &m_probe.point);
    }
    m_probe.window = window;
    if (!window || g_hintMessage == 0) {
        return;
    }
    hit = ::SendMessageA(window, g_hintMessage, m_queryParam, reinterpret_cast<LPARAM>(&m_probe)) == 1;
    if (!hit) {
        hit = AskRegistry();
    }
}

bool ICHint::AskRegistry()
{
    HWND window = m_probe.window;
    std::string value = GetWindowHint(window);
    if (value.empty()) {
        return false;
    }
    std::string text = value;
    if (value[0] == '$') {
        HWND supplier = nullptr;
        if (value.size() >= 3) {
            supplier = reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoul(value.c_str() + 1, nullptr, 10)));
        }
        if (!supplier || !::IsWindow(supplier)) {
            supplier = window;
        }
        if (::SendMessageA(supplier, g_hintMessage, reinterpret_cast<WPARAM>(window),
                         reinterpret_cast<LPARAM>(&m_probe)) != 0) {
            text = DProps::GetString(m_probe.data, "text");
        }
    }
    m_probe.data.SetString("text", CutHintText(text));
    return true;
}

void ICHint::Poll()
{
    if (!IsWindow() || !m_enabled || g_polling) {
        return;
    }
    g_polling = true;
    bool hit = false;
    Probe(hit);
    if (!hit) {
        ClearRecord(m_current);
        if (m_shown) {
            Hide();
        }
        g_polling = false;
        return;
    }
    std::string head = DProps::GetString(m_probe.data, "head");
    std::string text = CutHintText(DProps::GetString(m_probe.data, "text"));
    if (m_probe.window != m_current.window || head != DProps::GetString(m_current.data, "head") ||
        text != DProps::GetString(m_current.data, "text")) {
        m_current.window = m_probe.window;
        m_current.data = m_probe.data;
        m_current.point = m_probe.point;
        m_current.settings = m_probe.settings;
        m_current.showTime = 0;
        m_current.hideTime = 0;
        Measure();
        DWORD now = GetTickCount();
        // A hint already on screen switches at once; a new one waits.
        m_current.showTime = m_shown ? now : now + static_cast<DWORD>(ShowDelay());
        // 0 means "not pending"; a tick count that happens to be 0 must still count.
        if (m_current.showTime == 0) {
            m_current.showTime = 1;
        }
        long display = DisplayTime();
        m_current.hideTime = display < 1 ? 0 : m_current.showTime + static_cast<DWORD>(display);
        if (display >= 1 && m_current.hideTime == 0) {
            m_current.hideTime = 1;
        }
    }
    if (m_current.window && (!DProps::GetString(m_current.data, "head").empty() ||
                             !DProps::GetString(m_current.data, "text").empty())) {
        DWORD now = GetTickCount();
        if (m_current.showTime && TickReached(now, m_current.showTime)) {
            m_current.showTime = 0;
            Show();
        } else if (m_current.hideTime && TickReached(now, m_current.hideTime)) {
            m_current.showTime = 0;
            m_current.hideTime = 0;
            Hide();
        } else if (m_shown) {
            Position(false);
        }
    }
    g_polling = false;
}

// ---- Layout and placement ----------------------------------------------------------

void ICHint::Measure()
{
    std::string head = DProps::GetString(m_current.data, "head");
    std::string text = CutHintText(DProps::GetString(m_current.data, "text"));
    m_current.data.SetString("text", text);
    HDC dc = GetDC(m_hWnd);
    UDraw drawer;
    drawer.Attach(dc);
    m_rcHead = MeasureText(drawer, head, HeadFont());
    m_rcText = MeasureText(drawer, text, TextFont());
    if (dc) {
        ReleaseDC(m_hWnd, dc);
    }
    OffsetRect(&m_rcText, 0, m_rcHead.bottom - m_rcHead.top);
    UnionRect(&m_rcWindow, &m_rcHead, &m_rcText);
    InflateRect(&m_rcWindow, 4, 2);
    OffsetRect(&m_rcWindow, -m_rcWindow.left, -m_rcWindow.top);
    long width = m_rcWindow.right, height = m_rcWindow.bottom;
    if (!m_shown) {
        m_x = -width - 2000;
        m_y = -height - 2000;
    }
    RECT now;
    ::GetWindowRect(m_hWnd, &now);
    if (now.right - now.left != width || now.bottom - now.top != height) {
        UINT flags = SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER | (m_shown ? SWP_NOMOVE : 0);
        SetWindowPos(m_hWnd, nullptr, m_x, m_y, width, height, flags);
    }
}

void ICHint::Show()
{
    m_shown = true;
    Position(true);
}

void ICHint::Hide()
{
    m_shown = false;
    RECT r;
    ::GetWindowRect(m_hWnd, &r);
    m_x = r.left - r.right;
    m_y = r.top - r.bottom;
    SetWindowPos(m_hWnd, nullptr, m_x, m_y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

void ICHint::Position(bool redraw)
{
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    RECT area;
    WinGetWorkAreaAt(cursor.x, cursor.y, &area);
    long width = m_rcWindow.right - m_rcWindow.left;
    long height = m_rcWindow.bottom - m_rcWindow.top;
    long dx = 15, dy = 5;
    for (int pass = 0; pass < 2; ++pass) {
        long over = cursor.x + dx + width - area.right;
        if (over > 0) {
            dx -= over + 5;
            dy = 15;
        }
        if (cursor.y + dy + height > area.bottom) {
            dy = -height - 5;
        }
    }
    long x = cursor.x + dx;
    long y = cursor.y + dy;
    if (y < area.top + 5) {
        y = area.top + 5;
    }
    if (std::labs(x - m_x) > 1 || std::labs(y - m_y) > 1) {
        m_x = x;
        m_y = y;
        SetWindowPos(m_hWnd, nullptr, m_x, m_y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    }
    if (redraw) {
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

// ---- Messages ----------------------------------------------------------------------

void ICHint::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    if (!dc) {
        return;
    }
    RECT client;
    GetClientRect(m_hWnd, &client);
    int width = client.right, height = client.bottom;
    UDraw drawer;
    drawer.Attach(dc);
    drawer.Fill(0, 0, width, height, m_background);
    // Lit from the top left.
    drawer.Fill(0, 0, width, 1, 0x8CA0C8);
    drawer.Fill(0, 0, 1, height, 0x8CA0C8);
    drawer.Fill(0, height - 1, width, 1, 0x5064A0);
    drawer.Fill(width - 1, 0, 1, height, 0x5064A0);
    std::string head = DProps::GetString(m_current.data, "head");
    std::string text = DProps::GetString(m_current.data, "text");
    if (!head.empty() || !text.empty()) {
        int oldMode = SetBkMode(dc, TRANSPARENT);
        COLORREF oldColour = SetTextColor(dc, 0x201010);
        RECT r = m_rcHead;
        OffsetRect(&r, 2, 2);
        DrawHintText(dc, head, HeadFont(), r);
        r = m_rcText;
        OffsetRect(&r, 2, 2);
        DrawHintText(dc, text, TextFont(), r);
        SetTextColor(dc, oldColour);
        SetBkMode(dc, oldMode);
    }
    EndPaint(m_hWnd, &ps);
}

LRESULT ICHint::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == TimerId) {
            Poll();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

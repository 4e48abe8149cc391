#include "controls/ICTab.h"

#include "controls/ICHint.h"
#include "controls/UDraw.h"
#include "controls/UFont.h"
#include "foundation/StrUtil.h"

#include <cstdio>
#include <string>

namespace {

// Colours the strip falls back on when its owner set none.
constexpr COLORREF kCornerColour = 0xC3C3C3;
constexpr COLORREF kTabColour = 0xFAFAFA;
constexpr COLORREF kPenColour = 0x707070;
constexpr COLORREF kAroundColour = 0x707070;
constexpr COLORREF kBackColour = 0xFAFAFA;
constexpr COLORREF kSelectedColour = 0xFFFFFF;
constexpr COLORREF kDisabledText = 0x808080;

// A font handle kept in a bag as "%p" text; null when absent or unreadable.
HFONT FontFromBag(const DProps& bag, const char* key)
{
    return static_cast<HFONT>(StrToPointer(DProps::GetString(bag, key, "").c_str()));
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

} // namespace

ICTab::ICTab(HWND window)
{
    if (window && IsWindow(window))
        Attach(window, 0, false);
    m_doubleBuffer = true;
    m_strip.SetLong("gap", 4);
    m_strip.SetLong("selected", 0);
    m_strip.SetLong("offset", 20);
    m_strip.SetLong("bottom", 1);
}

ICTab::~ICTab()
{
    Detach();
}

bool ICTab::Attach(HWND window, long group, bool keepSize)
{
    if (!ICControl::Attach(window, group, keepSize))
        return false;
    SetWindowTextW(window, L"");
    Layout();
    return true;
}

void ICTab::Detach()
{
    m_gdi.Clear();
    m_tabs.clear();
}

DProps& ICTab::AddTab(const char* text, const char* hint)
{
    m_tabs.emplace_back();
    DProps& tab = m_tabs.back();
    tab.Set("text", text ? text : "");
    if (hint)
        tab.Set("hint", hint);
    return tab;
}

HFONT ICTab::TabFont() const
{
    return FontFromBag(m_strip, "font");
}

void ICTab::Layout()
{
    const long height = m_rect.bottom - m_rect.top;
    const long g = Style("gap", 4);
    ICWindowDC dc(HasWindow() ? m_hWnd : nullptr);

    if (m_strip.IndexOf("color.tab.corner") < 0)
        m_strip.SetLong("color.tab.corner", static_cast<long>(kCornerColour));
    if (m_strip.IndexOf("color.brush.tab") < 0)
        m_strip.SetLong("color.brush.tab", static_cast<long>(kTabColour));

    // Replacing an entry deletes the object it held: the cache is the one
    // owner of the strip's pens and brushes.
    m_gdi.Set("pen", CreatePen(PS_SOLID, 1, static_cast<COLORREF>(Style("color.pen", kPenColour))), true);
    m_gdi.Set("brush.around",
              CreateSolidBrush(static_cast<COLORREF>(Style("color.brush.around", kAroundColour))), true);
    m_gdi.Set("brush.back", CreateSolidBrush(static_cast<COLORREF>(Style("color.brush.back", kBackColour))),
              true);
    m_gdi.Set("brush.tab", CreateSolidBrush(static_cast<COLORREF>(Style("color.brush.tab", kTabColour))), true);
    m_gdi.Set("brush.selected",
              CreateSolidBrush(static_cast<COLORREF>(Style("color.brush.selected", kSelectedColour))), true);

    const long base = height - (2 * g + 1);
    m_strip.SetLong("line.upper", g);
    m_strip.SetLong("line.base", base);
    m_strip.SetLong("line.lower", height - g);
    m_strip.SetLong("line.offs", g < 3 ? 1 : g / 2);

    HFONT font = TabFont();
    USelect selectFont(dc.Get(), font);
    long x = 0;
    for (DProps& tab : m_tabs) {
        const std::string text = DProps::GetString(tab, "text", "") + "  ";
        RECT measured = {0, 0, 0, 0};
        if (dc.Get())
            DrawTextA(dc.Get(), text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
        long w = measured.right - measured.left;
        if (w % 2 == 0)
            ++w;
        tab.SetLong("text.width", w);
        tab.SetLong("text.top", base - (measured.bottom - measured.top));
        // A width this layout wrote itself is worked out again, so a new
        // caption or font takes effect; one the owner set stays fixed.
        long width = w + 4 * g + 2;
        const bool own = tab.IndexOf("width") >= 0 &&
                         (tab.IndexOf("width.auto") < 0 ||
                          DProps::GetLong(tab, "width") != DProps::GetLong(tab, "width.auto"));
        if (own)
            width = DProps::GetLong(tab, "width");
        else
            tab.SetLong("width.auto", width);
        tab.SetLong("width", width);
        tab.SetLong("text.pos", (width - w) / 2);
        tab.SetLong("pos", x);
        x += width;
    }
    m_strip.SetLong("line.right", m_rect.left + 2 * g + x);
}

long ICTab::GetNeededWidth() const
{
    long width = Style("offset", 20) + 2;
    for (const DProps& tab : m_tabs)
        width += DProps::GetLong(tab, "width");
    return width;
}

long ICTab::Select(long index, bool notify)
{
    if (index < 0 || index >= GetTabCount())
        return -1;
    m_strip.SetLong("selected", index);
    if (notify)
        NotifyParent();
    if (HasWindow())
        InvalidateRect(m_hWnd, nullptr, FALSE);
    return index;
}

void ICTab::NotifyParent()
{
    if (!HasWindow())
        return;
    DProps bag;
    bag.Set("msg", "WM_COMMAND");
    bag.SetLong("id", m_id);
    bag.Set("type", "tab");
    bag.SetLong("tab", GetSelected());
    SendMessageA(GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(m_id, NotifyCode), reinterpret_cast<LPARAM>(&bag));
}

long ICTab::HitTest(long x, long y)
{
    const long height = m_rect.bottom - m_rect.top;
    const long xs = x - Style("offset", 20);
    if (xs < 0 || y < 0 || y > height)
        return -1;
    const long selected = GetSelected();
    for (long i = 0; i < GetTabCount(); ++i) {
        const DProps& tab = m_tabs[static_cast<size_t>(i)];
        if (xs < DProps::GetLong(tab, "pos") + DProps::GetLong(tab, "width")) {
            const long top = Style("top", 0) - (i == selected ? 3 : 0);
            return y >= top ? i : -1;
        }
    }
    return -1;
}

long ICTab::HoverTest(long x)
{
    const long offset = Style("offset", 20);
    for (long i = 0; i < GetTabCount(); ++i) {
        const DProps& tab = m_tabs[static_cast<size_t>(i)];
        const long left = offset + DProps::GetLong(tab, "pos") + DProps::GetLong(tab, "text.pos");
        if (x >= left && x <= left + DProps::GetLong(tab, "text.width"))
            return i;
    }
    const std::string comment = DProps::GetString(m_strip, "comment", "");
    if (comment.empty() || !HasWindow())
        return -1;
    RECT client = ClientRect();
    RECT measured = {0, 0, 0, 0};
    {
        ICWindowDC dc(m_hWnd);
        HFONT font = GetCommentFont(&m_strip, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
        USelect selectFont(dc.Get(), font);
        if (dc.Get())
            DrawTextA(dc.Get(), comment.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    }
    const long right = client.right - 5;
    if (x >= right - (measured.right - measured.left) && x <= right)
        return GetTabCount();
    return -1;
}

bool ICTab::DrawBackground(HDC dc, const RECT* dirty)
{
    (void)dirty;
    if (!dc)
        return false;
    RECT client = ClientRect();
    USelect brush(dc, static_cast<HGDIOBJ>(m_gdi.Get("brush.back")));
    PatBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, PATCOPY);
    return true;
}

bool ICTab::DrawForeground(HDC dc, const RECT* dirty)
{
    (void)dirty;
    if (!dc)
        return false;
    const bool enabled = !HasWindow() || IsWindowEnabled(m_hWnd);
    SetTextColor(dc, enabled ? 0 : kDisabledText);
    SetBkMode(dc, TRANSPARENT);
    SetStretchBltMode(dc, HALFTONE);
    HFONT font = TabFont();
    if (!font)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    // Every object selected below is put back when the scope ends, so the
    // cache can delete them while the DC lives on.
    USelect selectFont(dc, font);
    USelect selectPen(dc, static_cast<HGDIOBJ>(m_gdi.Get("pen")));
    USelect selectBrush(dc, GetStockObject(NULL_BRUSH));

    RECT client = ClientRect();
    const long width = client.right - client.left;
    const long height = m_rect.bottom - m_rect.top;
    const long upper = Style("line.upper", 4);
    const long offset = Style("offset", 20);
    const long selected = GetSelected();
    const bool bottom = Style("bottom", 1) != 0;
    const COLORREF corner = static_cast<COLORREF>(Style("color.tab.corner", kCornerColour));
    const COLORREF tabColour = static_cast<COLORREF>(Style("color.brush.tab", kTabColour));
    HGDIOBJ pen = static_cast<HGDIOBJ>(m_gdi.Get("pen"));
    HGDIOBJ around = static_cast<HGDIOBJ>(m_gdi.Get("brush.around"));
    HGDIOBJ selectedBrush = static_cast<HGDIOBJ>(m_gdi.Get("brush.selected"));
    HGDIOBJ tabBrush = static_cast<HGDIOBJ>(m_gdi.Get("brush.tab"));

    Line(dc, 0, height - 1, width, height - 1);

    long lastRight = offset;
    const long count = GetTabCount();
    for (long i = 0; i < count; ++i) {
        DProps& tab = m_tabs[static_cast<size_t>(i)];
        const bool isSelected = i == selected;
        const long left = offset + DProps::GetLong(tab, "pos");
        const long tabWidth = DProps::GetLong(tab, "width");
        const long textPos = DProps::GetLong(tab, "text.pos");
        RECT box = {left, upper, left + tabWidth + 2, height + 1};
        if (isSelected)
            box.top -= 3;
        RECT text = {left + textPos, upper, left + textPos + DProps::GetLong(tab, "text.width"), height + 1};
        if (isSelected)
            OffsetRect(&text, 0, -1);
        lastRight = left + tabWidth;

        if (!isSelected && bottom) {
            SelectObject(dc, pen);
            Line(dc, box.left, height - 1, box.right, height - 1);
        }
        SelectObject(dc, GetStockObject(NULL_PEN));
        SelectObject(dc, around);
        RoundRect(dc, box.left, box.top, box.right, box.bottom, 2, 2);
        SelectObject(dc, isSelected ? selectedBrush : tabBrush);
        RoundRect(dc, box.left + 1, box.top + 1, box.right - 1, box.bottom, 2, 2);
        SelectObject(dc, pen);
        // The last drawn row of an unselected tab is the base line again;
        // the selected tab stays open towards the page below it.
        if (!isSelected && bottom)
            Line(dc, box.left, box.bottom - 2, box.right, box.bottom - 2);

        // Outer bottom corners of the strip: the first and last tab close
        // their outline down to the base line.
        if (i == 0)
            Line(dc, box.left, height - 5, box.left, height);
        if (i == count - 1)
            Line(dc, box.right - 2, height - 5, box.right - 2, height);

        // Softened top corners; the left ones of the tab right of the
        // selected one lie under the raised tab's edge.
        if (!(i == selected + 1 && selected >= 0)) {
            SetPixel(dc, box.left, box.top, corner);
            SetPixel(dc, box.left + 1, box.top + 1, isSelected ? corner : tabColour);
        }
        SetPixel(dc, box.right - 2, box.top, corner);
        SetPixel(dc, box.right - 3, box.top + 1, isSelected ? corner : tabColour);

        if (isSelected) {
            RECT merge = {box.left + 1, height - 4, box.right - 2, height};
            FillRect(dc, &merge, static_cast<HBRUSH>(selectedBrush));
        }
        const std::string caption = DProps::GetString(tab, "text", "");
        DrawTextA(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        // A strip reached with the keyboard shows where it stands.
        if (isSelected && HasWindow() && GetFocus() == m_hWnd) {
            RECT focus = text;
            InflateRect(&focus, 2, -2);
            DrawFocusRect(dc, &focus);
        }
    }

    const std::string comment = DProps::GetString(m_strip, "comment", "");
    RECT area = {lastRight + 10, 0, width - 5, height};
    if (!comment.empty() && area.right - area.left > 10) {
        HFONT commentFont = GetCommentFont(&m_strip, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
        DrawTextFitWords(dc, comment.c_str(), &area, commentFont, DT_RIGHT);
    }
    return true;
}

LRESULT ICTab::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const UINT hintMessage = ICHint::GetHintMessage();
    if (hintMessage && message == hintMessage) {
        ICHintInfo* record = reinterpret_cast<ICHintInfo*>(lParam);
        if (!record)
            return 0;
        const long hover = HoverTest(record->point.x);
        std::string hint;
        if (hover >= 0 && hover == GetTabCount())
            hint = DProps::GetString(m_strip, "comment.hint", "");
        else if (hover >= 0)
            hint = DProps::GetString(m_tabs[static_cast<size_t>(hover)], "hint", "");
        if (hint.empty())
            return 0;
        ICHint::AnswerHint(record, hint.c_str());
        return 1;
    }
    if (message == WM_LBUTTONDOWN) {
        const long index = HitTest(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        if (index >= 0)
            Select(index, true);
        if (HasWindow())
            RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return 0;
    }
    if (message == WM_GETDLGCODE)
        return ICControl::WindowProc(window, message, wParam, lParam) | DLGC_WANTARROWS;
    if (message == WM_KEYDOWN && (wParam == VK_LEFT || wParam == VK_RIGHT)) {
        // The arrows move to the neighbouring tab as a click on it would.
        const long next = GetSelected() + (wParam == VK_LEFT ? -1 : 1);
        if (next >= 0 && next < GetTabCount()) {
            Select(next, true);
            if (HasWindow())
                RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        return 0;
    }
    return ICControl::WindowProc(window, message, wParam, lParam);
}

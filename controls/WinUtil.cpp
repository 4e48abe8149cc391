#include "controls/WinUtil.h"

#include "controls/UFont.h"
#include "foundation/StrUtil.h"
#include "foundation/UniqueId.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

bool IsWin(HWND window)
{
    return window && IsWindow(window);
}

long RectWidth(const RECT& r)
{
    return r.right - r.left;
}

long RectHeight(const RECT& r)
{
    return r.bottom - r.top;
}

// A window's DC with the window's own font selected, given back on every path.
class WindowFontDC {
public:
    explicit WindowFontDC(HWND window) : m_window(window), m_dc(GetDC(window))
    {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
        if (m_dc && font) {
            m_old = SelectObject(m_dc, font);
        }
    }
    ~WindowFontDC()
    {
        if (m_dc) {
            if (m_old) {
                SelectObject(m_dc, m_old);
            }
            ReleaseDC(m_window, m_dc);
        }
    }
    WindowFontDC(const WindowFontDC&) = delete;
    WindowFontDC& operator=(const WindowFontDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

// The wide form of a text for the list view's wide messages; they read it only.
wchar_t* WideArg(const UWString& text)
{
    return const_cast<wchar_t*>(text.GetW());
}

// The whole window text, however long.
std::string FullWindowText(HWND window)
{
    int n = GetWindowTextLengthA(window);
    if (n <= 0) {
        return std::string();
    }
    std::vector<char> buffer(static_cast<size_t>(n) + 1, '\0');
    int got = GetWindowTextA(window, buffer.data(), n + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

long ListRowCount(HWND list)
{
    return static_cast<long>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

LPARAM ListRowData(HWND list, long row)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return 0;
    }
    return item.lParam;
}

void ListSetRowState(HWND list, long row, UINT state, UINT mask)
{
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

} // namespace

// ---- Geometry and monitors ----------------------------------------------------

bool WinGetRectInParent(HWND window, RECT* out)
{
    if (!IsWin(window) || !out) {
        return false;
    }
    HWND parent = GetParent(window);
    if (!parent) {
        return false;
    }
    RECT r;
    if (!GetWindowRect(window, &r)) {
        return false;
    }
    POINT corner = {r.left, r.top};
    ScreenToClient(parent, &corner);
    out->left = corner.x;
    out->top = corner.y;
    out->right = corner.x + RectWidth(r);
    out->bottom = corner.y + RectHeight(r);
    return true;
}

bool WinMatchWidth(HWND first, HWND second)
{
    if (!IsWin(first) || !IsWin(second)) {
        return false;
    }
    RECT a, b;
    GetWindowRect(first, &a);
    GetWindowRect(second, &b);
    return SetWindowPos(second, nullptr, 0, 0, RectWidth(a), RectHeight(b), SWP_NOZORDER | SWP_NOMOVE) != 0;
}

bool WinPlaceBeside(HWND first, HWND second)
{
    if (!IsWin(first) || !IsWin(second)) {
        return false;
    }
    RECT a, b;
    if (!WinGetRectInParent(first, &a)) {
        GetWindowRect(first, &a);
    }
    GetWindowRect(second, &b);
    return SetWindowPos(second, nullptr, a.right, a.top - 1, RectWidth(b), RectHeight(a) + 1, SWP_NOZORDER) != 0;
}

long WinGetSize(HWND window)
{
    if (!IsWin(window)) {
        return 0;
    }
    // The size is the same in every coordinate system; a top-level window
    // has no parent to measure against.
    RECT r;
    if (!GetWindowRect(window, &r)) {
        return 0;
    }
    return WinPackSize(RectWidth(r), RectHeight(r));
}

POINT WinGetClientCursorPos(HWND window)
{
    POINT p = {0, 0};
    GetCursorPos(&p);
    if (IsWin(window)) {
        ScreenToClient(window, &p);
    }
    return p;
}

long WinGetWorkAreaAt(long x, long y, RECT* out)
{
    RECT area = {0, 0, 0, 0};
    POINT p = {x, y};
    HMONITOR monitor = MonitorFromPoint(p, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoW(monitor, &info)) {
        area = info.rcWork;
    }
    if (IsRectEmpty(&area)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    if (out) {
        *out = area;
    }
    return WinPackSize(RectWidth(area), RectHeight(area));
}

long WinGetWorkArea(RECT* out, HWND window)
{
    if (!IsWin(window)) {
        RECT area = {0, 0, 0, 0};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        if (out) {
            *out = area;
        }
        return 0;
    }
    RECT r;
    GetWindowRect(window, &r);
    return WinGetWorkAreaAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, out);
}

void WinKeepSizingRect(WPARAM edge, RECT* rect, long minWidth, long minHeight)
{
    if (!rect)
        return;
    if (rect->right - rect->left < minWidth) {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
            rect->left = rect->right - minWidth;
        else
            rect->right = rect->left + minWidth;
    }
    if (rect->bottom - rect->top < minHeight) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
            rect->top = rect->bottom - minHeight;
        else
            rect->bottom = rect->top + minHeight;
    }
}

long WinCenter(HWND reference, HWND window)
{
    if (!IsWin(window)) {
        return 0;
    }
    if (!IsWin(reference)) {
        reference = GetParent(window);
    }
    if (!IsWin(reference)) {
        reference = GetDesktopWindow();
    }
    RECT around, r, area;
    GetWindowRect(reference, &around);
    GetWindowRect(window, &r);
    long width = RectWidth(r), height = RectHeight(r);
    long x = around.left + (RectWidth(around) - width) / 2;
    long y = around.top + (RectHeight(around) - height) / 2;
    WinGetWorkArea(&area, reference);
    if (x + width > area.right) {
        x = area.right - width;
    }
    if (y + height > area.bottom) {
        y = area.bottom - height;
    }
    if (y < area.top) {
        y = area.top;
    }
    if (x < area.left) {
        x = area.left;
    }
    // The position so far is on the screen; a child moves in its parent's
    // client coordinates.
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetParent(window);
        POINT p = {x, y};
        if (parent) {
            ScreenToClient(parent, &p);
        }
        x = p.x;
        y = p.y;
    }
    return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) ? 1 : 0;
}

// ---- Dialog controls ---------------------------------------------------------

long DlgRadioSet(HWND dialog, long index, const int* ids)
{
    if (!IsWin(dialog) || !ids) {
        return -1;
    }
    long n = 0;
    for (; ids[n] != 0; ++n) {
        HWND button = GetDlgItem(dialog, ids[n]);
        if (!button) {
            break;
        }
        bool checked = (SendMessageA(button, BM_GETCHECK, 0, 0) & 1) != 0;
        if (n == index) {
            if (!checked) {
                SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
            }
        } else if (checked) {
            SendMessageA(button, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    return n;
}

long DlgRadioGet(HWND dialog, const int* ids)
{
    if (!IsWin(dialog) || !ids) {
        return -1;
    }
    for (long n = 0; ids[n] != 0; ++n) {
        HWND button = GetDlgItem(dialog, ids[n]);
        if (!button) {
            break;
        }
        if (SendMessageA(button, BM_GETCHECK, 0, 0) & 1) {
            return n;
        }
    }
    return -1;
}

long DlgCheckSet(long mode, HWND dialog, int id)
{
    if (!IsWin(dialog)) {
        return -1;
    }
    HWND button = GetDlgItem(dialog, id);
    if (!button) {
        return 0;
    }
    long state = static_cast<long>(SendMessageA(button, BM_GETCHECK, 0, 0) & 1);
    long wanted = mode == 2 ? !state : (mode != 0 ? 1 : 0);
    if (wanted != state) {
        SendMessageA(button, BM_SETCHECK, wanted ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return static_cast<long>(SendMessageA(button, BM_GETCHECK, 0, 0) & 1);
}

long DlgCheckGet(HWND dialog, int id)
{
    if (!IsWin(dialog)) {
        return -1;
    }
    return static_cast<long>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) & 1);
}

bool DlgRedrawItem(HWND dialog, int id)
{
    if (!IsWin(dialog)) {
        return false;
    }
    HWND item = GetDlgItem(dialog, id);
    return item && RedrawWindow(item, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASENOW | RDW_UPDATENOW);
}

long DlgComboSelect(HWND dialog, int id, const char* text)
{
    std::string wanted = StrFromText(text);
    StrTrim(wanted);
    if (!IsWin(dialog) || wanted.empty()) {
        return -1;
    }
    // The untrimmed text is what is looked for: the trim only rules out
    // blank requests.
    UWString wide;
    wide.SetA(text);
    return static_cast<long>(SendDlgItemMessageW(dialog, id, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(wide.GetW())));
}

long DlgComboGetSel(HWND dialog, int id)
{
    if (!IsWin(dialog)) {
        return -1;
    }
    return static_cast<long>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

long DlgComboAdd(const char* prefix, const char* text, HWND dialog, int id)
{
    if (!IsWin(dialog) || !text || !*text) {
        return -1;
    }
    std::string entry = StrFromText(prefix) + text;
    return static_cast<long>(SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0,
                                                 reinterpret_cast<LPARAM>(entry.c_str())));
}

BOOL CALLBACK EnableChildProc(HWND child, LPARAM flag)
{
    EnableWindow(child, flag != 0);
    return TRUE;
}

// ---- Report list views -------------------------------------------------------

long ListInsertColumn(HWND list, long index, long width, const char* title)
{
    if (!IsWin(list)) {
        return 0;
    }
    UWString wide;
    wide.SetA(title);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = width;
    column.pszText = WideArg(wide);
    return static_cast<long>(SendMessageA(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(&column)));
}

long ListSetItem(HWND list, long row, long column, const char* text, long idRequest)
{
    if (!IsWin(list)) {
        return 0;
    }
    UWString wide;
    wide.SetA(text);
    LVITEMW item = {};
    item.iItem = row;
    item.iSubItem = column;
    if (*wide.GetW()) {
        item.mask |= LVIF_TEXT;
        item.pszText = WideArg(wide);
    }
    if (column == 0) {
        if (idRequest >= 0) {
            item.mask |= LVIF_PARAM;
            item.lParam = idRequest >= 1 ? idRequest : UniqueRandom();
        }
        LRESULT at = SendMessageA(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (at < 0) {
            return 0;
        }
        // The list may put the row elsewhere (sorted lists, index past the end).
        row = static_cast<long>(at);
    } else if (!SendMessageA(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return 0;
    }
    return static_cast<long>(ListRowData(list, row));
}

bool ListGetItem(long column, HWND list, long row, LVITEMA* out)
{
    if (!IsWin(list) || !out) {
        return false;
    }
    std::vector<wchar_t> text(1024, L'\0');
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_STATE | LVIF_NORECOMPUTE | (column == 0 ? LVIF_PARAM : 0);
    item.iItem = row;
    item.iSubItem = column;
    item.stateMask = static_cast<UINT>(-1);
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    if (!SendMessageA(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return false;
    }
    if (column > 0 && (out->mask & LVIF_PARAM)) {
        LVITEMW first = {};
        first.mask = LVIF_PARAM;
        first.iItem = row;
        if (SendMessageA(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&first))) {
            item.lParam = first.lParam;
        }
    }
    out->iItem = row;
    out->iSubItem = column;
    out->state = item.state;
    if (column == 0 || (out->mask & LVIF_PARAM)) {
        out->lParam = item.lParam;
    }
    if (out->pszText && out->cchTextMax > 0) {
        // A text the list keeps with its owner comes back as the callback marker.
        const wchar_t* source = item.pszText == LPSTR_TEXTCALLBACKW || !item.pszText ? L"" : item.pszText;
        int n = WideCharToMultiByte(CP_ACP, 0, source, -1, out->pszText, out->cchTextMax, nullptr, nullptr);
        if (n <= 0) {
            // Too long for the caller: as much as fits.
            std::string all;
            int need = WideCharToMultiByte(CP_ACP, 0, source, -1, nullptr, 0, nullptr, nullptr);
            if (need > 0) {
                all.resize(static_cast<size_t>(need));
                WideCharToMultiByte(CP_ACP, 0, source, -1, &all[0], need, nullptr, nullptr);
            }
            size_t keep = std::min(all.size(), static_cast<size_t>(out->cchTextMax - 1));
            all.copy(out->pszText, keep);
            out->pszText[keep] = '\0';
        }
    }
    return true;
}

bool ListSetFonts(HFONT listFont, HWND list, HFONT headerFont)
{
    if (!IsWin(list)) {
        return false;
    }
    if (listFont) {
        SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), TRUE);
    }
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    if (headerFont && header) {
        SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(headerFont), TRUE);
    }
    return true;
}

long ListSelect(HWND list, long index, long fallback, long mode)
{
    if (!IsWin(list)) {
        return -1;
    }
    long count = ListRowCount(list);
    long row = index >= 0 && index < count ? index : fallback;
    if (row < 0 || row >= count) {
        return -1;
    }
    for (long r = static_cast<long>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
         r >= 0; r = static_cast<long>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(r), LVNI_SELECTED))) {
        ListSetRowState(list, r, 0, LVIS_SELECTED);
    }
    ListSetRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (mode == 0) {
        return row;
    }
    if (mode == 2) {
        RECT client, bounds = {};
        GetClientRect(list, &client);
        bounds.left = LVIR_BOUNDS;
        if (SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds)) &&
            bounds.top >= client.bottom) {
            SendMessageA(list, LVM_SCROLL, 0, bounds.top + RectHeight(client) / 2);
        }
    }
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    return row;
}

long ListGetSelected(HWND list)
{
    if (!IsWin(list)) {
        return -1;
    }
    return static_cast<long>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListAnswerDispInfo(LPARAM lParam, const std::string& text)
{
    // Both structures begin alike; only the text buffer's kind differs.
    auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
    LVITEMA& item = info->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) {
        return;
    }
    if (info->hdr.code == LVN_GETDISPINFOW) {
        auto* wide = reinterpret_cast<LPWSTR>(item.pszText);
        if (MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, item.cchTextMax) == 0) {
            wide[item.cchTextMax - 1] = L'\0';
        }
    } else {
        lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
    }
}

long ListFindOwnerRow(LPARAM lParam, long count, const std::function<std::string(long)>& firstCellOf)
{
    auto* find = reinterpret_cast<NMLVFINDITEMA*>(lParam);
    const LVFINDINFOA& info = find->lvfi;
    if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz || count <= 0) {
        return -1;
    }
    std::string typed;
    if (find->hdr.code == LVN_ODFINDITEMW) {
        const auto* wide = reinterpret_cast<LPCWSTR>(info.psz);
        const int need = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (need > 1) {
            typed.resize(static_cast<size_t>(need));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, &typed[0], need, nullptr, nullptr);
            typed.resize(static_cast<size_t>(need - 1));
        }
    } else {
        typed = info.psz;
    }
    const bool partial = (info.flags & LVFI_PARTIAL) != 0;
    const long start = find->iStart >= 0 && find->iStart < count ? find->iStart : 0;
    const long end = (info.flags & LVFI_WRAP) ? start + count : count;
    for (long n = start; n < end; ++n) {
        const long row = n % count;
        const std::string cell = firstCellOf(row);
        const std::string head = partial ? cell.substr(0, typed.size()) : cell;
        if (StrEqual(head, typed.c_str(), true)) {
            return row;
        }
    }
    return -1;
}

// ---- Texts, activation, enabling -----------------------------------------------

UString WinGetText(long max, HWND window, bool trim)
{
    UString text;
    if (!IsWin(window)) {
        return text;
    }
    if (max <= 0) {
        max = 1024;
    }
    std::vector<char> buffer(static_cast<size_t>(max) + 1, '\0');
    GetWindowTextA(window, buffer.data(), static_cast<int>(max) + 1);
    text = buffer.data();
    if (trim) {
        text.Trim();
    }
    return text;
}

bool WinSetText(const char* text, HWND window, bool fit, bool invalidate)
{
    if (!IsWin(window)) {
        return false;
    }
    std::string wanted = StrFromText(text);
    if (FullWindowText(window) == wanted) {
        return true;
    }
    if (fit && !wanted.empty()) {
        RECT client;
        GetClientRect(window, &client);
        WindowFontDC dc(window);
        FitTextWithEllipsis(dc.Get(), &client, wanted);
        // The shortened text may be what is shown already.
        if (FullWindowText(window) == wanted) {
            return true;
        }
    }
    if (!SetWindowTextA(window, wanted.c_str())) {
        return false;
    }
    if (invalidate) {
        InvalidateRect(window, nullptr, TRUE);
    }
    return true;
}

long WinActivate(HWND window)
{
    if (!IsWin(window)) {
        return 0;
    }
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    HWND popup = GetLastActivePopup(window);
    bool other = popup && popup != window && IsWindow(popup);
    HWND target = other ? popup : window;
    SetForegroundWindow(target);
    BringWindowToTop(target);
    if (!other) {
        SetFocus(window);
    }
    return 1;
}

long WinEnable(bool enable, HWND window)
{
    if (!IsWin(window)) {
        return 0;
    }
    if ((IsWindowEnabled(window) != 0) == enable) {
        return 1;
    }
    if (!enable && GetFocus() == window) {
        // A disabled window loses the focus to nobody, and a dialog without
        // a focus no longer hears Tab, Enter or Escape: the focus moves on
        // to the next control first.
        HWND root = GetAncestor(window, GA_ROOT);
        if (root && root != window) {
            SendMessageA(root, WM_NEXTDLGCTL, 0, FALSE);
        }
    }
    EnableWindow(window, enable);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    return 1;
}

// ---- Saved window placement --------------------------------------------------

void Placement::OnSize(HWND window, UINT sizeType)
{
    if (!IsWin(window) || !IsWindowVisible(window)) {
        return;
    }
    state = static_cast<long>(sizeType);
    if (state != Minimized && state != Maximized) {
        GetWindowRect(window, &rectangle);
    }
}

void Placement::OnMove(HWND window)
{
    if (!IsWin(window) || state == Minimized || state == Maximized) {
        return;
    }
    GetWindowRect(window, &rectangle);
}

std::string Placement::ToText() const
{
    std::string text;
    return StrFormat(text, "%ld,%ld,%ld,%ld,%ld", static_cast<long>(rectangle.left),
                     static_cast<long>(rectangle.top), static_cast<long>(rectangle.right),
                     static_cast<long>(rectangle.bottom), state);
}

bool Placement::FromText(const char* text, long newState)
{
    if (!text) {
        return false;
    }
    std::string s(text);
    rectangle.left = StrToLong(StrField(s, ",", 0));
    rectangle.top = StrToLong(StrField(s, ",", 1));
    rectangle.right = StrToLong(StrField(s, ",", 2));
    rectangle.bottom = StrToLong(StrField(s, ",", 3));
    state = newState == StateFromText ? StrToLong(StrField(s, ",", 4)) : newState;
    return true;
}

bool Placement::ClampToScreen(RECT* out, RECT* screen)
{
    RECT scr = {0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (scr.right <= 0 || scr.bottom <= 0) {
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &scr, 0)) {
            scr = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        }
    }
    if (screen) {
        *screen = scr;
    }
    const RECT& r = rectangle;
    bool usable = RectWidth(r) > 0 && RectHeight(r) > 0 && r.left >= 0 && r.top >= 0 && r.right <= scr.right &&
                  r.bottom <= scr.bottom;
    RECT result = r;
    if (!usable) {
        if (RectWidth(fallback) > 0 && RectHeight(fallback) > 0) {
            result = fallback;
        } else {
            fallback = {0, 0, RectWidth(r), RectHeight(r)};
            result = fallback;
        }
    }
    if (out) {
        *out = result;
    }
    return usable;
}

bool Placement::Apply(HWND window)
{
    if (!IsWin(window)) {
        return false;
    }
    if (state == Unset) {
        WinCenter(nullptr, window);
        GetWindowRect(window, &rectangle);
        fallback = rectangle;
    }
    RECT r, screen;
    bool usable = ClampToScreen(&r, &screen);
    if (state == Minimized || state == Maximized) {
        if (usable) {
            SetWindowPos(window, nullptr, r.left, r.top, RectWidth(r), RectHeight(r), SWP_NOZORDER | SWP_NOREDRAW);
        }
        ShowWindow(window, state == Maximized ? SW_SHOWMAXIMIZED : SW_SHOWMINIMIZED);
        return true;
    }
    if (usable) {
        SetWindowPos(window, nullptr, r.left, r.top, RectWidth(r), RectHeight(r),
                     SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    } else if (RectWidth(r) > 0 && RectHeight(r) > 0 && RectWidth(r) < RectWidth(screen) &&
               RectHeight(r) < RectHeight(screen)) {
        WinCenter(nullptr, window);
    } else {
        SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    state = Normal;
    return true;
}

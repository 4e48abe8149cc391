// Free functions over window handles shared by the panels, dialogs, reports
// and controls: geometry, work areas, dialog buttons and combo boxes, report
// list views, window texts, activation, and the saved window placement.
// Every function checks its window first and answers its failure value when
// the handle is not a window. UI thread only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "foundation/UString.h"

// ---- Geometry and monitors ----------------------------------------------------

// Sizes come back in one integer: height << 16 | width, 16 bits each.
inline long WinPackSize(long width, long height)
{
    return static_cast<long>((static_cast<unsigned long>(height & 0xFFFF) << 16) |
                             static_cast<unsigned long>(width & 0xFFFF));
}
inline long WinPackedWidth(long size) { return size & 0xFFFF; }
inline long WinPackedHeight(long size) { return (static_cast<unsigned long>(size) >> 16) & 0xFFFF; }

// The window rectangle in the client coordinates of its parent.
bool WinGetRectInParent(HWND window, RECT* out);
// The second window takes the first's width, keeping its own height and place.
bool WinMatchWidth(HWND first, HWND second);
// The second window docks to the right of the first, one pixel higher and
// taller so that the borders overlap.
bool WinPlaceBeside(HWND first, HWND second);
// Packed size of the window rectangle; 0 without window.
long WinGetSize(HWND window);
// The cursor in the window's client coordinates (screen coordinates when the
// handle is not a window).
POINT WinGetClientCursorPos(HWND window);
// Work area of the monitor at the point (the primary one when none is
// there); the system work area when the monitor reports none. Packed size.
long WinGetWorkAreaAt(long x, long y, RECT* out);
// Work area at the window's centre; without window the system work area and 0.
long WinGetWorkArea(RECT* out, HWND window);
// Centres the window on the reference (its parent, else the desktop) and
// keeps it inside the reference's work area. 0 without window.
long WinCenter(HWND reference, HWND window);
// Keeps a rectangle being dragged (WM_SIZING) at least minWidth by minHeight:
// the dragged edge (WMSZ_*) stops, the opposite one stays where it is.
void WinKeepSizingRect(WPARAM edge, RECT* rect, long minWidth, long minHeight);

// ---- Dialog controls ---------------------------------------------------------

// Checks the radio button at position index of a 0-terminated id list and
// unchecks the others; the number of buttons walked, -1 without dialog or list.
long DlgRadioSet(HWND dialog, long index, const int* ids);
// Position of the first checked button of the list; -1 when none.
long DlgRadioGet(HWND dialog, const int* ids);
// mode 1 checks, 0 unchecks, 2 toggles; the new state, 0 for a missing
// control, -1 without dialog.
long DlgCheckSet(long mode, HWND dialog, int id);
long DlgCheckGet(HWND dialog, int id);
bool DlgRedrawItem(HWND dialog, int id);
// Selects the first entry that begins with the text; -1 for a blank text.
long DlgComboSelect(HWND dialog, int id, const char* text);
long DlgComboGetSel(HWND dialog, int id);
// Adds prefix + text (the text alone without prefix); -1 for an empty text.
long DlgComboAdd(const char* prefix, const char* text, HWND dialog, int id);
// EnumChildWindows callback: enables (flag != 0) or disables every child.
BOOL CALLBACK EnableChildProc(HWND child, LPARAM flag);

// ---- Report list views -------------------------------------------------------

long ListInsertColumn(HWND list, long index, long width, const char* title);
// Column 0 inserts a row at the index, a higher column sets that cell of the
// row. For a new row, idRequest >= 1 is stored as its item data, 0 stores a
// fresh unique id, -1 stores none. Returns the row's item data (0: failure).
long ListSetItem(HWND list, long row, long column, const char* text, long idRequest);
// Reads a cell's text (into item->pszText, ANSI, up to item->cchTextMax),
// the row's state and, for column 0 or when item->mask asks for LVIF_PARAM,
// the row's item data.
bool ListGetItem(long column, HWND list, long row, LVITEMA* item);
// Sets the list's font and its header's; a null font leaves that one as is.
bool ListSetFonts(HFONT listFont, HWND list, HFONT headerFont);
// Selects index (fallback when index is not a row) alone and focuses it;
// mode 1 makes it visible, mode 2 scrolls towards it first. The row or -1.
long ListSelect(HWND list, long index, long fallback, long mode);
// The first selected row, -1 for none.
long ListGetSelected(HWND list);
// Lists of owner data (LVS_OWNERDATA) keep no texts of their own. A cell's
// text as the answer to LVN_GETDISPINFOA or LVN_GETDISPINFOW (lParam).
void ListAnswerDispInfo(LPARAM lParam, const std::string& text);
// The row that LVN_ODFINDITEMA or LVN_ODFINDITEMW (lParam) looks for among
// count rows, as a list that holds its texts finds it by typing: the first
// from the start row on (then from the top, when the search wraps) whose
// text in column 0 begins with the typed text (or equals it, unless the
// search is partial), case aside. -1 for none.
long ListFindOwnerRow(LPARAM lParam, long count, const std::function<std::string(long)>& firstCellOf);

// ---- Texts, activation, enabling -----------------------------------------------

// The window text (at most max characters, 1024 for max <= 0), trimmed when asked.
UString WinGetText(long max, HWND window, bool trim);
// Sets the text unless it is already shown; with fit, shortened with "..."
// to the client width in the window's font first.
bool WinSetText(const char* text, HWND window, bool fit, bool invalidate);
// Restores and brings the window (or the popup it last activated) to the front.
long WinActivate(HWND window);
// Enables or disables the window and repaints it, unless it already is so.
// A window disabled while it has the focus hands it to the next control of
// its dialog first.
long WinEnable(bool enable, HWND window);

// ---- Saved window placement --------------------------------------------------

// The position of one top-level window between runs, kept as the text
// "left,top,right,bottom,state".
class Placement {
public:
    static constexpr long Unset = -1;
    static constexpr long Normal = 0;
    static constexpr long Minimized = SIZE_MINIMIZED;
    static constexpr long Maximized = SIZE_MAXIMIZED;
    // FromText: take the state from the text's fifth field.
    static constexpr long StateFromText = -2;

    long state = Unset;
    RECT rectangle = {0, 0, 0, 0};
    // What to fall back on when the stored rectangle no longer fits a screen.
    RECT fallback = {0, 0, 0, 0};

    // WM_SIZE of a visible window: the state, and the normal rectangle.
    void OnSize(HWND window, UINT sizeType);
    // WM_MOVE: the normal rectangle, unless minimised or maximised.
    void OnMove(HWND window);

    std::string ToText() const;
    // Missing rectangle fields read as 0; with StateFromText the state is
    // the fifth field (0 when missing), otherwise the given state.
    bool FromText(const char* text, long newState);

    // The rectangle to use (out) within the screen; false when the stored
    // rectangle does not fit and the fallback is given instead.
    bool ClampToScreen(RECT* out, RECT* screen);
    // Moves and shows the window as stored.
    bool Apply(HWND window);
};

// The private window messages that travel between the program's layers, and
// the values they carry: one name each, for every layer. The control library
// and the panels use the first group, the document's calculations the second.
#pragma once

#include <windows.h>

// ---- Panels, controls and the main window -------------------------------------------

// panel -> owner: wParam the panel's template id, lParam the child's
// WM_COMMAND wParam; 0 ends the command there, non-zero lets the panel's own
// handlers run as well.
constexpr UINT WM_PANEL_COMMAND = WM_USER + 400;
// panel -> owner: wParam the template id, lParam the DProps that came with a
// tab strip's notification code 1002; the answer is the panel's.
constexpr UINT WM_PANEL_NOTIFY = WM_USER + 401;
// panel -> parent while repositioning: wParam the template id; the answer is
// the panel's vertical offset in pixels.
constexpr UINT WM_PANEL_QUERY_OFFSET = WM_USER + 402;
// project panel -> main window: header height in the high word.
constexpr UINT WM_QUERY_HEADER_SIZE = WM_USER + 403;
// project panel and header bar -> main window: the work area, packed.
constexpr UINT WM_QUERY_WORK_AREA = WM_USER + 404;
// Asked by a control of every descendant of its parent, then of the parent,
// for the colour behind it; lParam is a BackColorQuery (ICControl.h), the
// answer is 0.
constexpr UINT WM_QUERY_BACKCOLOR = WM_USER + 701;
// A dialog or panel posts this to itself after a list-view selection change;
// wParam the list's control id.
constexpr UINT WM_CHECK_SELECTION = WM_USER + 702;

// ---- Calculations -> the window that waits for them -----------------------------------

// WM_USER to the window a material's calculation reports to (its progress
// dialog), with one of these in wParam.
// The calculation has ended; lParam 1 when the material has solutions, else 0.
constexpr WPARAM kCalculationFinished = 3;
// The calculation is to stop (an automation break reaching the dialog).
constexpr WPARAM kCalculationStopRequested = 6;
// wParam of the registered message "KORV.DProcessor.NOTIFY": the supervisor
// has finished; lParam the processor.
constexpr WPARAM ProcessorFinished = 100;

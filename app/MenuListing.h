// The main window's menu as text, for the program's own tests: under Wine a
// menu cannot be read from another process, so a program started with the
// option "-menu.listing" hands its menu to a window that asks for it.
// The request is WM_COPYDATA to the main window, wParam the asking window
// and dwData kMenuListingRequest; the answer comes back to that window as
// WM_COPYDATA with dwData kMenuListingAnswer and the listing as its bytes.
#pragma once

#include <windows.h>

#include <string>

constexpr const char* kMenuListingOption = "menu.listing";
constexpr ULONG_PTR kMenuListingRequest = 0x4B4D4C51;  // "KMLQ"
constexpr ULONG_PTR kMenuListingAnswer = 0x4B4D4C41;   // "KMLA"
// How long the program waits for the asking window to take the answer.
constexpr UINT kMenuListingAnswerMs = 5000;

// One line per item in order, "path|id|text\n": the path of positions from
// the menu bar ("0" the first menu, "0.8" its ninth item), the command id
// (0 for a pop-up), the text ("-" for a separator; " >" after a pop-up's
// text, " (grayed)" after a grayed item's). A pop-up's items follow it.
std::string MenuListing(HMENU menu);

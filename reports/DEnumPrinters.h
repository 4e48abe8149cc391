// The printer thread: lists the installed printers once, beside the UI thread,
// and then tells the windows (kEventPrintersEnumerated) on the UI thread.
#pragma once

#include <windows.h>

#include "foundation/DThread.h"

class DEnumPrinters : public DThread {
public:
    // On the UI thread: the event is handed back to the thread that made
    // the object.
    DEnumPrinters();
    // On the UI thread. Waits for a thread that still runs; the owner ends
    // a hung one otherwise first (see OXRApp's destructor).
    ~DEnumPrinters() override;

    // One refresh of the printer list, then kEventPrintersEnumerated for the UI
    // thread; false, so the thread ends after one pass.
    bool Step() override;

private:
    static LRESULT CALLBACK EventProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // A message-only window of the UI thread: what is posted to it is served
    // by whatever loop that thread runs, the modal ones included.
    HWND m_events = nullptr;
};

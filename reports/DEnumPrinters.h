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
    // Asks the thread to stop and waits for it. At shutdown the application
    // bounds its own wait first and leaves a thread that still runs (a hung
    // printer driver) to the end of the process, never deleting it.
    ~DEnumPrinters() override;

    // One refresh of the printer list, then kEventPrintersEnumerated on the UI
    // thread; false, so the thread ends after one pass.
    bool Step() override;

private:
    // On the UI thread: event 19 for the windows; false while start-up runs
    // without the main window, which is made after this thread has started
    // and warns when there is no printer.
    static bool TellWindows();

    // The thread that receives the event.
    DWORD m_home = 0;
};

#include "reports/DEnumPrinters.h"

#include "appsvc/OXRApp.h"

namespace {

const char* const kEventClass = "BravikPrinterEvents";
constexpr UINT kMsgPrintersEnumerated = WM_APP + 19;
constexpr UINT_PTR kStartupTimer = 1;

} // namespace

DEnumPrinters::DEnumPrinters()
{
    SetName("Printers");
    static const ATOM registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &DEnumPrinters::EventProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kEventClass;
        return RegisterClassA(&windowClass);
    }();
    (void)registered;
    m_events = CreateWindowExA(0, kEventClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
}

DEnumPrinters::~DEnumPrinters()
{
    StopAndWait();
    if (m_events)
        DestroyWindow(m_events);
}

bool DEnumPrinters::Step()
{
    OXRApp* app = GetApp();
    if (!app)
        return false;
    app->RefreshPrinters(nullptr, this);
    if (!IsCancelled() && m_events)
        PostMessageA(m_events, kMsgPrintersEnumerated, 0, 0);
    return false;
}

LRESULT CALLBACK DEnumPrinters::EventProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kMsgPrintersEnumerated && !(message == WM_TIMER && wParam == kStartupTimer))
        return DefWindowProcA(window, message, wParam, lParam);
    OXRApp* app = GetApp();
    if (!app)
        return 0;
    // The main window, which warns when there is no printer, is made after
    // the thread has started: while start-up runs the event waits for it.
    if (app->IsStarting() && !app->GetMainHwnd()) {
        SetTimer(window, kStartupTimer, 100, nullptr);
        return 0;
    }
    KillTimer(window, kStartupTimer);
    try {
        app->OnAppEvent(kEventPrintersEnumerated, 0);
    } catch (...) {
        app->Log().Write("Exception in the printer event", nullptr, "ERR >> ");
    }
    return 0;
}

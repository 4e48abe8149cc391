#include "reports/DEnumPrinters.h"

#include "appsvc/OXRApp.h"
#include "document/HandBack.h"

namespace {

// How often the event is offered again while start-up has no main window.
constexpr int kStartupRetryMs = 100;

} // namespace

DEnumPrinters::DEnumPrinters() : m_home(PrepareHandBack())
{
    SetName("Printers");
}

DEnumPrinters::~DEnumPrinters()
{
    StopAndWait();
}

bool DEnumPrinters::Step()
{
    OXRApp* app = GetApp();
    if (!app)
        return false;
    app->RefreshPrinters(nullptr, this);
    // Until the windows have heard it, or the UI thread takes no more work.
    bool told = false;
    while (!IsCancelled() && SendHandBack(m_home, [&told] { told = TellWindows(); }) && !told)
        Wait(kStartupRetryMs, 1);
    return false;
}

bool DEnumPrinters::TellWindows()
{
    OXRApp* app = GetApp();
    if (!app)
        return true;
    if (app->IsStarting() && !app->GetMainHwnd())
        return false;
    try {
        app->OnAppEvent(kEventPrintersEnumerated, 0);
    } catch (...) {
        app->Log().Write("Exception in the printer event", nullptr, "ERR >> ");
    }
    return true;
}

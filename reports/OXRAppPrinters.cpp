// The application's printer list: refreshed from the enumeration, on the
// printer thread at start-up and on the UI thread from the settings dialog.
#include "appsvc/OXRApp.h"

#include "appsvc/AppSettingsKeys.h"
#include "reports/Printers.h"

bool OXRApp::RefreshPrinters(HWND status, DThread* stopper)
{
    // One enumeration at a time, and its lists read before another refills them.
    DAutoLock enumerating(PrinterEnumerationLock());
    {
        DAutoLock guard(GetPrinterLock());
        m_printerNames.Clear();
    }
    EnumeratePrinters(status, m_excludedPrinters, stopper);
    if (stopper && stopper->IsCancelled())
        return true;

    DAutoLock guard(GetPrinterLock());
    for (const PrinterInfo& record : EnumeratedPrinters())
        m_printerNames.Set(record.name.GetText(), "Printer");
    SelectPrinter(GetSetting(m_settings, kSetPrinter).GetText());

    // Exclusions of printers that are gone would otherwise stay for ever.
    const UStringList& found = EnumeratedPrinterNames();
    UStringList kept;
    for (const UString& name : m_excludedPrinters) {
        if (UStringList::Find(name.GetText(), &found, false) >= 0)
            kept.push_back(name);
    }
    if (kept.size() != m_excludedPrinters.size()) {
        m_excludedPrinters = kept;
        StoreExcludedPrinters(m_excludedPrinters);
    }
    return true;
}

UString OXRApp::SelectPrinter(const char* name)
{
    DAutoLock guard(GetPrinterLock());
    if (!name)
        return m_currentPrinter;
    if (m_printerNames.IndexOf(name, false) >= 0) {
        if (strcmp(m_currentPrinter.GetText(), name) != 0)
            m_currentPrinter = name;
    } else {
        m_currentPrinter = "";
    }
    SetSetting(m_settings, kSetPrinter, m_currentPrinter.GetText(), true);
    return m_currentPrinter;
}

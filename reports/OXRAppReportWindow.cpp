// The report command: builds the report and shows it in the report window.
#include "appsvc/OXRApp.h"

#include <memory>
#include <string>

#include "appsvc/BusyCursorScope.h"
#include "dialogs/DlgFrame.h"
#include "reports/DlgReports.h"
#include "reports/OXRLayout.h"
#include "reports/OXRReport.h"

void OXRApp::BuildReport(bool currentOnly)
{
    std::unique_ptr<DlgReports> window;
    bool built = false;
    {
        BusyCursorScope busy;
        const char* missing = nullptr;
        if (currentOnly) {
            if (m_document.GetCurrent() < 0 || !m_document.GetProject(m_document.GetCurrent(), false))
                missing = "material.notselected";
        } else if (m_document.GetCount(true) == 0) {
            missing = "material.inactive";
        }
        if (missing) {
            const std::string text = LocaleLineBreaks(GetMessageText(missing, ""));
            const std::string caption = GetMessageText("report.title", "");
            ShowMessage(GetMainHwnd(), caption.c_str(), text.c_str(), MB_OK | MB_ICONWARNING, IDOK);
            return;
        }
        window = std::make_unique<DlgReports>(m_mainWindow);
        m_reportWindow = window.get();
        built = LoadReportLayouts(currentOnly);
    }

    // A build that failed with a system error gets its error box instead.
    if (!ReportBuildFailure() && built) {
        // Without layouts or pages the user has had the warning already; an
        // empty preview would show nothing more.
        window->DoModal();
    }

    m_reportWindow = nullptr;
    window.reset();
    OXRLayout::ClearRegistry();
}

// The application's calculation of every active material at once: the
// supervisor runs under the progress dialog, then the best solutions are
// applied and the findings shown.
#include "appsvc/BusyCursorScope.h"
#include "appsvc/OXRApp.h"
#include "dialogs/DlgFrame.h"
#include "dialogs/DlgMessages.h"
#include "dialogs/DlgProgress.h"
#include "document/AppEvents.h"

bool OXRApp::Calculate()
{
    if (m_document.GetCount(true) == 0) {
        const std::string text = LocaleLineBreaks(GetMessageText(
            "material.notselected", "Materials not selected.\\r\\nPlease, select at least one material."));
        ShowMessage(GetMainHwnd(), "", text.c_str(), MB_OK | MB_ICONEXCLAMATION, IDOK);
        return false;
    }
    m_document.ClearWarnings();

    DlgProgress2 progress(m_mainWindow);
    progress.SetTask(&m_processor);
    // Ended with 1 only when the run finished by itself: a stopped run, or
    // one that never started, has no fresh solutions to apply.
    const bool finished = progress.DoModal() == DlgFrame::Accepted && !m_processor.IsStopped();

    if (finished) {
        {
            // Each solution applied refreshes the pages: with long solutions
            // the round takes its time.
            BusyCursorScope busy;
            for (long i = 0;; ++i) {
                DCSProject* material = m_document.GetProject(i, true);
                if (!material)
                    break;
                if (material->GetSolutions().Count() > 0)
                    material->ApplySolution(0);
            }
            OnAppEvent(kEventSolutionsChanged, 0);
        }
        if (!m_automation) {
            const std::vector<DProps> warnings = m_document.CollectWarnings(true);
            if (!warnings.empty()) {
                DlgMessages messages(m_mainWindow);
                messages.SetMessages(warnings);
                messages.DoModal();
            }
        }
    }
    OnAppEvent(kEventProjectDataChanged, 0);
    return true;
}

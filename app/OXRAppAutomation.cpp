// Automation mode on the application's side: starting the script runner at
// the end of start-up, and the runner's requests that the main window hands
// over (run a command, break a calculation, close at the script's end).
#include "appsvc/OXRApp.h"

#include <string>

#include "app/DAutomation.h"
#include "foundation/StrUtil.h"

void OXRApp::StartAutomation()
{
    auto* runner = new DAutomation();
    m_automationRunner.reset(runner);
    if (!runner->Load(GetMainHwnd(), m_automationScript.GetText())) {
        // The script's own log may be the very thing that could not be made.
        std::string line = "Cannot load script " + StrFromText(m_automationScript.GetText()) + ": " +
                           DProps::GetString(runner->GetStatus(), "error");
        m_log.Write(line.c_str(), nullptr, "ERR >> ");
        Exit(kAutomationExitNotLoaded, true);
        return;
    }
    if (!runner->Start(THREAD_PRIORITY_NORMAL)) {
        runner->Log().Write("Cannot start the script's thread", nullptr, "ERR >> ");
        Exit(kAutomationExitFailed, true);
    }
}

LRESULT OXRApp::OnAutomationMessage(WPARAM wParam, LPARAM lParam, UINT message)
{
    if (message == DAutomation::kMsgCloseApp) {
        // Nobody can answer the question before a modified project is closed
        // during a script, and a refused close would leave a hidden program
        // running: the unsaved changes are dropped, and the logs say so.
        if (m_document.IsModified()) {
            std::string line = "The unsaved changes of the project \"" + m_document.GetName() +
                               "\" are dropped at the end of the script";
            m_log.Write(line.c_str(), nullptr, "WRN >> ");
            if (auto* runner = dynamic_cast<DAutomation*>(m_automationRunner.get()))
                runner->Log().Write(line.c_str(), nullptr, "WRN >> ");
            m_document.Reset();
        }
        Exit(static_cast<int>(wParam), false);
        return 0;
    }
    if (message == DAutomation::kMsgExecute) {
        auto* record = reinterpret_cast<DProps*>(wParam);
        auto* options = reinterpret_cast<DProps*>(lParam);
        if (!record || !options)
            return 0;
        return ExecuteCommand(record, options);
    }
    if (message == DAutomation::kMsgBreak) {
        DProps record;
        record.Set("\\command", "$break");
        return ExecuteCommand(&record, reinterpret_cast<DProps*>(lParam));
    }
    return 0;
}

// The application's commands that open a dialog of this library: adding a
// material and showing the project's warnings.
#include "appsvc/OXRApp.h"
#include "dialogs/DlgMaterial.h"
#include "dialogs/DlgMessages.h"

bool OXRApp::AddMaterial()
{
    DlgMaterial dialog(m_mainWindow);
    DProps params;
    params.Set("title", "title.project");
    params.Set("material", "");
    dialog.SetParams(params);
    if (dialog.DoModal() != DlgFrame::Accepted)
        return false;
    const std::string name = DProps::GetString(dialog.Params(), "material", "");
    if (!m_document.AddMaterial(name.c_str(), nullptr))
        return false;
    m_document.SetCurrent(m_document.GetCount(false) - 1);
    if (HWND main = GetMainHwnd())
        ::SendMessageA(main, WM_USER, kEventMaterialsChanged, 0);
    return true;
}

bool OXRApp::ShowSolutionMessages(bool testOnly)
{
    const std::vector<DProps>& warnings = m_document.CollectWarnings(false);
    if (testOnly)
        return !warnings.empty();
    if (warnings.empty() || !GetMainHwnd())
        return false;
    DlgMessages dialog(m_mainWindow);
    dialog.SetMessages(warnings);
    dialog.DoModal();
    return true;
}

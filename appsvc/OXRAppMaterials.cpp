// The application's commands on the materials of the open project that need
// no dialog of their own: choosing, removing, refreshing and counting them.
#include "appsvc/OXRApp.h"

#include "appsvc/BusyCursorScope.h"
#include "document/ChangeMasks.h"
#include "foundation/DParser.h"
#include "foundation/StrUtil.h"

long OXRApp::SelectMaterial(long index)
{
    BusyCursorScope busy;
    long result = -1;
    if (index >= 0 && index < m_document.GetCount(false)) {
        result = m_document.SetCurrent(index);
        OnAppEvent(kEventCurrentMaterialChanged, 0);
    }
    return result;
}

bool OXRApp::DeleteMaterial(long index)
{
    DCSProject* current = m_document.GetProject(-1, false);
    if (!current)
        return false;
    DProps variables;
    variables.Set("material", current->GetProperty("material").c_str());
    // Without the locale's question the material is still never removed
    // unasked.
    std::string text = GetMessageText("material.delete", "Delete the material \"${material}\"?");
    text = LocaleLineBreaks(ExpandVariables(text.c_str(), variables));
    std::string trimmed = text;
    StrTrim(trimmed);
    if (!trimmed.empty() &&
        ShowMessage(GetMainHwnd(), nullptr, text.c_str(), MB_YESNO | MB_ICONQUESTION, IDYES) != IDYES)
        return false;
    if (!m_document.RemoveMaterial(index))
        return false;
    BusyCursorScope busy;
    OnAppEvent(kEventMaterialsChanged, 0);
    OnAppEvent(kEventCurrentMaterialChanged, 0);
    UpdateTitle(false);
    return true;
}

void OXRApp::ResetCurrentMaterial()
{
    if (DCSProject* current = m_document.GetProject(-1, false))
        current->Refresh(false);
    UpdateTitle(false);
    RefreshMenuBar();
}

void OXRApp::ResetCurrentMaterialRows(DCSProject& material)
{
    ResetCurrentMaterial();
    if (material.IsChanged(kChangedResults))
        material.ClearSolutions();
}

long OXRApp::CountReadyMaterials()
{
    long count = 0;
    for (long i = 0;; ++i) {
        DCSProject* material = m_document.GetProject(i, true);
        if (!material)
            break;
        if (material->HasCuttings())
            ++count;
    }
    return count;
}

// The application's commands that open a dialog of this library: adding a
// material, showing the project's warnings and the settings.
#include "appsvc/AppSettingsKeys.h"
#include "appsvc/OXRApp.h"
#include "appsvc/BusyCursorScope.h"
#include "dialogs/DlgMaterial.h"
#include "dialogs/DlgMessages.h"
#include "dialogs/DlgSettings.h"

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

void OXRApp::ShowOptions(const std::function<void(HWND)>& refreshPrinters)
{
    DlgSettings dialog(m_mainWindow, refreshPrinters);
    DProps params;
    auto take = [this, &params](const char* key, const char* from, const char* def) {
        params.Set(key, DProps::GetString(m_globals, from, def).c_str());
    };
    take("decimal", "decimal.separator.index", "");
    take("list.separator", "list.separator.index", "");
    take("pieces.units", "pieces.units.index", "0");
    take("length.units", "length.units.index", "");
    take("length.digits", "length.digits", "");
    take("length.zeroes", "length.zeroes", "");
    take("cost.units", "cost.units.index", "");
    take("cost.digits", "cost.digits", "");
    take("cost.zeroes", "cost.zeroes", "");
    dialog.CopyParams(params);
    if (dialog.DoModal() != DlgFrame::Accepted)
        return;

    {
        BusyCursorScope busy;
        const DProps& chosen = dialog.Params();
        // The dialog's parameter for each setting it changes.
        const std::pair<const AppSettingKey*, const char*> chosenSettings[] = {
            {&kSetDecimalSeparator, "decimal"},   {&kSetListSeparator, "list.separator"},
            {&kSetPiecesUnits, "pieces.units"},   {&kSetLengthUnits, "length.units"},
            {&kSetLengthDigits, "length.digits"}, {&kSetLengthZeroes, "length.zeroes"},
            {&kSetCostUnits, "cost.units"},       {&kSetCostDigits, "cost.digits"},
            {&kSetCostZeroes, "cost.zeroes"},
        };
        for (const auto& c : chosenSettings)
            SetSetting(m_settings, *c.first, DProps::GetString(chosen, c.second, "").c_str());
        SetSetting(m_settings, kSetExcluded, dialog.GetExclusionText().c_str());
        m_settings.Save(true);
        LoadNumberFormats();
    }
    OnAppEvent(kEventSettingsChanged, 0);
}

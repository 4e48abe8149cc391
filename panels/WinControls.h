// The header bar across the top of the main window: the project buttons
// (Create, Open, Recent, Save, Exit), the "Current Project" label and the
// tab strip that chooses the page. Button presses and tab changes go to the
// main window; the bar keeps its enable states in step with the document.
#pragma once

#include "dialogs/WinPanel.h"

class ICTab;

class WinControls : public WinPanel {
public:
    // The main window is the bar's parent and owner.
    explicit WinControls(CDialog* mainWindow);

    BOOL OnInitDialog() override;
    void ApplyLocale() override;
    void UpdateEnableStates() override;
    void LayoutControls() override;
    long GetPreferredSize() override;
    void OnAppEvent(long code, const void* sender) override;

    // Selects a tab from code: the main window hears it as a click.
    void SelectTab(long index);
    ICTab* GetTabs() const { return m_tabs; }

private:
    ICTab* m_tabs = nullptr;
};

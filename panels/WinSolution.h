// The project panel on the left of the main window: the project's name and
// description with a button to edit them, and its materials as a list with
// one check box each (the material's "active" flag); the selected row is the
// current material. Its buttons add and remove materials, calculate, report
// and export the active materials and show the project's warnings.
#pragma once

#include "dialogs/WinPanel.h"

class ICList;

class WinSolution : public WinPanel {
public:
    // The panel tells itself of a new selection once the list view's
    // notification is over. A message of its own: WM_USER + 1 is also the
    // dialog manager's DM_SETDEFID, which this dialog must not take for one.
    static constexpr UINT MsgSelectionChanged = WM_APP + 0x201;
    // Items of the export menu.
    enum ExportItem { ExportNone = 0, ExportCuttings = 1, ExportRemnants = 2, ExportOrphans = 3 };

    // The main window is the panel's parent and owner.
    explicit WinSolution(CDialog* mainWindow);

    BOOL OnInitDialog() override;
    void ApplyLocale() override;
    void UpdateEnableStates() override;
    long Reposition(bool redraw) override;
    void LayoutControls() override;
    long GetPreferredSize() override;
    void PaintExtra(HDC dc) override;
    void OnAppEvent(long code, const void* sender) override;

    // Rebuilds the list from the document.
    void FillMaterials();
    // The project name (cut with "...") and description, the edit button.
    void UpdateProjectFields();
    // The project dialog on the name and description; true after OK.
    bool EditProject();
    // The export menu at the cursor; the chosen item (ExportNone when none).
    ExportItem ShowExportMenu();

    ICList* GetList() const { return m_list; }
    long GetRememberedRow() const { return m_remembered; }
    bool IsReady() const { return m_ready; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    const CMessageMap* GetMessageMap() const override;
    LRESULT OnSelectionChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnCheckSelection(WPARAM wParam, LPARAM lParam);

private:
    void ApplyTexts();
    void ShowProjectTexts();
    void SetAllChildrenEnabled(bool enabled);
    long MaterialCount() const;

    ICList* m_list = nullptr;
    long m_remembered = 0;
    bool m_ready = false;
    bool m_filling = false;
    long m_margin = 0;
};

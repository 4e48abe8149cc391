// The "Calculation Results" page: the current material's parameters, the
// stocks its solution uses and the cuttings of the selected stock, with the
// commands that calculate the material, clear its results, edit its layout by
// hand, build its report and export its cuttings, remnants or free parts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dialogs/TextExports.h"
#include "dialogs/WinPanel.h"

class DCSProject;
class DlgProgress;
class ICList;

class WinProcess : public WinPanel {
public:
    // Items of the Export button's menu.
    enum ExportItem { ExportNone = 0, ExportCuttingsItem = 1, ExportRemnantsItem = 2, ExportOrphansItem = 3 };
    // Lines the hidden comment keeps at most.
    static constexpr long MaxCommentLines = 32;

    WinProcess();
    ~WinProcess() override;

    BOOL OnInitDialog() override;
    void ApplyLocale() override;
    void PaintExtra(HDC dc) override;
    void OnAppEvent(long code, const void* sender) override;

    // Shows a material (none: the lists stay as they are) and refreshes.
    void SetMaterial(DCSProject* material);
    // Forgets the material: the parameter and used-stock lists are emptied.
    void ClearMaterial();
    void Refresh();
    void UpdateButtons();
    void FillParameters();
    void FillStocks();
    void FillCuttings();
    // The material's comment into the comment edit, unless the edit is
    // hidden (it is, in the page's template).
    void ShowComment();
    // The comment edit's lines joined (cut to MaxCommentLines with a note);
    // with store the material takes them as its "comment".
    void OnCommentEdit(bool store);

    // The Calculate command of the current material: warnings and question
    // first, then the progress dialog and the choice of a solution.
    void Calculate();
    // The Export button's menu at the cursor and the export chosen there.
    void OnExportMenu();
    // The menu's items, enabled by the material's results; the chosen one.
    ExportItem ShowExportMenu();
    // The shown material's exports through the export dialog.
    void ExportCuttings();
    void ExportRemnants();
    void ExportOrphans();
    // The manual layout editor on the current material's layout.
    void EditLayout();

    DCSProject* GetMaterial() const { return m_material; }
    DlgProgress* GetRunningProgress() const { return m_progress.get(); }
    ICList* GetParameterList() const { return m_params; }
    ICList* GetStockList() const { return m_stocks; }
    ICList* GetCuttingList() const { return m_cuttings; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    const CMessageMap* GetMessageMap() const override;
    LRESULT OnSizeMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnVScrollMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColorMsg(WPARAM wParam, LPARAM lParam);

private:
    // The controls OnInitDialog makes: the page's labels, the three result
    // lists with their columns, the buttons with their captions and hints,
    // and the comment field with its title and hint.
    void CreateLabels();
    void CreateLists();
    void CreateButtons();
    void SetUpComment();
    void LayoutLists();
    // The rows of the used-stock list and of the cuttings list of the
    // selected stock, into lists just emptied.
    void FillStockRows();
    void FillCuttingRows();
    void RunExport(TextExportKind kind);
    // The project's current material, none when there is none.
    static DCSProject* CurrentMaterial();

    DCSProject* m_material = nullptr;
    // The progress dialog while the page's calculation runs.
    std::unique_ptr<DlgProgress> m_progress;
    ICList* m_params = nullptr;
    ICList* m_stocks = nullptr;
    ICList* m_cuttings = nullptr;
    std::vector<long> m_stockWidths;
    std::vector<long> m_cuttingWidths;
    long m_margin = 0;
    // A hidden edit would wrap the whole comment each time it is filled or
    // resized, for nobody to see, and a comment of one long word takes many
    // seconds to wrap: it is not filled while hidden, and until something
    // is typed into it, it holds nothing to store.
    bool m_commentPending = false;
};

// The choice of a solution after a calculation of one material: one row per
// solution in the material's ranking order with its main statistics. The
// dialog only chooses; the caller applies the chosen solution.
#pragma once

#include <string>
#include <vector>

#include "dialogs/DlgFrame.h"

class DCSProject;
class ICList;
namespace CUTTING {
class Layout;
}

class DlgSolutions : public DlgFrame {
public:
    explicit DlgSolutions(CWnd* parent);

    // 0-based index into the material's solutions: 0 until a row is chosen,
    // -1 when OK found no row selected. Read after DoModal returned 1.
    long GetChosen() const { return m_chosen; }
    // The project's current material when the dialog opened, none without one.
    DCSProject* GetMaterial() const { return m_material; }

    // The cells of one solution's row (row: its 0-based position). With
    // remnantsTracked false the remnants column shows "-"; ofWord joins the
    // placed parts to their total.
    static std::vector<std::string> RowCells(long row, const CUTTING::Layout& layout, bool remnantsTracked,
                                             const std::string& ofWord);
    // Where the last solution dialog of this run stood.
    static DlgClassPlacement& ClassPlacement();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void UpdateButtons() override;
    void OnSelectionCleared(UINT listId) override;
    void LayoutControls() override;
    const CMessageMap* GetMessageMap() const override;

private:
    void FillList();
    // OK is enabled exactly when the selected row is a solution with status 0.
    void UpdateOkButton();
    bool IsSolution(long index) const;
    LRESULT OnPositionChanged(WPARAM wParam, LPARAM lParam);

    // Distances from the right and bottom of the client area: the list's
    // lower right corner and the buttons' upper left corners keep them, so
    // the list grows with the dialog and the buttons stay in its corner.
    struct Anchor {
        long right = 0;
        long bottom = 0;
    };

    DCSProject* m_material = nullptr;
    ICList* m_list = nullptr;
    long m_chosen = 0;
    std::vector<long> m_widths;
    Anchor m_listAnchor;
    Anchor m_buttonAnchors[2];
};

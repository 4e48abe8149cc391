// The manual layout editor: the current material's solution reworked by hand
// on a working copy (patterns added and removed, copies and part counts
// changed, free parts moved into a pattern). The material itself is never
// touched; after Save the caller takes the working layout over.
#pragma once

#include <vector>

#include "dialogs/DlgFrame.h"
#include "dialogs/LayoutEdit.h"

class DCSProject;
class ICList;

class DlgLayout : public DlgFrame {
public:
    DlgLayout();

    // The working copy of the project's current material's layout, with its
    // unplaced parts as the free parts; false, an empty layout, without a
    // current material.
    bool SetCurrentLayout(const DProps& params);
    // The working layout, with its statistics computed again after Save.
    const CUTTING::Layout& GetLayout() const { return m_edit.GetLayout(); }
    const LayoutEdit& GetEdit() const { return m_edit; }

    long GetSelectedPattern() const { return m_pattern; }
    long GetSelectedPartRow() const { return m_partRow; }
    long GetSelectedFreeRow() const { return m_freeRow; }

    // Where the editor stood last in this run.
    static DlgClassPlacement& ClassPlacement();

protected:
    BOOL OnInitDialog() override;
    // Save: only with every part placed.
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void UpdateButtons() override;
    void LayoutControls() override;
    const CMessageMap* GetMessageMap() const override;

private:
    // The steps of OnInitDialog: the buttons and labels with their texts,
    // fonts and hints; the three lists with their columns; the minimum
    // height and the distances the controls below the pattern list keep
    // from the bottom and right edges.
    void WrapControls();
    void SetUpLists();
    void AnchorControls();
    void FillPatterns();
    void FillParts(bool keepSelection);
    void FillFree(bool keepSelection);
    void FillAll();
    // The menu of the stock lengths that have bars; a new empty pattern on
    // the chosen one.
    void AddPattern();
    std::string Remnants() const;

    LRESULT OnWindowPosChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnCheckSelectionMsg(WPARAM wParam, LPARAM lParam);

    // Distances of a control from the client's bottom edge, and from its
    // right edge, taken at opening.
    struct Anchor {
        int id;
        RECT rect;
        long fromBottom;
        long fromRight;
    };

    DCSProject* m_material = nullptr;
    LayoutEdit m_edit;
    long m_pattern = 0;
    long m_partRow = 0;
    long m_freeRow = 0;
    bool m_filling = false;
    ICList* m_patterns = nullptr;
    ICList* m_parts = nullptr;
    ICList* m_free = nullptr;
    std::vector<long> m_patternWidths;
    std::vector<Anchor> m_anchors;
    long m_listBottomGap = 0;
};

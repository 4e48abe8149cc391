// Asks for the project's name and description and, when a project is
// created, for the name of its first material. Shows what is missing in a
// red note and enables OK only when everything required is there.
#pragma once

#include <map>
#include <string>

#include "dialogs/DlgFrame.h"

class DlgEditSolution : public DlgFrame {
public:
    // templateId: 166 to create a project, 225 to edit its name and description.
    DlgEditSolution(UINT templateId, CWnd* parent);

    // Copies the opener's bag: "mode" (non-zero: create), "name", "desc",
    // "material".
    bool SetParams(const DProps& params);

    bool IsCreateMode() const { return m_create; }
    bool IsNameValid() const { return m_nameValid; }
    bool IsMaterialValid() const { return m_materialValid; }
    const std::string& GetNote() const { return m_note; }

    // The project dialog keeps no texts that depend on the language after
    // opening: nothing to read again.
    void ReloadLocale() override {}

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void UpdateButtons() override;
    void LayoutControls() override;

private:
    void Validate();

    bool m_create = false;
    bool m_nameValid = false;
    bool m_materialValid = false;
    std::string m_note;
    // Where the controls stood at opening, in client pixels, for the layout.
    RECT m_client0 = {0, 0, 0, 0};
    std::map<int, RECT> m_origins;
};

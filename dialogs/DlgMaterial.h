// Asks for the name of a material: a new material of the open project, or a
// new name for the current one. Refuses an empty name, a name the project
// already uses and a name the project file cannot hold, says why in a red
// line under the edit, and hands the trimmed name back as "material".
#pragma once

#include <string>

#include "dialogs/DlgFrame.h"

class DlgMaterial : public DlgFrame {
public:
    explicit DlgMaterial(CWnd* parent);

    // Copies the opener's bag ("title": locale key of the caption,
    // "material": the name being replaced, empty for a new material).
    bool SetParams(const DProps& params);

    bool IsNameValid() const { return m_nameValid; }
    const std::string& GetMessage() const { return m_message; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Takes the name only when it may be taken; an invalid name keeps the
    // dialog open, so the opener never reads a result that did not happen.
    void OnOK() override;
    void UpdateButtons() override;

private:
    void ValidateName();

    bool m_nameValid = false;
    std::string m_message;
    std::string m_initialName;
};

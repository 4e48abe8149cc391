// The description page: the current material's additional information
// ("comment") and its notes on the results ("notes"), each with the flag
// that puts it into the reports. Every change is written into the material
// at once.
#pragma once

#include "dialogs/WinPanel.h"

class DCSProject;

class WinInfo : public WinPanel {
public:
    WinInfo();

    BOOL OnInitDialog() override;
    void LayoutControls() override;
    void OnAppEvent(long code, const void* sender) override;

    // Writes the shown material's values into the controls (empties them
    // without one).
    void LoadMaterial();
    DCSProject* GetMaterial() const { return m_material; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    const CMessageMap* GetMessageMap() const override;
    LRESULT OnSizeMsg(WPARAM wParam, LPARAM lParam);

private:
    void ShowCurrentMaterial();

    DCSProject* m_material = nullptr;
};

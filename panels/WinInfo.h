// The description page: the current material's additional information
// ("comment") and its notes on the results ("notes"), each with the flag
// that puts it into the reports. Every change is written into the material
// at once.
#pragma once

#include <string>

#include "dialogs/WinPanel.h"

class DCSProject;

class WinInfo : public WinPanel {
public:
    WinInfo();

    BOOL OnInitDialog() override;
    void LayoutControls() override;
    void OnAppEvent(long code, const void* sender) override;

    // Writes the shown material's values into the controls (empties them
    // without one). While the page is hidden the texts wait for it to show.
    void LoadMaterial();
    DCSProject* GetMaterial() const { return m_material; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    const CMessageMap* GetMessageMap() const override;
    LRESULT OnSizeMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindowMsg(WPARAM wParam, LPARAM lParam);

private:
    void ShowCurrentMaterial();
    // The page is the one the main window shows, whatever its parent's state.
    // Kept from the page's own showing and hiding: turning drawing off for a
    // layout clears the window's visible flag for the while.
    bool IsShown() const;
    void PlaceControls();
    void FillTexts();
    // Writes a box's text; the notifications it causes are the page's own.
    void WriteBox(int id, const std::string& text);

    DCSProject* m_material = nullptr;
    // A text box re-wraps its whole text whenever it is filled or resized, and
    // a text of one long word costs many seconds to wrap: a hidden page
    // leaves its boxes alone, and fills and places them once it shows.
    bool m_shown = false;
    bool m_textsPending = false;
    bool m_layoutPending = false;
    bool m_writing = false;
};

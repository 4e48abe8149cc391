// The "Calculation Options" page: the current material's optimisation goal,
// calculation level, remnant length, order of the parts within a cutting and
// limit of part lengths per stock. A change is written into the material at
// once; the options that shape the shown results rebuild them on the spot.
#pragma once

#include <string>

#include "dialogs/WinPanel.h"

class DCSProject;

class WinOptions : public WinPanel {
public:
    // The text colour of the note under the diversity list.
    static constexpr COLORREF NoteColour = 0x1E4682;
    // Characters of the remnants box read at most.
    static constexpr long MaxRemnantsText = 1024;

    WinOptions();

    BOOL OnInitDialog() override;
    void ApplyLocale() override;
    void OnAppEvent(long code, const void* sender) override;

    // Shows the material's options and keeps it as the page's material;
    // false, and nothing changed, without a material or a window.
    bool LoadMaterial(DCSProject* material);
    DCSProject* GetMaterial() const { return m_material; }

    // The leading whole number of a text; 0 when it has none.
    static long LeadingWholeNumber(const std::string& text);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    const CMessageMap* GetMessageMap() const override;
    LRESULT OnCtlColorMsg(WPARAM wParam, LPARAM lParam);

private:
    // Texts, fonts and hints of the controls and the items of both lists.
    void ApplyTexts();
    // Fills a list from the comma-separated locale text; without items the
    // list and its label are hidden. True when it has items.
    bool FillList(int listId, int labelId, const char* key, const char* def);
    // Shows the material's values without making it the page's material.
    void ShowOptions(DCSProject& material);
    void ShowNote(long diversity);
    void SelectItem(int listId, long index);
    // Forgets the material and disables every control.
    void Forget();

    // The options that shape the results: stored, then the results rebuilt
    // and the panels told.
    void StoreRemnants();
    void StoreChoice(int listId, const char* key);
    void ResultsChanged();

    long Option(const char* key) const;

    DCSProject* m_material = nullptr;
};

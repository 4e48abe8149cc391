// The frame of the main window's panels: a panel of the control library
// that reads its texts and hover hints from one locale section, takes its
// fonts by name from the application's font map, keeps its wrapped controls
// in a control bag, lays out its lists by column tables, draws native
// labels on its own background and hears the application's events. The
// report window's toolbar stands on it too, which is why it lives here,
// below the reports and the panels.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "controls/ICPanel.h"
#include "controls/UDraw.h"
#include "dialogs/DlgFrame.h"
#include "foundation/DProps.h"
#include "foundation/OBJProps.h"
#include "resources/PanelTemplates.h"

class ICControl;
class ICList;

// Template ids of the six panels: the wParam of the panel messages.
constexpr long kPanelHeader = IDD_PANEL_HEADER;
constexpr long kPanelProject = IDD_PANEL_PROJECT;
constexpr long kPanelSource = IDD_PANEL_SOURCE;
constexpr long kPanelResults = IDD_PANEL_RESULTS;
constexpr long kPanelOptions = IDD_PANEL_OPTIONS;
constexpr long kPanelInfo = IDD_PANEL_INFO;

// The separator the project panel and the results page draw down their right
// edge: a black line one pixel wide at x = client width - 1.
void PanelPaintRightEdge(HWND panel, HDC dc);

class WinPanel : public ICPanel, public DAppEventReceiver {
public:
    // section: the panel's locale section.
    WinPanel(long templateId, CDialog* parent, HWND owner, const char* section);
    ~WinPanel() override;

    // An application event, forwarded by the main window in the order of
    // the panels; sender is the object that raised it, or none. Each panel
    // acts on its own codes and ignores the rest.
    void OnAppEvent(long code, const void* sender) override { (void)code, (void)sender; }

    const std::string& GetLanguage() const { return m_language; }
    const DProps& GetLocale() const { return m_locale; }
    // The control registered in the control bag under the id, null when none.
    ICControl* FindInBag(long id) const;
    // The entry of the control bag at a position, null when none.
    ICControl* BagAt(int position) const;

    // Enter and Escape in a panel neither close nor change anything.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    // Copies the panel's locale section; with setMarker the language marker
    // takes the application's language.
    void ReadLocale(bool setMarker);
    // True when the application's language differs from the marker.
    bool LanguageChanged() const;
    void SetLanguageMarker();

    std::string Text(const char* key, const char* def) const { return LocaleText(m_locale, key, def); }
    std::string Hint(const char* key, const char* def) const { return LocaleHint(m_locale, key, def); }

    // The font of the name on the control (skipped for a missing control).
    void SetFont(int id, const char* fontName);
    // Registers the control in the control bag under its id; owned: the bag
    // deletes it with the panel (else the ICPanel registry owns it).
    void AddToBag(ICControl* control, bool owned);
    // The panel's column setup: widths truncated, extended styles as given.
    std::vector<long> SetupColumns(ICList& list, const std::vector<ColumnSpec>& columns, DWORD extendedStyles);

    const CMessageMap* GetMessageMap() const override;
    LRESULT OnCtlColorStaticMsg(WPARAM wParam, LPARAM lParam);
    // The same for a page with a coloured note: that control's text takes
    // the colour.
    LRESULT CtlColorWithNote(WPARAM wParam, LPARAM lParam, int noteId, COLORREF colour);

    std::string m_section;
    std::string m_language;
    DProps m_locale;
    OBJProps m_bag;

private:
    HBRUSH BackBrush();

    UGdiObject m_backBrush;
    COLORREF m_brushColour = 0;
};

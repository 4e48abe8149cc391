// The frame every dialog of the program stands on: texts and hover hints from
// one locale section, fonts by style key from the application's font map,
// wrapped buttons and lists owned by a control bag, input fields checked
// against field descriptors with their labels coloured by the outcome, list
// columns from column tables, the placement a dialog keeps during the run,
// and the one way a dialog is set up, ends and hands back its result.
// Also the small services panels and dialogs share: style fonts and column
// widths.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "appsvc/AppSettingsKeys.h"
#include "classlib/CDialog.h"
#include "controls/ICPanel.h"
#include "controls/WinUtil.h"
#include "foundation/DProps.h"
#include "foundation/OBJProps.h"

class ICButton;
class ICControl;
class ICList;

// ---- Shared services ------------------------------------------------------------------

// The text of a key of a locale section copy, def when the key is absent
// (an entry that exists with an empty text gives the empty text).
std::string LocaleText(const DProps& section, const char* key, const char* def);
// The comment of the key (the hover hint written after ";"), def when the
// key is absent or has no comment.
std::string LocaleHint(const DProps& section, const char* key, const char* def);

// The application's font of a style key; the map's first font when the key
// is missing; null when the map is empty.
HFONT StyleFont(const char* styleKey);
// Gives the window the font of the style key; false, nothing changed, when
// there is no window or no font.
bool SetStyleFont(HWND window, const char* styleKey);

// One column of a list: relative width, locale key of its title, default title.
struct ColumnSpec {
    double width;
    const char* key;
    const char* title;
};

// The pixel widths of a column table for a list window of the given width:
// the usable width is the width less the vertical scroll bar and 4 pixels,
// shared out by the relative widths, rounded to the nearest pixel (halves
// away from zero) for dialogs or truncated toward zero for panels.
enum class ColumnRounding { Nearest, Truncate };
std::vector<long> ColumnWidths(long listWidth, const std::vector<ColumnSpec>& columns, ColumnRounding rounding);
// The same with the scroll bar's width given.
std::vector<long> ColumnWidths(long listWidth, long scrollWidth, const std::vector<ColumnSpec>& columns,
                               ColumnRounding rounding);

// Sets up a report list from a column table: the extended styles, then one
// column per entry with its title from the locale section (default from the
// table) and "hint" = the key's comment. Returns the widths given.
std::vector<long> SetupListColumns(ICList& list, const DProps& locale, const std::vector<ColumnSpec>& columns,
                                   ColumnRounding rounding, DWORD extendedStyles);
// After a resize of the list: the last column takes what the other columns
// leave of the usable width; the widths are updated. The last column's width.
long FitLastColumn(HWND list, std::vector<long>& widths);

// The rectangle of a child window in its parent's client coordinates; empty
// for no window.
RECT ChildRect(HWND window);

// A push button's caption and hint: the locale key, its default text and
// the default hint.
struct ButtonText {
    int id;
    const char* key;
    const char* def;
    const char* hint;
};

// Runs the layout with the window's painting suspended. Only a visible
// window is suspended: turning the painting of a hidden window back on
// would show it.
void LayoutWithoutRedraw(HWND window, const std::function<void()>& layout);

// One item of a popup menu: its command id, its text and whether it can be chosen.
struct PopupItem {
    UINT id;
    std::string text;
    bool enabled;
};
// A popup menu of the items at the mouse cursor, owned by the window; the
// chosen item's id, 0 when none was chosen. A disabled item is greyed.
UINT PopupMenuAtCursor(HWND owner, const std::vector<PopupItem>& items);

// The text colours of a field label by the field's state ("0", "1", "2").
COLORREF FieldStateColour(long state);

// Reads the placement stored under the settings key into placement, the
// state from the text's fifth field; false, placement untouched, when the
// setting is empty.
bool ReadStoredPlacement(const AppSettingKey& key, Placement& placement);

// What a dialog class keeps for the whole run (never saved): where the user
// last put it, its narrowest width and its layout margin.
struct DlgClassPlacement {
    Placement placement;
    long minWidth = 0;
    long margin = 0;
};

// ---- The frame ----------------------------------------------------------------------------

class DlgFrame : public CDialog {
public:
    // Accept and cancel results of the frame's dialogs.
    static constexpr INT_PTR Accepted = 1;
    static constexpr INT_PTR Cancelled = 0;
    // The lowest height a dialog with the minimum size rule can be given.
    static constexpr long MinTrackHeight = 300;

    // section: the dialog's locale section; iconId 0 for none.
    DlgFrame(UINT templateId, CWnd* parent, const char* section, UINT iconId = 0);
    // Forgets the hints of windows that are gone, destroys the icon; the
    // control bag deletes the wrapped controls.
    ~DlgFrame() override;

    // Copies every entry of the caller's bag into the parameter bag
    // (overwriting). The dialogs' own set-up operations start with it.
    bool CopyParams(const DProps& params);
    DProps& Params() { return m_params; }
    const DProps& Params() const { return m_params; }

    // Reads the locale section again when the application's language is no
    // longer the one it was read for; texts on the screen stay as they are.
    virtual void ReloadLocale();

    // ---- What a dialog shows ------------------------------------------------------------
    const std::string& GetLanguage() const { return m_language; }
    const DProps& GetLocale() const { return m_locale; }
    bool IsFormValid() const { return m_formValid; }
    // The field's descriptor, null for an edit without one.
    const DProps* GetField(int editId) const;
    // The state of a field: 0 invalid, 1 valid, 2 valid with a warning; -1
    // without descriptor.
    long GetFieldState(int editId) const;
    // The text colour a static control is drawn in: its field's state colour
    // for a field label, the colour given with SetTextColour, else none (-1).
    long GetTextColour(int controlId) const;
    // The wrapped control registered under the id, null when none.
    ICControl* FindWrapped(int controlId) const;

protected:
    // Steps of the frame's opening that come before the dialog's own:
    // the class library's initialisation, the locale section, the icon.
    BOOL OnInitDialog() override;
    // The shared cancel: ends with 0.
    void OnCancel() override;
    // The shared accept: ends with 1.
    void OnOK() override;

    // Texts of the dialog's locale section.
    std::string Text(const char* key, const char* def) const { return LocaleText(m_locale, key, def); }
    std::string Hint(const char* key, const char* def) const { return LocaleHint(m_locale, key, def); }

    // Per control, each skipped for an id the template does not hold.
    void SetFont(int id, const char* styleKey);
    void SetItemText(int id, const std::string& text);
    std::string GetItemText(int id, long max = 1024, bool trim = false) const;
    void SetHint(int id, const std::string& text);
    void SetTextColour(int id, COLORREF colour);
    // The push button drawn by us, registered in the control bag; its
    // picture stays the one its template caption names.
    ICButton* WrapButton(int id, const std::string& caption, const std::string& hint);
    ICList* WrapList(int id);
    // Each button in the font of the style key, then wrapped with its
    // locale caption and hint.
    void WrapButtons(const std::vector<ButtonText>& buttons, const char* styleKey);
    // Registers a wrapped control in the control bag (the bag deletes it).
    void Own(ICControl* control);

    // A validated edit: the descriptor (its "valid" starts at "0") and the
    // label that shows the field's state.
    void AddField(int editId, int labelId, const DProps& descriptor);
    // The validation cycle of one field: its text checked, the form flag
    // recomputed, the label redrawn, UpdateButtons. The field's state.
    long ValidateField(int editId);
    // Every field once through the cycle.
    void ValidateAllFields();
    // The field's text in its stored form.
    std::string StoreField(int editId) const;
    // Called after a validation and whenever a dialog's button states may change.
    virtual void UpdateButtons() {}

    // Dialogs that keep their placement and limit their size name the class's
    // record; the frame then measures (margin as given) and applies it. With
    // a setting key every move is also stored in that setting at once (the
    // stored text is not read back: a run starts where the system puts it).
    void UsePlacement(DlgClassPlacement* placement, long margin, const AppSettingKey* settingKey = nullptr);
    // Dialogs that only keep the minimum size rule.
    void UseMinimumSize(long margin);
    // The lowest height the dialog can be given, MinTrackHeight unless set.
    void SetMinimumHeight(long height) { m_ownMinHeight = height; }
    long GetMargin() const;
    // Lays the controls out again after a size change.
    virtual void LayoutControls() {}
    // A list of the dialog lost its selection and still has none.
    virtual void OnSelectionCleared(UINT listId) { (void)listId; }

    const CMessageMap* GetMessageMap() const override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizeMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizingMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnCheckSelection(WPARAM wParam, LPARAM lParam);
    LRESULT OnWindowPosChangedMsg(WPARAM wParam, LPARAM lParam);

    std::string m_section;
    UINT m_iconId = 0;
    std::string m_language;
    DProps m_locale;
    DProps m_params;
    OBJProps m_controls;
    std::map<long, DProps> m_fields;
    bool m_formValid = true;
    HICON m_icon = nullptr;

private:
    std::map<long, long> m_labelField;   // label id -> edit id
    std::map<long, COLORREF> m_colours;  // static id -> text colour
    DlgClassPlacement* m_placement = nullptr;
    const AppSettingKey* m_placementSetting = nullptr;
    bool m_minimumSize = false;
    long m_ownMinWidth = 0;
    long m_ownMinHeight = MinTrackHeight;
    long m_ownMargin = 0;
};

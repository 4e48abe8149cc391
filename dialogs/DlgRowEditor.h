// What the stock editor and the part editor share: a row of input fields
// above a list of one material's rows, with Add, Update, Delete, Move Up and
// Move Down, the Insert, Delete and Enter keys, a status line and Save. The
// editor works on its own copy of the rows; Save is enabled exactly while the
// copy differs from the rows handed over. The two editors differ only in
// their description (RowEditorSpec).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "appsvc/AppSettingsKeys.h"
#include "dialogs/DlgFrame.h"
#include "foundation/DData.h"
#include "resources/SourceData.h"

class ICList;

// How a value is shown in an edit and a list cell.
enum class RowDisplay { Stored, Length, Cost };

struct RowField {
    const char* key;       // the record key
    int edit;
    int label;
    const char* textKey;   // locale key of the label text and the column title
    const char* textDef;
    const char* hintDef;
    // Field descriptor entries; none: the field is not validated and its
    // text is stored trimmed.
    std::vector<std::pair<const char*, const char*>> descriptor;
    RowDisplay display;
    // Enter puts the text into the row as typed, untrimmed.
    bool enterAsTyped = false;
};

struct RowEditorSpec {
    UINT templateId;
    const char* section;         // locale section
    const char* selectParam;     // parameter naming the uid of the row to show first
    const char* titleKey;
    const char* titleDef;
    const char* deleteHint;
    const char* okKey;
    const char* cancelKey;
    const char* okFont;
    int noteId;
    const char* noteDef;
    int keyNoteId;
    int commentEdit;             // the edit that stretches to the right edge
    const AppSettingKey* placementSetting;
    const char* infoKey;         // status line with rows
    const char* infoDef;
    const char* emptyDef;        // status line without rows
    bool showQuantity;           // the status line adds the total quantity
    std::vector<RowField> fields;
    std::vector<ColumnSpec> columns;  // column 0 is the id, column i + 1 is field i
};

class DlgRowEditor : public DlgFrame {
public:
    // Control ids the two templates share.
    enum : int {
        kList = IDC_ROWS_LIST,
        kAdd = IDC_ROWS_ADD,
        kUpdate = IDC_ROWS_UPDATE,
        kDelete = IDC_ROWS_DELETE,
        kMoveUp = IDC_ROWS_MOVE_UP,
        kMoveDown = IDC_ROWS_MOVE_DOWN,
        kSeparator = IDC_ROWS_RULE,
        kStatus = IDC_ROWS_STATUS,
    };

    DlgRowEditor(const RowEditorSpec& spec, DlgClassPlacement& placement, CWnd* parent);
    ~DlgRowEditor() override;

    // After Save: the edited rows (DData::CheckModified tells whether they
    // changed) and the uid of the row shown last.
    DData& GetRows() { return m_rows; }
    const std::string& GetCurrentUid() const { return m_currentUid; }
    long GetCurrentIndex() const { return m_currentIndex; }
    const std::string& GetMaterialName() const { return m_material; }

    // The row operations, as the buttons and keys run them.
    void AddRow();
    void UpdateCurrentRow();
    void DeleteCurrentRow();
    void MoveCurrentRow(bool up);
    // Enter in a field edit: the field's value into the current row.
    void ApplyField(int edit);

protected:
    // Takes the parameters and a copy of the rows; the rows are numbered
    // before their checksum is taken, so only the user's changes count.
    bool TakeRows(const DProps& params, const PropsList& rows);

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override;
    void UpdateButtons() override;
    void LayoutControls() override;
    void OnSelectionCleared(UINT listId) override;

private:
    // The keys the editor takes first (the hook message): true when consumed.
    bool OnHookMessage(const MSG* msg);
    void FillList(bool reselect);
    void ShowSelectedRow();
    void FocusField(long number);
    // The field whose edit is the window, -1 for none.
    long FieldOfEdit(HWND window) const;
    // The record the fields describe now, under the uid.
    DProps FormRecord(const std::string& uid) const;
    std::string FieldValue(const RowField& field) const;
    std::string DisplayText(const std::string& value, RowDisplay display) const;
    void SelectIndex(long index);
    void ReleaseHook();
    void SavePlacement();

    const RowEditorSpec& m_spec;
    DlgClassPlacement& m_placement;
    std::string m_material;
    DData m_rows;
    ICList* m_list = nullptr;
    long m_currentIndex = -1;
    std::string m_currentUid;
    std::vector<long> m_columnWidths;
    bool m_filling = false;
};

// The "Source Data" page: the current material's name and description, its
// warnings, and the lists of its stock rows and part rows, each with Edit
// (the stock and part editors), Import and Export (delimited text). The
// titles, enable states and validity colours follow the material.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "appsvc/AppSettingsKeys.h"
#include "document/DCSStorage.h"
#include "dialogs/DelimitedImport.h"
#include "dialogs/WinPanel.h"
#include "resources/SourceData.h"

class DCSProject;
class ICList;
class ICStatic;

class WinProject : public WinPanel {
public:
    enum : int {
        kStockTitle = IDC_SOURCE_STOCK_TITLE,
        kPartTitle = IDC_SOURCE_PART_TITLE,
        kStockList = IDC_SOURCE_STOCK_LIST,
        kPartList = IDC_SOURCE_PART_LIST,
        kDescLabel = IDC_SOURCE_DESC_TITLE,
        kNameLabel = IDC_SOURCE_NAME_TITLE,
        kDesc = IDC_SOURCE_DESC,
        kStockEdit = IDC_SOURCE_STOCK_EDIT,
        kName = IDC_SOURCE_NAME,
        kPartEdit = IDC_SOURCE_PART_EDIT,
        kPartImport = IDC_SOURCE_PART_IMPORT,
        kPartExport = IDC_SOURCE_PART_EXPORT,
        kStockImport = IDC_SOURCE_STOCK_IMPORT,
        kStockExport = IDC_SOURCE_STOCK_EXPORT,
        kMessages = IDC_SOURCE_MESSAGES,
        kRename = IDC_SOURCE_RENAME,
    };
    // Text colours of a field's label by its state.
    static constexpr COLORREF kValidColour = 0x180000;
    static constexpr COLORREF kWarningColour = 0x52CC;
    static constexpr COLORREF kInvalidColour = 0x180078;

    WinProject();

    BOOL OnInitDialog() override;
    void ApplyLocale() override;
    void LayoutControls() override;
    void OnAppEvent(long code, const void* sender) override;

    // Shows a material (none: empties the page); a material already shown
    // changes nothing.
    void SetMaterial(DCSProject* material);
    void Clear();
    void FillFields();
    // Both lists again, their selections kept.
    void FillLists();
    void UpdateTitles();
    void ValidateField(int id, bool redraw);

    // The Edit buttons: the stock editor (RowsBlanks) or the part editor.
    // fromDoubleClick: the column under the mouse picks the editor's field.
    void EditRows(long kind, bool fromDoubleClick);
    void RenameMaterial();
    // Rows of the kind read from delimited text and appended; true when rows were appended.
    bool ImportRows(long kind);
    void ExportRows(long kind);

    DCSProject* GetMaterial() const { return m_material; }
    const std::string& GetSelectedUid(long kind) const { return kind == RowsBlanks ? m_stockUid : m_partUid; }
    // The state of a field ("valid": 0, 1, 2), -1 without descriptor.
    long GetFieldState(int id) const;
    // The text colour a label is drawn in.
    COLORREF GetLabelColour(int labelId) const;

    // The descriptors of the import (forImport) or export of a kind, as the
    // page hands them to the dialogs.
    DProps ImportDescriptor(long kind);
    DProps ExportDescriptor(long kind);
    // A field offered to the import and export dialogs, with its default title.
    using FieldText = ImportField;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    const CMessageMap* GetMessageMap() const override;
    LRESULT OnSizeMsg(WPARAM wParam, LPARAM lParam);

private:
    // The controls OnInitDialog makes: the field and page labels with the
    // name and description fonts, the buttons with their captions and
    // hints, and the stock and part lists with their columns.
    void CreateLabels();
    void CreateButtons();
    void CreateLists();
    // What a list shows, taken when it is filled: the lists hold no texts of
    // their own (owner data) and ask for the cells they paint.
    struct ShownRows {
        size_t columns = 0;
        std::vector<std::string> cells;  // row after row
        std::vector<std::string> uids;   // "uid" of each row
        const std::string& Cell(long row, long column) const;
    };

    void FillList(long kind);
    void EmptyLists();
    ShownRows& ShownOf(long kind) { return kind == RowsBlanks ? m_shownStock : m_shownParts; }
    // The "uid" of a row of the list ("" outside it); the row of a uid (-1).
    std::string UidAt(long kind, long row) const;
    long RowOfUid(long kind, const std::string& uid) const;
    void EnableAll(bool enable);
    void RedrawLabels();
    void RedrawLabel(int labelId);
    ICList* ListOf(long kind) const;
    std::string FieldTitle(const char* key, const char* def) const;
    DProps RowsDescriptor(const std::vector<FieldText>& fields, const DelimitedSettingKeys& kept, bool stock,
                          const char* columns, const char* titleKey);

    DCSProject* m_material = nullptr;
    std::string m_shownName;
    std::string m_stockUid;
    std::string m_partUid;
    std::map<int, DProps> m_fields;
    ICList* m_stockList = nullptr;
    ICList* m_partList = nullptr;
    std::vector<long> m_stockWidths;
    std::vector<long> m_partWidths;
    ShownRows m_shownStock;
    ShownRows m_shownParts;
    long m_margin = 0;
};

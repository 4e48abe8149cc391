#include "panels/WinProject.h"

#include <commctrl.h>

#include "appsvc/BusyCursorScope.h"
#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICList.h"
#include "controls/ICStatic.h"
#include "dialogs/DelimitedImport.h"
#include "dialogs/DlgBlanks.h"
#include "dialogs/DlgExport.h"
#include "dialogs/DlgImport.h"
#include "dialogs/DlgMaterial.h"
#include "dialogs/DlgMessages.h"
#include "dialogs/DlgPieces.h"
#include "document/ChangeMasks.h"
#include "document/DCSProject.h"
#include "foundation/FieldCheck.h"
#include "foundation/StrUtil.h"
#include "resources/SourceData.h"

namespace {

constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;

const std::vector<ColumnSpec> kStockColumns = {
    {60, "id", "ID"},          {120, "length", "Length"}, {120, "blank.quantity", "Quantity"},
    {120, "knife", "Knife"},   {120, "indent", "Indent+"}, {120, "cost", "Cost"},
    {320, "comment", "Comment"},
};
const std::vector<ColumnSpec> kPartColumns = {
    {60, "id", "ID"},
    {120, "length", "Length"},
    {120, "piece.quantity", "Quantity"},
    {120, "piece.label", "Label"},
    {680, "comment", "Comment"},
};

// How a row value is shown in a list cell.
enum class Shown { Stored, Length, Cost };
struct CellSource {
    const char* key;
    Shown shown;
};
const std::vector<CellSource> kStockCells = {{"id", Shown::Stored},     {"length", Shown::Length},
                                             {"quantity", Shown::Stored}, {"knife", Shown::Length},
                                             {"indent", Shown::Length},   {"cost", Shown::Cost},
                                             {"comment", Shown::Stored}};
const std::vector<CellSource> kPartCells = {{"id", Shown::Stored},
                                            {"length", Shown::Length},
                                            {"quantity", Shown::Stored},
                                            {"label", Shown::Stored},
                                            {"comment", Shown::Stored}};

using FieldText = WinProject::FieldText;

// The label that shows a field's state.
int LabelOf(int field)
{
    switch (field) {
    case WinProject::kName: return WinProject::kNameLabel;
    case WinProject::kStockList: return WinProject::kStockTitle;
    case WinProject::kPartList: return WinProject::kPartTitle;
    case WinProject::kDesc: return WinProject::kDescLabel;
    default: return 0;
    }
}

int FieldOfLabel(int label)
{
    for (int field : {WinProject::kName, WinProject::kStockList, WinProject::kPartList, WinProject::kDesc})
        if (LabelOf(field) == label)
            return field;
    return 0;
}

DCSProject* CurrentMaterial()
{
    return App().Document().GetProject(-1, false);
}

} // namespace

WinProject::WinProject() : WinPanel(kPanelSource, nullptr, nullptr, "window.project") {}

const CMessageMap* WinProject::GetMessageMap() const
{
    static const CMessageMapOf<WinProject> map =
        CMessageMapOf<WinProject>(WinPanel::GetMessageMap()).On(WM_SIZE, &WinProject::OnSizeMsg);
    return &map;
}

// ---- Opening ----------------------------------------------------------------------------------

BOOL WinProject::OnInitDialog()
{
    WinPanel::OnInitDialog();
    SetBackColor(0xFFFFFF);
    ReadLocale(true);

    RECT stock = {0, 0, 0, 0};
    WinGetRectInParent(GetDlgItem(kStockList), &stock);
    m_margin = stock.left;
    RECT exportButton = {0, 0, 0, 0};
    WinGetRectInParent(GetDlgItem(kPartExport), &exportButton);
    m_minimumSize.cx = exportButton.right + m_margin;

    CreateLabels();
    CreateButtons();
    CreateLists();

    m_fields[kName].Set("valid", "0").Set("type", "text").Set("min", "1");
    m_fields[kStockList].Set("valid", "0").Set("type", "list").Set("min", "1");
    m_fields[kPartList].Set("valid", "0").Set("type", "list").Set("min", "1");

    FillFields();
    for (int id : {static_cast<int>(kDesc), static_cast<int>(kName), static_cast<int>(kStockList),
                   static_cast<int>(kPartList)})
        ValidateField(id, false);
    RedrawLabels();
    UpdateTitles();
    if (App().Document().GetCount(false) == 0)
        EnableAll(false);
    return TRUE;
}

void WinProject::CreateLabels()
{
    const struct {
        int id;
        const char* key;
        const char* def;
    } labels[] = {{kNameLabel, "material", "Material"},
                  {kDescLabel, "desc", "Description"},
                  {kStockTitle, "title.blanks", "Blanks"},
                  {kPartTitle, "title.pieces", "Pieces"}};
    for (const auto& l : labels) {
        if (HWND window = GetDlgItem(l.id)) {
            SetFont(l.id, "font.2b");
            auto* label = new ICStatic(window, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            label->SetText(Text(l.key, l.def).c_str());
            AddControl(label);
        }
    }
    SetFont(kName, "calc");
    SetFont(kDesc, "calc");
}

void WinProject::CreateButtons()
{
    if (HWND rename = GetDlgItem(kRename)) {
        SetFont(kRename, "body");
        AddToBag(new ICButton(rename, 0, Hint("material.mru", "Select from the list").c_str()), true);
        WinPlaceBeside(GetDlgItem(kName), rename);
    }
    if (HWND messages = GetDlgItem(kMessages)) {
        SetFont(kMessages, "buttNorm");
        AddToBag(new ICButton(messages, 0, Hint("messages", "View list of errors and warnings").c_str()), true);
    }
    const struct {
        int id;
        const char* key;
        const char* def;
        const char* hint;
    } buttons[] = {
        {kStockEdit, "blank.edit", "Edit Blanks", "Edit"},     {kStockImport, "blank.imp", "Import Blanks", "Import"},
        {kStockExport, "blank.exp", "Export Blanks", "Export"}, {kPartEdit, "piece.edit", "Edit Parts", "Edit"},
        {kPartImport, "piece.imp", "Import Parts", "Import"},  {kPartExport, "piece.exp", "Export Parts", "Export"},
    };
    for (const auto& b : buttons) {
        if (HWND window = GetDlgItem(b.id)) {
            SetFont(b.id, "buttNorm");
            auto* button = new ICButton(window, 0, Hint(b.key, b.hint).c_str());
            button->SetCaption(Text(b.key, b.def).c_str());
            AddToBag(button, true);
        }
    }
}

void WinProject::CreateLists()
{
    for (int id : {static_cast<int>(kStockList), static_cast<int>(kPartList)}) {
        HWND window = GetDlgItem(id);
        if (!window)
            continue;
        ListSetFonts(App().GetFont("list.1"), window, App().GetFont("list.2"));
        auto* list = new ICList(window);
        AddToBag(list, true);
        // Enter on a list edits its rows, as a double click does.
        list->SetEnterNotifies(true);
        if (id == kStockList) {
            m_stockList = list;
            m_stockWidths = SetupColumns(*list, kStockColumns, kListStyles);
        } else {
            m_partList = list;
            m_partWidths = SetupColumns(*list, kPartColumns, kListStyles);
        }
    }
}

void WinProject::ApplyLocale()
{
    if (!LanguageChanged())
        return;
    ReadLocale(true);
}

// ---- Showing the material ---------------------------------------------------------------------

void WinProject::SetMaterial(DCSProject* material)
{
    if (material && material == m_material)
        return;
    m_material = material;
    m_shownName = material ? material->GetProperty("material") : std::string();
    m_stockUid.clear();
    m_partUid.clear();
    if (material) {
        EnableAll(true);
        FillFields();
        for (int id : {static_cast<int>(kDesc), static_cast<int>(kName), static_cast<int>(kStockList),
                       static_cast<int>(kPartList)})
            ValidateField(id, true);
        RedrawLabels();
    } else {
        if (auto* title = dynamic_cast<ICStatic*>(FindControl(kStockTitle)))
            title->SetText(Text("title.blanks", "Blanks").c_str());
        if (auto* title = dynamic_cast<ICStatic*>(FindControl(kPartTitle)))
            title->SetText(Text("title.pieces", "Pieces").c_str());
        WinSetText("", GetDlgItem(kName), false, true);
        WinSetText("", GetDlgItem(kDesc), false, true);
        EnableAll(false);
        EmptyLists();
    }
}

void WinProject::Clear()
{
    m_material = nullptr;
    m_stockUid.clear();
    m_partUid.clear();
    EmptyLists();
    WinSetText("", GetDlgItem(kName), false, true);
    WinSetText("", GetDlgItem(kDesc), false, true);
    SetMaterial(nullptr);
    UpdateTitles();
}

void WinProject::FillFields()
{
    if (!m_stockList)
        return;
    WinSetText(m_material ? m_material->GetProperty("desc").c_str() : "", GetDlgItem(kDesc), false, true);
    WinSetText(m_material ? m_material->GetProperty("material").c_str() : "", GetDlgItem(kName), false, true);
    FillLists();
}

void WinProject::FillLists()
{
    if (!m_material)
        return;
    BusyCursorScope busy;
    FillList(RowsBlanks);
    FillList(RowsPieces);
    UpdateTitles();
}

void WinProject::FillList(long kind)
{
    ICList* list = ListOf(kind);
    if (!list)
        return;
    HWND window = list->GetHwnd();
    std::string& uid = kind == RowsBlanks ? m_stockUid : m_partUid;
    const long selected = ListGetSelected(window);
    if (selected >= 0)
        uid = UidAt(kind, selected);

    // The list holds no row while the rows it shows change.
    list->DeleteAllRows();
    ShownRows& shown = ShownOf(kind);
    const std::vector<CellSource>& cells = kind == RowsBlanks ? kStockCells : kPartCells;
    const PropsList& rows = m_material->GetRows(kind);
    shown.columns = cells.size();
    shown.cells.clear();
    shown.uids.clear();
    shown.cells.reserve(rows.size() * cells.size());
    shown.uids.reserve(rows.size());
    // The material's rows all carry a uid (the order gives every row one);
    // they are listed in their order.
    for (const DProps& record : rows) {
        shown.uids.push_back(StrFromLong(DProps::GetLong(record, "uid")));
        for (const CellSource& cell : cells) {
            const std::string value = DProps::GetString(record, cell.key, "");
            if (cell.shown == Shown::Length)
                shown.cells.push_back(FormatLengthText(value.c_str(), false));
            else if (cell.shown == Shown::Cost)
                shown.cells.push_back(FormatCostText(value.c_str(), false));
            else
                shown.cells.push_back(value);
        }
    }
    const long count = static_cast<long>(shown.uids.size());
    ::SendMessageA(window, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
    ::InvalidateRect(window, nullptr, TRUE);

    long select = uid.empty() ? -1 : RowOfUid(kind, uid);
    if (select < 0)
        select = 0;
    if (count > 0) {
        ListSelect(window, select, 0, 1);
        uid = UidAt(kind, ListGetSelected(window));
    } else {
        uid.clear();
    }
}

void WinProject::EmptyLists()
{
    for (long kind : {static_cast<long>(RowsBlanks), static_cast<long>(RowsPieces)}) {
        if (ICList* list = ListOf(kind))
            list->DeleteAllRows();
        ShownOf(kind) = ShownRows();
    }
}

const std::string& WinProject::ShownRows::Cell(long row, long column) const
{
    static const std::string none;
    if (row < 0 || column < 0 || static_cast<size_t>(column) >= columns ||
        static_cast<size_t>(row) >= uids.size())
        return none;
    return cells[static_cast<size_t>(row) * columns + static_cast<size_t>(column)];
}

std::string WinProject::UidAt(long kind, long row) const
{
    const ShownRows& shown = kind == RowsBlanks ? m_shownStock : m_shownParts;
    return row >= 0 && static_cast<size_t>(row) < shown.uids.size() ? shown.uids[static_cast<size_t>(row)]
                                                                     : std::string();
}

long WinProject::RowOfUid(long kind, const std::string& uid) const
{
    const ShownRows& shown = kind == RowsBlanks ? m_shownStock : m_shownParts;
    for (size_t row = 0; row < shown.uids.size(); ++row)
        if (shown.uids[row] == uid)
            return static_cast<long>(row);
    return -1;
}

void WinProject::UpdateTitles()
{
    if (!m_partList || !m_material)
        return;
    const DProps& totals = m_material->GetTotals();
    std::string parts = Text("title.pieces", "Pieces");
    if (DProps::GetLong(totals, "pieces.items") != 0)
        parts += " (" + DProps::GetString(totals, "pieces.items", "0") + ":" +
                 DProps::GetString(totals, "pieces.quantity", "0") + ")";
    std::string stock = Text("title.blanks", "Blanks");
    if (DProps::GetLong(totals, "blanks.items") != 0)
        stock += " (" + DProps::GetString(totals, "blanks.items", "0") + ")";
    if (auto* title = dynamic_cast<ICStatic*>(FindControl(kPartTitle)))
        title->SetText(parts.c_str());
    if (auto* title = dynamic_cast<ICStatic*>(FindControl(kStockTitle)))
        title->SetText(stock.c_str());

    const struct {
        int id;
        bool enabled;
    } states[] = {{kMessages, m_material->GetWarnings().Count() > 0},
                  {kStockExport, !m_material->GetBlankRows().empty()},
                  {kPartExport, !m_material->GetPieceRows().empty()}};
    for (const auto& state : states) {
        HWND button = GetDlgItem(state.id);
        if (button && (::IsWindowEnabled(button) != FALSE) != state.enabled)
            WinEnable(state.enabled, button);
    }
}

void WinProject::ValidateField(int id, bool redraw)
{
    auto found = m_fields.find(id);
    if (found == m_fields.end() || !m_material)
        return;
    DProps& field = found->second;
    if (id == kStockList || id == kPartList) {
        const long rows = static_cast<long>(::SendDlgItemMessageA(m_hWnd, id, LVM_GETITEMCOUNT, 0, 0));
        field.SetLong("valid", rows > 0 ? 1 : 0);
    } else {
        const std::string text = WinGetText(1024, GetDlgItem(id), false).ToStdString();
        field.SetLong("valid", ValidateValue(text.c_str(), &field));
    }
    UpdateTitles();
    if (redraw)
        RedrawLabel(LabelOf(id));
}

long WinProject::GetFieldState(int id) const
{
    auto found = m_fields.find(id);
    return found == m_fields.end() ? -1 : DProps::GetLong(found->second, "valid", 0);
}

COLORREF WinProject::GetLabelColour(int labelId) const
{
    switch (GetFieldState(FieldOfLabel(labelId))) {
    case 1: return kValidColour;
    case 2: return kWarningColour;
    case 0: return kInvalidColour;
    default: return 0;
    }
}

void WinProject::RedrawLabel(int labelId)
{
    auto* label = dynamic_cast<ICStatic*>(FindControl(labelId));
    if (!label)
        return;
    label->m_textColour = GetLabelColour(labelId);
    ::RedrawWindow(label->GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void WinProject::RedrawLabels()
{
    for (int id : {static_cast<int>(kNameLabel), static_cast<int>(kDescLabel), static_cast<int>(kStockTitle),
                   static_cast<int>(kPartTitle)})
        RedrawLabel(id);
}

void WinProject::EnableAll(bool enable)
{
    ::EnumChildWindows(m_hWnd, EnableChildProc, enable ? 1 : 0);
}

ICList* WinProject::ListOf(long kind) const
{
    return kind == RowsBlanks ? m_stockList : m_partList;
}

// ---- Commands and notifications ------------------------------------------------------------------

BOOL WinProject::OnCommand(WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if ((id == kName || id == kDesc) && code == EN_CHANGE) {
        ValidateField(id, false);
        if (m_material) {
            std::string text = WinGetText(1024, GetDlgItem(id), false).ToStdString();
            StrTrim(text);
            if (!text.empty()) {
                if (id == kName)
                    m_material->SetMaterial(text.c_str());
                else
                    m_material->SetProperty("desc", text.c_str());
                App().ResetCurrentMaterial();
            }
        }
        RedrawLabel(LabelOf(id));
        return TRUE;
    }
    if (code != BN_CLICKED || !m_material)
        return TRUE;
    switch (id) {
    case kStockEdit:
        EditRows(RowsBlanks, false);
        break;
    case kPartEdit:
        EditRows(RowsPieces, false);
        break;
    case kStockImport:
    case kPartImport:
        if (ImportRows(id == kStockImport ? RowsBlanks : RowsPieces))
            App().OnAppEvent(kEventProjectDataChanged, 0, this);
        break;
    case kStockExport:
        ExportRows(RowsBlanks);
        break;
    case kPartExport:
        ExportRows(RowsPieces);
        break;
    case kMessages: {
        DlgMessages dialog(this);
        if (dialog.AddMessage(m_material->GetWarnings()))
            dialog.DoModal();
        break;
    }
    case kRename:
        RenameMaterial();
        break;
    default:
        break;
    }
    return TRUE;
}

BOOL WinProject::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && (header->idFrom == kStockList || header->idFrom == kPartList)) {
        const long kind = header->idFrom == kStockList ? RowsBlanks : RowsPieces;
        ICList* list = ListOf(kind);
        const ShownRows& shown = ShownOf(kind);
        if (header->code == LVN_GETDISPINFOA || header->code == LVN_GETDISPINFOW) {
            const LVITEMA& item = reinterpret_cast<const NMLVDISPINFOA*>(lParam)->item;
            ListAnswerDispInfo(lParam, shown.Cell(item.iItem, item.iSubItem));
            *result = 0;
            return TRUE;
        }
        if (header->code == LVN_ODFINDITEMA || header->code == LVN_ODFINDITEMW) {
            *result = ListFindOwnerRow(lParam, static_cast<long>(shown.uids.size()),
                                       [&shown](long row) { return shown.Cell(row, 0); });
            return TRUE;
        }
        // A range of rows selected at once (Shift with the part list) comes
        // as one change of state.
        if ((header->code == LVN_ITEMCHANGED || header->code == LVN_ODSTATECHANGED) && list && m_material) {
            const long row = ListGetSelected(header->hwndFrom);
            const long count = static_cast<long>(::SendMessageA(header->hwndFrom, LVM_GETITEMCOUNT, 0, 0));
            if (row >= 0 && row < count) {
                std::string& uid = kind == RowsBlanks ? m_stockUid : m_partUid;
                uid = UidAt(kind, row);
                const PropsList& rows = m_material->GetRows(kind);
                if (PropsListFind(&rows, "uid", uid.c_str()))
                    UpdateTitles();
            }
        } else if (header->code == NM_DBLCLK && m_material) {
            EditRows(kind, true);
        } else if (header->code == NM_RETURN && m_material) {
            EditRows(kind, false);
        }
    }
    return WinPanel::OnNotify(wParam, lParam, result);
}

// ---- Editing --------------------------------------------------------------------------------------

void WinProject::EditRows(long kind, bool fromDoubleClick)
{
    if (!m_material)
        return;
    ICList* list = ListOf(kind);
    HWND window = list ? list->GetHwnd() : nullptr;
    DProps params;
    const long selected = ListGetSelected(window);
    params.Set(kind == RowsBlanks ? "blank" : "piece", UidAt(kind, selected).c_str());
    params.Set("material", m_shownName.c_str());
    if (fromDoubleClick && list) {
        POINT cursor = {0, 0};
        ::GetCursorPos(&cursor);
        ::ScreenToClient(window, &cursor);
        params.SetLong("field", list->SubItemHitTest(cursor.x, cursor.y).second);
    }

    bool changed = false;
    std::string currentUid;
    PropsList rows;
    if (kind == RowsBlanks) {
        DlgBlanks editor(this);
        editor.SetData(params, m_material->GetBlankRows());
        if (editor.DoModal() == DlgFrame::Accepted && editor.GetRows().CheckModified()) {
            changed = true;
            rows = editor.GetRows().Records();
            currentUid = editor.GetCurrentUid();
        }
    } else {
        DlgPieces editor(this);
        if (editor.SetData(params, m_material) && editor.DoModal() == DlgFrame::Accepted &&
            editor.GetRows().CheckModified()) {
            changed = true;
            rows = editor.GetRows().Records();
            currentUid = editor.GetCurrentUid();
        }
    }
    if (changed) {
        m_material->ReplaceRows(kind, m_shownName.c_str(), rows);
        App().ResetCurrentMaterialRows(*m_material);
        (kind == RowsBlanks ? m_stockUid : m_partUid) = currentUid;
        FillLists();
        const long row = list ? RowOfUid(kind, currentUid) : -1;
        if (row >= 0)
            ListSelect(window, row, 0, 1);
        ValidateField(kind == RowsBlanks ? kStockList : kPartList, false);
        RedrawLabel(kind == RowsBlanks ? kStockTitle : kPartTitle);
    }
    if (window && ::SendMessageA(window, LVM_GETITEMCOUNT, 0, 0) > 0)
        ::SetFocus(window);
    App().OnAppEvent(kEventProjectDataChanged, 0, this);
}

void WinProject::RenameMaterial()
{
    DlgMaterial dialog(CWnd::FromHandle(App().GetMainHwnd()));
    DProps params;
    if (m_material)
        params.Set("material", m_material->GetProperty("material").c_str());
    dialog.SetParams(params);
    if (dialog.DoModal() != DlgFrame::Accepted)
        return;
    if (m_material)
        m_material->SetMaterial(DProps::GetString(dialog.Params(), "material", "").c_str());
    App().OnAppEvent(kEventMaterialEdited, 0, nullptr);
    UpdateTitles();
}

// ---- Import and export ------------------------------------------------------------------------------

std::string WinProject::FieldTitle(const char* key, const char* def) const
{
    return Text(key, def);
}

// The import and export dialogs take the same descriptor: the offered
// fields with their titles and the choices remembered under the keys.
// Only import remembers "compact".
DProps WinProject::RowsDescriptor(const std::vector<FieldText>& fields, const DelimitedSettingKeys& kept, bool stock,
                                  const char* columns, const char* titleKey)
{
    std::vector<std::string> keys;
    std::vector<std::string> titles;
    for (const FieldText& f : fields) {
        keys.push_back(f.key);
        titles.push_back(FieldTitle(f.key, f.title));
    }
    titles.push_back(FieldTitle("\\empty", "\\Empty field"));
    const std::string fieldList = StrJoin(keys, ";");
    const DAppSettings& settings = App().Settings();
    DProps d;
    d.Set("format.separator", ";");
    d.Set("record.separator", "\r\n");
    d.Set("field.separator", SeparatorFromSetting(GetSetting(settings, kept.separator).ToStdString()).c_str());
    d.Set("file", stock ? "stocks.txt" : "parts.txt");
    if (kept.compact)
        d.Set("compact", GetSetting(settings, *kept.compact).GetText());
    d.Set("titles", StrJoin(titles, ";").c_str());
    d.Set("fields", fieldList.c_str());
    d.Set("format", GetSetting(settings, kept.format, fieldList.c_str()).GetText());
    d.Set("columns", columns);
    const std::string title = Text(titleKey, "");
    if (!title.empty())
        d.Set("title", title.c_str());
    return d;
}

DProps WinProject::ImportDescriptor(long kind)
{
    const bool stock = kind == RowsBlanks;
    return RowsDescriptor(ImportFields(kind),
                          stock ? kSetImportBlanks : kSetImportPieces, stock,
                          stock ? "140;140;140;140;140;320" : "160;160;160;420",
                          stock ? "blank.imp.title" : "piece.imp.title");
}

DProps WinProject::ExportDescriptor(long kind)
{
    const bool stock = kind == RowsBlanks;
    std::vector<FieldText> fields = {{"id", "ID"}};
    const std::vector<FieldText>& more = ImportFields(kind);
    fields.insert(fields.end(), more.begin(), more.end());
    return RowsDescriptor(fields, stock ? kSetExportBlanks : kSetExportPieces, stock,
                          stock ? "60;140;140;140;140;140;320" : "60;120;120;120;600",
                          stock ? "blank.exp.title" : "piece.exp.title");
}

bool WinProject::ImportRows(long kind)
{
    if (!m_material)
        return false;
    DlgImport dialog(this);
    if (!dialog.Setup(ImportDescriptor(kind), "") || dialog.DoModal() == 0)
        return false;
    const DelimitedSettingKeys& kept = kind == RowsBlanks ? kSetImportBlanks : kSetImportPieces;
    DAppSettings& settings = App().Settings();
    SetSetting(settings, kept.separator,
               SeparatorToSetting(DProps::GetString(dialog.GetParams(), "field.separator", "")).c_str());
    SetSetting(settings, kept.format, DProps::GetString(dialog.GetParams(), "format", "").c_str());
    SetSetting(settings, *kept.compact, DProps::GetString(dialog.GetParams(), "compact", "").c_str());
    // A hundred thousand rows take seconds to take in and show.
    BusyCursorScope busy;
    if (!AppendImportedRows(*m_material, dialog.GetTable().Records(), kind))
        return false;
    FillFields();
    App().ResetCurrentMaterialRows(*m_material);
    ValidateField(kind == RowsBlanks ? kStockList : kPartList, false);
    RedrawLabel(kind == RowsBlanks ? kStockTitle : kPartTitle);
    UpdateTitles();
    return true;
}

void WinProject::ExportRows(long kind)
{
    if (!m_material)
        return;
    DlgExport dialog(this);
    if (!dialog.Setup(ExportDescriptor(kind), m_material->GetRows(kind)) || dialog.DoModal() == 0)
        return;
    const DelimitedSettingKeys& kept = kind == RowsBlanks ? kSetExportBlanks : kSetExportPieces;
    DAppSettings& settings = App().Settings();
    SetSetting(settings, kept.separator,
               SeparatorToSetting(DProps::GetString(dialog.GetParams(), "field.separator", "")).c_str());
    SetSetting(settings, kept.format, DProps::GetString(dialog.GetParams(), "format", "").c_str());
}

// ---- Events ------------------------------------------------------------------------------------------

void WinProject::OnAppEvent(long code, const void* sender)
{
    switch (code) {
    case kEventProjectClosed:
        Clear();
        EnableAll(false);
        break;
    case kEventProjectDataChanged:
        if (sender != this)
            UpdateTitles();
        break;
    case kEventCurrentMaterialChanged:
        EnableAll(true);
        SetMaterial(CurrentMaterial());
        // A material shown already is not shown again: the buttons that
        // depend on it get their states back here.
        UpdateTitles();
        break;
    case kEventMaterialEdited:
        if (m_material)
            WinSetText(m_material->GetProperty("material").c_str(), GetDlgItem(kName), false, true);
        break;
    case kEventSettingsChanged:
        FillLists();
        break;
    default:
        break;
    }
}

// ---- Layout ------------------------------------------------------------------------------------------

LRESULT WinProject::OnSizeMsg(WPARAM, LPARAM)
{
    LRESULT result = Default();
    if (!GetDlgItem(kStockList))
        return result;
    // A hidden page must stay hidden: its painting is suspended only while visible.
    LayoutWithoutRedraw(m_hWnd, [this] { LayoutControls(); });
    return result;
}

void WinProject::LayoutControls()
{
    HWND stockList = GetDlgItem(kStockList);
    HWND partList = GetDlgItem(kPartList);
    if (!stockList || !partList)
        return;
    const long m = m_margin;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    auto rectOf = [this](int id) {
        RECT r = {0, 0, 0, 0};
        WinGetRectInParent(GetDlgItem(id), &r);
        return r;
    };
    auto moveTo = [this](int id, long x, long y, long w, long h) {
        if (HWND window = GetDlgItem(id))
            ::MoveWindow(window, x, y, w > 0 ? w : 0, h > 0 ? h : 0, TRUE);
    };

    // Stock buttons against the right edge, the stock list up to them.
    long buttonsLeft = 0;
    for (int id : {static_cast<int>(kStockEdit), static_cast<int>(kStockImport), static_cast<int>(kStockExport)}) {
        const RECT r = rectOf(id);
        buttonsLeft = client.right - m - (r.right - r.left);
        moveTo(id, buttonsLeft, r.top, r.right - r.left, r.bottom - r.top);
    }
    const RECT stock = rectOf(kStockList);
    moveTo(kStockList, m, stock.top, buttonsLeft - m - m, stock.bottom - stock.top);
    FitLastColumn(stockList, m_stockWidths);
    const RECT messages = rectOf(kMessages);
    moveTo(kMessages, buttonsLeft, messages.top, messages.right - messages.left, messages.bottom - messages.top);
    const RECT desc = rectOf(kDesc);
    moveTo(kDesc, desc.left, desc.top, (buttonsLeft - m) - 1 - desc.left, desc.bottom - desc.top);

    // Part buttons likewise; Import and Export end with the part list.
    long partLeft = 0;
    for (int id : {static_cast<int>(kPartEdit), static_cast<int>(kPartImport), static_cast<int>(kPartExport)}) {
        const RECT r = rectOf(id);
        partLeft = client.right - m - (r.right - r.left);
        moveTo(id, partLeft, r.top, r.right - r.left, r.bottom - r.top);
    }
    const RECT part = rectOf(kPartList);
    const long partBottom = client.bottom - m;
    moveTo(kPartList, m, part.top, partLeft - m - m, partBottom - part.top);
    FitLastColumn(partList, m_partWidths);
    const RECT imp = rectOf(kPartImport);
    const RECT exp = rectOf(kPartExport);
    const long shift = partBottom - exp.bottom;
    moveTo(kPartImport, partLeft, imp.top + shift, imp.right - imp.left, imp.bottom - imp.top);
    moveTo(kPartExport, partLeft, exp.top + shift, exp.right - exp.left, exp.bottom - exp.top);
}
